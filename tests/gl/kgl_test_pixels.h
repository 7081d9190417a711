// Test helper: reads back one pixel of the current GL read buffer (origin bottom left).
#pragma once

#include <GL/gl.h>

namespace kgl_test {

struct Pixel {
    int r, g, b;
};

inline Pixel readPixel(int x, int y) {
    unsigned char px[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return Pixel{px[0], px[1], px[2]};
}

}  // namespace kgl_test
