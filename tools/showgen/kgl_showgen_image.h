// Pictures of the default show: an RGB float canvas with the few drawing tools the generator
// needs (gradients, value noise, soft glows, blur, our own 5 x 7 pixel font), JPEG encoding
// with libjpeg, and the writers of the K2D container and the raw sprite files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgl {
namespace showgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb rgb(float r, float g, float b) {
    return Rgb{r, g, b};
}
Rgb mix(const Rgb& a, const Rgb& b, float t);

class Canvas {
public:
    Canvas(int width, int height);
    virtual ~Canvas() = default;

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return px_[static_cast<size_t>(y) * width_ + x]; }
    const Rgb& at(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }

    void fill(const Rgb& c);
    void verticalGradient(const Rgb& top, const Rgb& bottom);
    // Adds a radial glow: colour * intensity * (1 - d/radius)^sharpness, d in pixels.
    void addGlow(float cx, float cy, float radius, const Rgb& c, float intensity, float sharpness);
    // Adds a thin ring of the given radius and width (pixels) with a soft profile.
    void addRing(float cx, float cy, float radius, float width, const Rgb& c, float intensity);
    // Multiplies by (1 - amount + amount * fbm noise), scale in pixels per noise cell.
    void modulateNoise(float scale, float amount, uint32_t seed);
    void addNoiseColour(float scale, const Rgb& c, float amount, uint32_t seed);
    void boxBlur(int radius);
    void multiply(float k);
    void clamp();
    // Rotates by 180 degrees: the 2D overlays draw their pictures turned, so they are stored turned.
    void rotate180();
    // Draws text in the pixel font; each font pixel is `scale` pixels wide. Returns the width used.
    int drawText(const std::string& text, int x, int y, int scale, const Rgb& c);
    static int textWidth(const std::string& text, int scale);

private:
    int width_;
    int height_;
    std::vector<Rgb> px_;
};

// Deterministic value noise in 0..1 (fractal sum of four octaves).
float fbm(float x, float y, uint32_t seed);
uint32_t hash32(uint32_t x);

// Baseline JPEG of the canvas (RGB, top row first).
std::vector<uint8_t> encodeJpeg(const Canvas& canvas, int quality);

struct K2DEntry {
    std::string name;
    uint8_t slot = 0;
    std::vector<uint8_t> jpeg;
};

// K2D container: 28 header bytes, one spare byte, the entry count, then the entries
// (name length, name, slot, int32 length, the JPEG bytes and one trailing byte).
std::vector<uint8_t> buildK2D(const std::vector<K2DEntry>& entries);

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool writeText(const std::string& path, const std::string& text);

}  // namespace showgen
}  // namespace kgl
