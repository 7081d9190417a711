// The 2D pictures of the default show. The 2D overlays draw their pictures turned by 180
// degrees, so those pictures are stored turned; the loading picture is drawn upright.
#include "kgl_showgen_pictures.h"

#include <algorithm>
#include <cmath>

#include "kgl_showgen_image.h"

namespace kgl {
namespace showgen {
namespace {

constexpr int kJpegQuality = 88;

// Text with a soft halo: the letters are drawn on their own canvas, blurred, and added twice.
void glowText(Canvas& dst, const std::string& text, int cx, int y, int scale, const Rgb& core,
              const Rgb& halo) {
    Canvas layer(dst.width(), dst.height());
    int x = cx - Canvas::textWidth(text, scale) / 2;
    layer.drawText(text, x, y, scale, rgb(1, 1, 1));
    Canvas blur = layer;
    blur.boxBlur(scale * 2);
    Canvas wide = layer;
    wide.boxBlur(scale * 5);
    for (int j = 0; j < dst.height(); ++j) {
        for (int i = 0; i < dst.width(); ++i) {
            float k = layer.at(i, j).r, b = blur.at(i, j).r * 1.4f, w = wide.at(i, j).r * 1.2f;
            Rgb& p = dst.at(i, j);
            p.r += core.r * k + halo.r * (b + w);
            p.g += core.g * k + halo.g * (b + w);
            p.b += core.b * k + halo.b * (b + w);
        }
    }
}

K2DEntry entry(const std::string& name, uint8_t slot, Canvas c) {
    c.clamp();
    return K2DEntry{name, slot, encodeJpeg(c, kJpegQuality)};
}

bool writeK2D(const std::string& path, const std::vector<K2DEntry>& entries) {
    return writeBytes(path, buildK2D(entries));
}

Canvas loadingPicture() {
    Canvas c(512, 128);
    c.verticalGradient(rgb(0.02f, 0.05f, 0.14f), rgb(0.0f, 0.0f, 0.03f));
    c.addNoiseColour(40.0f, rgb(0.1f, 0.25f, 0.5f), 0.5f, 7);
    c.addGlow(256, 52, 260, rgb(0.15f, 0.3f, 0.6f), 0.5f, 2.0f);
    glowText(c, kShowTitle, 256, 30, 5, rgb(0.9f, 0.97f, 1.0f), rgb(0.2f, 0.5f, 1.0f));
    glowText(c, "LOADING - A KGL REALTIME SHOW", 256, 96, 2, rgb(0.7f, 0.8f, 0.95f), rgb(0.1f, 0.2f, 0.4f));
    return c;
}

// The text cards are added to the picture, so anything but the letters and a thin halo would
// lift what is behind them and cost contrast: no haze, no streak.
Canvas titleOverlay() {
    Canvas c(512, 512);
    c.fill(rgb(0, 0, 0));
    glowText(c, kShowTitle, 256, 214, 7, rgb(1, 1, 1), rgb(0, 0, 0));
    c.rotate180();
    return c;
}

Canvas creditsOverlay() {
    Canvas c(512, 512);
    c.fill(rgb(0, 0, 0));
    glowText(c, "CODE - MUSIC - PIXELS", 256, 150, 3, rgb(1, 0.95f, 0.9f), rgb(0.4f, 0.14f, 0.08f));
    glowText(c, "ALL MADE BY OUR OWN", 256, 220, 4, rgb(1, 1, 1), rgb(0.35f, 0.12f, 0.24f));
    glowText(c, "GENERATOR", 256, 270, 4, rgb(1, 1, 1), rgb(0.35f, 0.12f, 0.24f));
    glowText(c, "KGL SHOWGEN 2026", 256, 360, 3, rgb(0.95f, 0.97f, 1), rgb(0.12f, 0.16f, 0.4f));
    c.rotate180();
    return c;
}

float heartField(float x, float y) {
    // Implicit heart curve (x^2 + y^2 - 1)^3 - x^2 y^3 <= 0, x and y roughly in -1.5..1.5.
    float a = x * x + y * y - 1.0f;
    return a * a * a - x * x * y * y * y;
}

// A heart-shaped window: the mask lets the scene through inside the heart (soft edge), the
// colour picture fills the outside with a deep pink and a glow along the edge.
void heartPictures(Canvas& colour, Canvas& mask) {
    int w = mask.width(), h = mask.height();
    Canvas hard(w, h);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            float x = (static_cast<float>(i) / w - 0.5f) * 3.0f;
            float y = (0.52f - static_cast<float>(j) / h) * 2.9f;
            float v = heartField(x, y) <= 0.0f ? 1.0f : 0.0f;
            hard.at(i, j) = rgb(v, v, v);
        }
    }
    mask = hard;
    mask.boxBlur(w / 128);
    Canvas glow = hard;
    glow.boxBlur(w / 24);
    glow.boxBlur(w / 48);  // twice: a smoother falloff, no visible steps once stretched over the screen
    colour.verticalGradient(rgb(0.32f, 0.02f, 0.12f), rgb(0.1f, 0.0f, 0.06f));
    colour.modulateNoise(40.0f, 0.5f, 99);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            float inside = mask.at(i, j).r;
            float edge = std::max(0.0f, glow.at(i, j).r - hard.at(i, j).r) * 2.0f;
            Rgb& p = colour.at(i, j);
            p = mix(p, rgb(0, 0, 0), inside);
            p.r += edge * 1.0f;
            p.g += edge * 0.4f;
            p.b += edge * 0.65f;
        }
    }
    colour.rotate180();
    mask.rotate180();
}

