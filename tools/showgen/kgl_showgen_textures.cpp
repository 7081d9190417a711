// Material textures of the eight scenes. All are 256 x 256 so that the sub-material images of
// one material share their size. Packed textures travel inside the scene file before its
// cameras, whose section the loader finds by the first "Camera" in the file, so no texture
// may contain those six bytes.
#include "kgl_showgen_textures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "kgl_showgen_image.h"

namespace kgl {
namespace showgen {
namespace {

constexpr int kSize = 256;

bool containsCamera(const std::vector<uint8_t>& bytes) {
    static const char kWord[] = "Camera";
    return std::search(bytes.begin(), bytes.end(), kWord, kWord + 6) != bytes.end();
}

bool writeTexture(const std::string& path, Canvas c) {
    c.clamp();
    for (int quality = 86; quality > 60; --quality) {
        std::vector<uint8_t> jpeg = encodeJpeg(c, quality);
        if (!containsCamera(jpeg)) return writeBytes(path, jpeg);
    }
    return false;
}

Canvas shade(const std::function<Rgb(float, float)>& f) {
    Canvas c(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) c.at(x, y) = f((x + 0.5f) / kSize, (y + 0.5f) / kSize);
    return c;
}

// Sphere-map style environment: a bright sky cap, a horizon band and a dark floor.
Canvas environment(Rgb sky, Rgb horizon, Rgb floor, uint32_t seed) {
    Canvas c = shade([&](float u, float v) {
        float dx = u - 0.5f, dy = v - 0.5f;
        float r = std::sqrt(dx * dx + dy * dy) * 2.0f;
        float band = std::exp(-std::pow((dy + 0.05f) * 9.0f, 2.0f));
        Rgb base = dy < 0 ? mix(horizon, sky, std::min(1.0f, -dy * 2.5f))
                          : mix(horizon, floor, std::min(1.0f, dy * 3.0f));
        base.r += band * horizon.r;
        base.g += band * horizon.g;
        base.b += band * horizon.b;
        float edge = std::max(0.0f, 1.0f - r * r * 0.5f);
        return Rgb{base.r * edge, base.g * edge, base.b * edge};
    });
    c.addGlow(kSize * 0.35f, kSize * 0.3f, kSize * 0.18f, rgb(1, 1, 1), 0.9f, 2.0f);
    c.modulateNoise(30.0f, 0.3f, seed);
    return c;
}

Canvas nebula(Rgb a, Rgb b, Rgb stars, uint32_t seed) {
    Canvas c = shade([&](float u, float v) {
        float n = fbm(u * 5.0f, v * 5.0f, seed);
        float m = fbm(u * 9.0f + 3.0f, v * 9.0f, seed + 5);
        Rgb c = mix(a, b, std::clamp(n * 1.6f - 0.3f, 0.0f, 1.0f));
        float k = 0.75f + 0.5f * m;
        return Rgb{c.r * k, c.g * k, c.b * k};
    });
    for (int i = 0; i < 140; ++i) {  // stars
        uint32_t h = hash32(seed * 977U + static_cast<uint32_t>(i));
        int x = static_cast<int>(h % kSize), y = static_cast<int>((h >> 8) % kSize);
        float k = 0.4f + static_cast<float>((h >> 16) % 60) / 100.0f;
        Rgb& p = c.at(x, y);
        p = Rgb{p.r + stars.r * k, p.g + stars.g * k, p.b + stars.b * k};
    }
    return c;
}

Canvas grid(Rgb line, Rgb fill, int cells) {
    return shade([&](float u, float v) {
        float gu = std::fabs(std::fmod(u * cells, 1.0f) - 0.5f),
              gv = std::fabs(std::fmod(v * cells, 1.0f) - 0.5f);
        float l = std::exp(-std::pow((0.5f - std::max(gu, gv)) * 30.0f, 2.0f));
        float glow = std::exp(-std::pow((0.5f - std::max(gu, gv)) * 8.0f, 2.0f)) * 0.4f;
        return Rgb{fill.r + line.r * (l + glow), fill.g + line.g * (l + glow), fill.b + line.b * (l + glow)};
    });
}

Canvas plasma(Rgb a, Rgb b, Rgb c3) {
    return shade([&](float u, float v) {
        float t = std::sin(u * 12.0f) + std::sin(v * 9.0f + u * 4.0f) + std::sin((u + v) * 7.0f);
        float k = 0.5f + 0.5f * std::sin(t * 1.8f);
        Rgb base = mix(a, b, k);
        return mix(base, c3, std::pow(0.5f + 0.5f * std::cos(t * 3.0f), 6.0f));
    });
}

Canvas organic(Rgb dark, Rgb light, float stretch, uint32_t seed) {
    Canvas c = shade([&](float u, float v) {
        float n = fbm(u * 4.0f, v * 4.0f * stretch, seed);
        float veins = std::pow(1.0f - std::fabs(std::sin((u * 10.0f + n * 6.0f) * 3.14159f)), 6.0f);
        return mix(dark, light, std::clamp(n * 1.3f - 0.2f + veins * 0.5f, 0.0f, 1.0f));
    });
    return c;
}

Canvas iridescent() {
    return shade([&](float u, float v) {
        float dx = u - 0.5f, dy = v - 0.5f;
        float a = std::atan2(dy, dx), r = std::sqrt(dx * dx + dy * dy);
        float t = a * 2.0f + r * 20.0f;
        Rgb c{0.55f + 0.45f * std::sin(t), 0.55f + 0.45f * std::sin(t + 2.1f),
              0.55f + 0.45f * std::sin(t + 4.2f)};
        float grooves = 0.85f + 0.15f * std::sin(r * 400.0f);
        float hole = r < 0.08f ? 0.1f : 1.0f;
        return Rgb{c.r * grooves * hole, c.g * grooves * hole, c.b * grooves * hole};
    });
}

// Darkens the borders of a picture to black with a smooth falloff, so that a quad drawn
// additively with it shows no edge.
Canvas vignette(Canvas c, float inner) {
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            float dx = (x + 0.5f) / c.width() * 2.0f - 1.0f, dy = (y + 0.5f) / c.height() * 2.0f - 1.0f;
            float r = std::sqrt(dx * dx + dy * dy);
            float k = std::clamp((1.0f - r) / (1.0f - inner), 0.0f, 1.0f);
            k = k * k * (3.0f - 2.0f * k);
            Rgb& p = c.at(x, y);
            p = Rgb{p.r * k, p.g * k, p.b * k};
        }
    }
    return c;
}

// A warm far wall of the corridor: a bright glow behind the cubes over soft noise.
Canvas corridorWall() {
    Canvas c(kSize, kSize);
    c.verticalGradient(rgb(0.35f, 0.12f, 0.25f), rgb(0.25f, 0.08f, 0.12f));
    c.addGlow(kSize / 2.0f, kSize / 2.0f, kSize * 0.6f, rgb(1.0f, 0.65f, 0.35f), 0.9f, 1.6f);
    c.modulateNoise(24.0f, 0.35f, 61);
    return c;
}

// The glass core: cloud bands in blues and white with noise, bright at the top and dark below,
// so that the sphere shows its roundness whichever way the texture lands on it.
Canvas planet() {
    Canvas c = shade([](float u, float v) {
        float n = fbm(u * 6.0f, v * 14.0f, 13);
        float bands = 0.5f + 0.5f * std::sin(v * 38.0f + n * 5.0f);
        Rgb deep = rgb(0.05f, 0.18f, 0.55f), light = rgb(0.75f, 0.9f, 1.0f);
        Rgb base = mix(deep, light, std::clamp(bands * 0.8f + n * 0.4f - 0.1f, 0.0f, 1.0f));
        float k = 1.15f - 0.8f * v;
        return Rgb{base.r * k, base.g * k, base.b * k};
    });
    c.addGlow(kSize * 0.3f, kSize * 0.25f, kSize * 0.25f, rgb(1, 1, 1), 0.7f, 2.0f);
    return c;
}

// The plate the title-dolly camera looks at: an emblem of rings on deep blue that fades to black
// at its borders (the plate is added to the picture, so it shows no edge). No lettering: the
// title itself comes as a card over the picture.
Canvas titlePlate() {
    Canvas c(kSize, kSize);
    c.verticalGradient(rgb(0.02f, 0.06f, 0.2f), rgb(0.0f, 0.02f, 0.1f));
    c.addGlow(kSize / 2.0f, kSize / 2.0f, kSize * 0.45f, rgb(0.1f, 0.3f, 0.7f), 0.8f, 2.0f);
    for (int k = 0; k < 4; ++k)
        c.addRing(kSize / 2.0f, kSize / 2.0f, 22.0f + 20.0f * k, 2.0f + k, rgb(0.4f, 0.75f, 1.0f),
                  0.9f - 0.15f * k);
    c.addGlow(kSize / 2.0f, kSize / 2.0f, 18.0f, rgb(1, 1, 1), 1.0f, 1.5f);
    return vignette(c, 0.3f);
}

}  // namespace

