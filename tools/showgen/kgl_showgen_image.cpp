// Canvas drawing, JPEG encoding and the K2D / raw sprite writers of the show generator.
#include "kgl_showgen_image.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"
#include "kgl_showgen_font.h"

namespace kgl {
namespace showgen {

Rgb mix(const Rgb& a, const Rgb& b, float t) {
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint32_t hash32(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

namespace {

float lattice(int x, int y, uint32_t seed) {
    uint32_t h = hash32(static_cast<uint32_t>(x) * 73856093U ^ static_cast<uint32_t>(y) * 19349663U ^ seed);
    return static_cast<float>(h & 0xffffff) / 16777215.0f;
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float valueNoise(float x, float y, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x));
    int iy = static_cast<int>(std::floor(y));
    float fx = smooth(x - static_cast<float>(ix));
    float fy = smooth(y - static_cast<float>(iy));
    float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

}  // namespace

float fbm(float x, float y, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < 4; ++o) {
        sum += amp * valueNoise(x, y, seed + static_cast<uint32_t>(o) * 1013U);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height) {}

void Canvas::fill(const Rgb& c) {
    std::fill(px_.begin(), px_.end(), c);
}

void Canvas::verticalGradient(const Rgb& top, const Rgb& bottom) {
    for (int y = 0; y < height_; ++y) {
        Rgb c = mix(top, bottom, height_ > 1 ? static_cast<float>(y) / (height_ - 1) : 0.0f);
        for (int x = 0; x < width_; ++x) at(x, y) = c;
    }
}

void Canvas::addGlow(float cx, float cy, float radius, const Rgb& c, float intensity, float sharpness) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            float d = std::sqrt(dx * dx + dy * dy) / radius;
            if (d >= 1.0f) continue;
            float k = intensity * std::pow(1.0f - d, sharpness);
            Rgb& p = at(x, y);
            p.r += c.r * k;
            p.g += c.g * k;
            p.b += c.b * k;
        }
    }
}

void Canvas::addRing(float cx, float cy, float radius, float width, const Rgb& c, float intensity) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            float d = (std::sqrt(dx * dx + dy * dy) - radius) / width;
            float k = intensity * std::exp(-d * d);
            if (k < 1e-4f) continue;
            Rgb& p = at(x, y);
            p.r += c.r * k;
            p.g += c.g * k;
            p.b += c.b * k;
        }
    }
}

void Canvas::modulateNoise(float scale, float amount, uint32_t seed) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float n = fbm(static_cast<float>(x) / scale, static_cast<float>(y) / scale, seed);
            float k = 1.0f - amount + amount * n * 1.6f;
            Rgb& p = at(x, y);
            p.r *= k;
            p.g *= k;
            p.b *= k;
        }
    }
}

void Canvas::addNoiseColour(float scale, const Rgb& c, float amount, uint32_t seed) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float n = fbm(static_cast<float>(x) / scale, static_cast<float>(y) / scale, seed);
            n = std::max(0.0f, n - 0.35f) * amount;
            Rgb& p = at(x, y);
            p.r += c.r * n;
            p.g += c.g * n;
            p.b += c.b * n;
        }
    }
}

void Canvas::boxBlur(int radius) {
    if (radius < 1) return;
    std::vector<Rgb> tmp(px_.size());
    float inv = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < 2; ++pass) {
        bool horizontal = pass == 0;
        int lines = horizontal ? height_ : width_;
        int len = horizontal ? width_ : height_;
        for (int l = 0; l < lines; ++l) {
            for (int i = 0; i < len; ++i) {
                Rgb s;
                for (int k = -radius; k <= radius; ++k) {
                    int j = std::clamp(i + k, 0, len - 1);
                    const Rgb& p = horizontal ? at(j, l) : at(l, j);
                    s.r += p.r;
                    s.g += p.g;
                    s.b += p.b;
                }
                size_t idx =
                    horizontal ? static_cast<size_t>(l) * width_ + i : static_cast<size_t>(i) * width_ + l;
                tmp[idx] = Rgb{s.r * inv, s.g * inv, s.b * inv};
            }
        }
        px_.swap(tmp);
    }
}

void Canvas::multiply(float k) {
    for (Rgb& p : px_) {
        p.r *= k;
        p.g *= k;
        p.b *= k;
    }
}

void Canvas::clamp() {
    for (Rgb& p : px_) {
        p.r = std::clamp(p.r, 0.0f, 1.0f);
        p.g = std::clamp(p.g, 0.0f, 1.0f);
        p.b = std::clamp(p.b, 0.0f, 1.0f);
    }
}

void Canvas::rotate180() {
    std::reverse(px_.begin(), px_.end());
}

int Canvas::textWidth(const std::string& text, int scale) {
    if (text.empty()) return 0;
    return (static_cast<int>(text.size()) * kGlyphAdvance - 1) * scale;
}

int Canvas::drawText(const std::string& text, int x0, int y0, int scale, const Rgb& c) {
    int x = x0;
    for (char ch : text) {
        for (int row = 0; row < kGlyphRows; ++row) {
            for (int col = 0; col < kGlyphCols; ++col) {
                if (!glyphPixel(ch, col, row)) continue;
                for (int sy = 0; sy < scale; ++sy) {
                    for (int sx = 0; sx < scale; ++sx) {
                        int px = x + col * scale + sx, py = y0 + row * scale + sy;
                        if (px >= 0 && px < width_ && py >= 0 && py < height_) at(px, py) = c;
                    }
                }
            }
        }
        x += kGlyphAdvance * scale;
    }
    return x - x0;
}

std::vector<uint8_t> encodeJpeg(const Canvas& canvas, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = static_cast<JDIMENSION>(canvas.width());
    cinfo.image_height = static_cast<JDIMENSION>(canvas.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(canvas.width()) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < canvas.width(); ++x) {
            const Rgb& p = canvas.at(x, y);
            row[x * 3 + 0] = static_cast<uint8_t>(std::lround(std::clamp(p.r, 0.0f, 1.0f) * 255.0f));
            row[x * 3 + 1] = static_cast<uint8_t>(std::lround(std::clamp(p.g, 0.0f, 1.0f) * 255.0f));
            row[x * 3 + 2] = static_cast<uint8_t>(std::lround(std::clamp(p.b, 0.0f, 1.0f) * 255.0f));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(mem, mem + memSize);
    jpeg_destroy_compress(&cinfo);
    free(mem);
    return out;
}

std::vector<uint8_t> buildK2D(const std::vector<K2DEntry>& entries) {
    ByteWriter w;
    std::string header = "K2D kgl picture container";
    header.resize(28, ' ');
    w.text(header);
    w.u8(1);  // spare byte, not interpreted by readers
    w.u8(static_cast<uint8_t>(entries.size()));
    for (const K2DEntry& e : entries) {
        w.u8(static_cast<uint8_t>(e.name.size()));
        w.text(e.name);
        w.u8(e.slot);
        w.i32(static_cast<int32_t>(e.jpeg.size()));
        w.raw(e.jpeg.data(), e.jpeg.size());
        w.u8(0);  // the byte every reader steps over after the stream
    }
    return w.bytes();
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (writeFile(path, bytes)) return true;
    logLine("SHOWGEN", path.c_str(), "cannot write");
    return false;
}

bool writeText(const std::string& path, const std::string& text) {
    return writeBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace showgen
}  // namespace kgl