void letterboxPictures(Canvas& colour, Canvas& mask) {
    int h = mask.height(), w = mask.width();
    int bar = h * 12 / 100;
    colour.fill(rgb(0, 0, 0));
    for (int j = 0; j < h; ++j) {
        bool inBar = j < bar || j >= h - bar;
        float dist = static_cast<float>(std::min(std::abs(j - bar), std::abs(j - (h - bar))));
        float line = std::exp(-dist * dist / 4.0f);
        for (int i = 0; i < w; ++i) {
            float v = inBar ? 0.0f : 1.0f;
            mask.at(i, j) = rgb(v, v, v);
            colour.at(i, j) = rgb(0.1f * line, 0.6f * line, 0.9f * line);
        }
    }
    glowText(colour, kShowTitle, w / 2, h - bar / 2 - 7, 2, rgb(0.8f, 0.9f, 1), rgb(0.1f, 0.3f, 0.5f));
    colour.rotate180();
    mask.rotate180();
}

std::vector<K2DEntry> lensElements() {
    std::vector<K2DEntry> out;
    Canvas glow(128, 128);
    glow.addGlow(64, 64, 64, rgb(1, 0.95f, 0.85f), 1.0f, 2.2f);
    out.push_back(entry("glow", 0, glow));
    Canvas halo(128, 128);
    halo.addRing(64, 64, 46, 5, rgb(0.5f, 0.8f, 1.0f), 0.8f);
    halo.addRing(64, 64, 40, 3, rgb(1.0f, 0.5f, 0.3f), 0.4f);
    out.push_back(entry("halo", 1, halo));
    Canvas star(128, 128);
    for (int j = 0; j < 128; ++j) {
        for (int i = 0; i < 128; ++i) {
            float x = (static_cast<float>(i) - 63.5f) / 64.0f, y = (static_cast<float>(j) - 63.5f) / 64.0f;
            float r = std::sqrt(x * x + y * y);
            float a = std::atan2(y, x);
            float rays = std::pow(std::fabs(std::cos(a * 3.0f)), 40.0f) * std::max(0.0f, 1.0f - r);
            float core = std::pow(std::max(0.0f, 1.0f - r * 2.5f), 2.0f);
            star.at(i, j) = rgb(rays + core, rays * 0.9f + core, rays * 0.8f + core);
        }
    }
    out.push_back(entry("star", 2, star));
    Canvas hex(128, 128);
    for (int j = 0; j < 128; ++j) {
        for (int i = 0; i < 128; ++i) {
            float x = std::fabs(static_cast<float>(i) - 63.5f), y = std::fabs(static_cast<float>(j) - 63.5f);
            float d = std::max(x * 0.866f + y * 0.5f, y) / 56.0f;
            float v = d < 1.0f ? 0.25f + 0.55f * d * d : std::max(0.0f, 1.0f - (d - 1.0f) * 12.0f) * 0.8f;
            hex.at(i, j) = rgb(0.4f * v, 0.9f * v, 0.5f * v);
        }
    }
    out.push_back(entry("hexagon", 3, hex));
    Canvas dot(128, 128);
    dot.addGlow(64, 64, 40, rgb(0.6f, 0.5f, 1.0f), 0.9f, 1.2f);
    dot.addRing(64, 64, 38, 3, rgb(1.0f, 0.6f, 0.9f), 0.5f);
    out.push_back(entry("orb", 4, dot));
    return out;
}

bool rawSprites(const std::string& dir) {
    Canvas glow(64, 64);
    glow.addGlow(32, 32, 32, rgb(1, 1, 1), 1.0f, 2.5f);
    glow.addGlow(32, 32, 10, rgb(1, 1, 1), 0.6f, 1.0f);
    glow.clamp();
    Canvas ring(64, 64);
    ring.addRing(32, 32, 22, 3.0f, rgb(1, 1, 1), 0.9f);
    ring.addGlow(32, 32, 32, rgb(0.4f, 0.4f, 0.4f), 0.3f, 3.0f);
    ring.clamp();
    return writeBytes(dir + "raw.dat", encodeJpeg(glow, kJpegQuality)) &&
           writeBytes(dir + "raw2.dat", encodeJpeg(ring, kJpegQuality));
}

}  // namespace

bool writePictures(const std::string& dir) {
    bool ok = writeK2D(dir + "load.k2d", {entry("title", 0, loadingPicture())});
    ok = writeK2D(dir + "gr1.k2d", {entry("title", 0, titleOverlay())}) && ok;
    ok = writeK2D(dir + "gr2.k2d", {entry("credits", 0, creditsOverlay())}) && ok;
    Canvas heartColour(512, 512), heartMask(512, 512);
    heartPictures(heartColour, heartMask);
    ok = writeK2D(dir + "heart1.k2d", {entry("heart", 0, heartColour), entry("heartmask", 1, heartMask)}) &&
         ok;
    Canvas boxColour(256, 256), boxMask(256, 256);
    letterboxPictures(boxColour, boxMask);
    ok =
        writeK2D(dir + "alpha_1.k2d", {entry("letterbox", 0, boxColour), entry("boxmask", 1, boxMask)}) && ok;
    ok = writeK2D(dir + "Lens.k2d", lensElements()) && ok;
    Canvas spark(32, 32);
    spark.addGlow(16, 16, 16, rgb(1, 1, 1), 1.0f, 2.0f);
    ok = writeK2D(dir + "part2.k2d", {entry("spark", 0, spark)}) && ok;
    return rawSprites(dir) && ok;
}

}  // namespace showgen
}  // namespace kgl