bool writeSceneTextures(const std::string& d) {
    bool ok = true;
    auto put = [&](const char* name, Canvas c) { ok = writeTexture(d + name, std::move(c)) && ok; };
    put("korvo_nebula.jpg", nebula(rgb(0.0f, 0.02f, 0.1f), rgb(0.15f, 0.35f, 0.8f), rgb(0.8f, 0.9f, 1), 11));
    put("korvo_ring.jpg", grid(rgb(0.5f, 0.8f, 1.0f), rgb(0.05f, 0.15f, 0.4f), 8));
    put("korvo_chrome.jpg", planet());
    put("korvo_title.jpg", titlePlate());
    put("fx01_grid.jpg", grid(rgb(1.0f, 0.8f, 0.4f), rgb(0.85f, 0.4f, 0.3f), 4));
    put("fx01_plasma.jpg", plasma(rgb(0.8f, 0.2f, 0.45f), rgb(1.0f, 0.65f, 0.2f), rgb(1, 0.95f, 0.7f)));
    Canvas tiles = grid(rgb(1.0f, 0.6f, 0.6f), rgb(0.6f, 0.3f, 0.35f), 2);
    tiles.modulateNoise(20.0f, 0.4f, 62);
    put("fx01_tiles.jpg", tiles);
    put("fx01_wall.jpg", corridorWall());
    put("test01_env.jpg",
        environment(rgb(0.05f, 0.55f, 0.25f), rgb(0.3f, 0.8f, 0.45f), rgb(0.0f, 0.08f, 0.06f), 21));
    put("test01_gold.jpg",
        environment(rgb(1.0f, 0.8f, 0.3f), rgb(1.0f, 1.0f, 0.8f), rgb(0.3f, 0.15f, 0.0f), 22));
    put("test02_skin.jpg", organic(rgb(0.2f, 0.45f, 0.5f), rgb(0.7f, 1.0f, 0.85f), 2.0f, 31));
    put("test02_env.jpg",
        environment(rgb(0.6f, 0.4f, 1.0f), rgb(0.7f, 1.0f, 1.0f), rgb(0.1f, 0.0f, 0.2f), 32));
    put("test02_back.jpg",
        vignette(nebula(rgb(0.05f, 0.0f, 0.12f), rgb(0.45f, 0.2f, 0.75f), rgb(0.7f, 1.0f, 0.9f), 33), 0.25f));
    put("test03_bark.jpg", organic(rgb(0.2f, 0.02f, 0.25f), rgb(0.9f, 0.5f, 1.0f), 0.5f, 41));
    put("test03_env.jpg",
        environment(rgb(1.0f, 0.5f, 0.2f), rgb(1.0f, 0.85f, 0.5f), rgb(0.25f, 0.05f, 0.3f), 42));
    put("test04_lava.jpg",
        environment(rgb(1.0f, 0.55f, 0.15f), rgb(1.0f, 0.9f, 0.5f), rgb(0.45f, 0.08f, 0.02f), 51));
    put("test04_rock.jpg",
        environment(rgb(0.9f, 0.35f, 0.1f), rgb(0.8f, 0.3f, 0.1f), rgb(0.18f, 0.04f, 0.02f), 52));
    put("fx05_baton.jpg", plasma(rgb(1.0f, 0.3f, 0.7f), rgb(0.3f, 0.5f, 1.0f), rgb(1, 1, 1)));
    put("fx02_disc.jpg", iridescent());
    return ok;
}

}  // namespace showgen
}  // namespace kgl
