#include "platform/kgl_icon.h"

#include <SDL.h>

#include <cmath>

namespace kgl {
namespace {

uint8_t clampByte(float v) {
    return static_cast<uint8_t>(v < 0.0f ? 0.0f : v > 255.0f ? 255.0f : v);
}

}  // namespace

void makeWindowIcon(uint8_t* rgba) {
    constexpr float kHalf = kWindowIconSize / 2.0f;
    for (int y = 0; y < kWindowIconSize; ++y) {
        for (int x = 0; x < kWindowIconSize; ++x) {
            // Unit coordinates with the centre at (0, 0); y grows downwards.
            const float fx = (x + 0.5f - kHalf) / kHalf;
            const float fy = (y + 0.5f - kHalf) / kHalf;
            float r = 12 + y * 1.5f, g = 10 + y * 0.8f, b = 60 + y * 3.0f;  // sky, lighter below
            float a = 255;
            const float corner = std::fabs(fx) > 0.75f && std::fabs(fy) > 0.75f
                                     ? std::hypot(std::fabs(fx) - 0.75f, std::fabs(fy) - 0.75f)
                                     : 0.0f;
            if (corner > 0.25f) a = 0;  // rounded corners
            const float d2 = fx * fx + fy * fy;
            const bool planet = d2 < 0.30f;
            if (planet) {  // lit from the top left
                const float light = 1.0f - (fx + fy + 1.1f) * 0.45f;
                r = 235 * light;
                g = 130 * light;
                b = 50 * light;
            }
            const float ring = fx * fx + (fy * 3.2f + fx * 0.9f) * (fy * 3.2f + fx * 0.9f);
            const bool front = fy * 3.2f + fx * 0.9f > 0.0f;
            if (ring > 0.56f && ring < 0.92f && (front || !planet)) {
                r = 250;
                g = 225;
                b = 150;
            }
            if (!planet &&
                ((x == 5 && y == 6) || (x == 25 && y == 4) || (x == 27 && y == 24) || (x == 4 && y == 26)))
                r = g = b = 255;  // stars
            uint8_t* p = rgba + (y * kWindowIconSize + x) * 4;
            p[0] = clampByte(r);
            p[1] = clampByte(g);
            p[2] = clampByte(b);
            p[3] = clampByte(a);
        }
    }
}

void applyWindowIcon(SDL_Window* window) {
    if (!window) return;
    static uint8_t pixels[kWindowIconSize * kWindowIconSize * 4];
    makeWindowIcon(pixels);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels, kWindowIconSize, kWindowIconSize, 32,
                                                           kWindowIconSize * 4, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

}  // namespace kgl
