// Test helper: writes small K2D files of solid-colour JPEG pictures (encoded with libjpeg) into
// a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_k2d.h"

namespace kgl_test {

struct K2DPicture {
    int width;
    int height;
    uint8_t r, g, b;
    uint8_t slot;
};

inline std::vector<uint8_t> makeK2D(const std::vector<K2DPicture>& pictures) {
    std::vector<K2DTestEntry> entries;
    for (const K2DPicture& p : pictures)
        entries.emplace_back("pic", p.slot, SolidJpeg(p.width, p.height, p.r, p.g, p.b));
    return BuildK2D(entries);
}

inline std::string writeK2D(const std::string& dir, const std::string& name,
                            const std::vector<K2DPicture>& pictures) {
    const std::string path = dir + "/" + name;
    kgl::writeFile(path, makeK2D(pictures));
    return path;
}

}  // namespace kgl_test
