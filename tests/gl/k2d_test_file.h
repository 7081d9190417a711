// Test helper: writes small K2D files of solid-colour JPEG pictures (encoded with libjpeg) into
// a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <stdlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"

namespace kgltest {

struct K2DPicture {
    int width;
    int height;
    uint8_t r, g, b;
    uint8_t slot;
};

inline std::vector<uint8_t> encodeSolidJpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[x * 3] = r;
        row[x * 3 + 1] = g;
        row[x * 3 + 2] = b;
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&cinfo);
    free(out);
    return bytes;
}

inline std::vector<uint8_t> makeK2D(const std::vector<K2DPicture>& pictures) {
    kgl::ByteWriter w;
    w.padTo(28);
    w.u8(0);
    w.u8(static_cast<uint8_t>(pictures.size()));
    for (const K2DPicture& p : pictures) {
        w.u8(3);
        w.text("pic");
        w.u8(p.slot);
        std::vector<uint8_t> jpeg = encodeSolidJpeg(p.width, p.height, p.r, p.g, p.b);
        w.i32(static_cast<int32_t>(jpeg.size()));
        w.raw(jpeg.data(), jpeg.size());
        w.u8(0);
    }
    return w.bytes();
}

inline std::string freshTempDir() {
    std::string tmpl = testing::TempDir() + "kgl_fx_XXXXXX";
    if (!mkdtemp(tmpl.data())) return std::string();
    return tmpl;
}

inline std::string writeK2D(const std::string& dir, const std::string& name,
                            const std::vector<K2DPicture>& pictures) {
    const std::string path = dir + "/" + name;
    kgl::writeFile(path, makeK2D(pictures));
    return path;
}

}  // namespace kgltest
