// Test helper: encodes small JPEG images in memory with libjpeg, so tests (and the fuzz seeds)
// make their own data. The one JPEG encoder of the test tree.
#pragma once

#include <jpeglib.h>  // after <cstdio>: it needs size_t and FILE

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kgl_test {

struct JpegOptions {
    int quality = 95;
    bool progressive = false;
    int restartRows = 0;  // 0: no restart markers
};

// Encodes a w x h image (components 3 = RGB, 1 = greyscale) whose pixel (x, y) has the value
// of `pixel(x, y, channel)`.
template <typename PixelFn>
std::vector<uint8_t> EncodeJpeg(int w, int h, int components, PixelFn pixel, JpegOptions opt = {}) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, opt.quality, TRUE);
    if (opt.progressive) jpeg_simple_progression(&c);
    c.restart_in_rows = opt.restartRows;
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w) * components);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < components; ++k)
                row[static_cast<size_t>(x) * components + k] = pixel(x, y, k);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
}

inline std::vector<uint8_t> SolidJpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    return EncodeJpeg(w, h, 3, [&](int, int, int k) -> uint8_t { return k == 0 ? r : k == 1 ? g : b; });
}

}  // namespace kgl_test
