#include "scene/kgl_lensflare.h"

#include <GL/glu.h>

#include <cmath>
#include <cstring>

#include "common/kgl_log.h"
#include "image/kgl_jpeg.h"
#include "image/kgl_k2d.h"
#include "scene/kgl_object_render.h"
#include "scene/kgl_scene3d.h"

namespace kgl {
namespace {

struct ElementDefault {
    int32_t texture;
    float size;
    float position;
    float r, g, b;  // factors of the light's diffuse colour
};

constexpr ElementDefault kElementDefaults[LensFlare::kElements] = {
    {2, 0.04f, 0.9f, 0.79f, 0.81f, 0.78f}, {3, 0.1f, 0.8f, 0.85f, 0.84f, 0.89f},
    {1, 0.2f, 0.5f, 0.89f, 0.86f, 0.86f},  {3, 0.05f, 0.2f, 0.95f, 0.93f, 0.93f},
    {0, 0.04f, 0.0f, 1.0f, 1.0f, 1.0f},    {4, 0.07f, -0.25f, 1.0f, 1.0f, 1.0f},
    {4, 0.02f, -0.4f, 0.83f, 0.87f, 0.9f}, {4, 0.03f, -1.0f, 0.76f, 0.98f, 0.78f},
};

Vec3 add(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 scale(const Vec3& a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// A zero vector stays zero instead of turning into NaNs.
Vec3 normalise(const Vec3& a) {
    const float len = std::sqrt(dot(a, a));
    return len > 0.0f ? scale(a, 1.0f / len) : Vec3{};
}

// Moves the rows of a w x h picture decoded at its own stride out to the 128-pixel stride the
// upload reads, clearing the padding. Last row first, so no row is overwritten before it moves.
void spreadRows(uint8_t* pixels, int w, int h) {
    if (w >= LensFlare::kImageSide) return;
    const size_t row = static_cast<size_t>(w) * 3;
    const size_t stride = static_cast<size_t>(LensFlare::kImageSide) * 3;
    for (int r = h - 1; r >= 0; --r) {
        uint8_t* dst = pixels + static_cast<size_t>(r) * stride;
        std::memmove(dst, pixels + static_cast<size_t>(r) * row, row);
        std::memset(dst + row, 0, stride - row);
    }
}

// A unit vector perpendicular to `d`, for a flare line of zero length: the elements then stack
// on the view centre instead of collapsing to nothing.
Vec3 anyNormalTo(const Vec3& d) {
    Vec3 n = normalise(cross(d, Vec3{0.0f, 1.0f, 0.0f}));
    if (dot(n, n) == 0.0f) n = normalise(cross(d, Vec3{1.0f, 0.0f, 0.0f}));
    return n;
}

}  // namespace

LensFlare::~LensFlare() = default;

bool LensFlare::Load(SceneLight& light, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadK2DFile(path.c_str(), bytes, "K2D LensFlare File Not Founde.")) return false;
    light.lensFlareOn = 1;
    if (!imagesLoaded) glGenTextures(kTextureNames, textures);
    imagesLoaded = 1;
    images.assign(static_cast<size_t>(kMaxImages) * kImageBytes, 0);
    imageCount = 0;
    JpegReader reader;
    reader.SetName(path);
    WalkK2D(bytes, path.c_str(), [&](const K2DEntry& entry) {
        if (entry.number >= kMaxImages) {
            logLine("LENSFLARE", path.c_str(), "more than %d images; the rest are skipped", kMaxImages);
            return false;
        }
        loadImage(reader, entry, path);
        return true;
    });
    SetDefaults(light);
    return true;
}

// Entry k goes into image buffer k and into the texture name its slot byte selects, always as a
// 128 x 128 picture: a smaller one fills the first rows and columns, a larger one is refused.
void LensFlare::loadImage(JpegReader& reader, const K2DEntry& entry, const std::string& path) {
    if (entry.slot >= kTextureNames) {
        logLine("LENSFLARE", path.c_str(), "image %d names texture %d, outside 0..%d; skipped", entry.number,
                entry.slot, kTextureNames - 1);
        return;
    }
    if (!reader.ProbeMemory(entry.data, entry.size)) return;
    const int w = reader.Width();
    const int h = reader.Height();
    if (w <= 0 || h <= 0 || w > kImageSide || h > kImageSide) {
        logLine("LENSFLARE", path.c_str(), "image %d is %d x %d, larger than %d x %d; skipped", entry.number,
                w, h, kImageSide, kImageSide);
        return;
    }
    uint8_t* pixels = images.data() + static_cast<size_t>(entry.number) * kImageBytes;
    if (!reader.DecodeMemory(entry.data, entry.size, pixels, kImageBytes)) return;
    imageCount = entry.number + 1;
    spreadRows(pixels, w, h);
    glBindTexture(GL_TEXTURE_2D, textures[entry.slot]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, kImageSide, kImageSide, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

void LensFlare::SetDefaults(const SceneLight& light) {
    for (int i = 0; i < kElements; ++i) {
        const ElementDefault& d = kElementDefaults[i];
        Element& e = elements[i];
        e.texture = d.texture;
        e.size = d.size;
        e.position = d.position;
        e.r = light.diffuse.r * d.r;
        e.g = light.diffuse.g * d.g;
        e.b = light.diffuse.b * d.b;
        e.a = 1.0f;
    }
}

void LensFlare::SetOn(SceneLight& light, uint8_t flag) {
    if (imagesLoaded) light.lensFlareOn = flag;
}

void LensFlare::ApplyVisibility(SceneLight& light, bool visible) {
    if (visible) {
        glowFrozen = 0;
        for (Element& e : elements) e.a = (e.a + kFadeStep > kMaxAlpha) ? kMaxAlpha : e.a + kFadeStep;
        return;
    }
    glowFrozen = 1;
    light.glowRising1 = 0;
    light.glowRising2 = 0;
    const float shrink = kGlowShrink * light.limitCopies[0];  // the first upper bound of "LIMITS:"
    const float lower1 = light.limitCopies[2];
    const float lower2 = light.limitCopies[3];
    light.glowSize1 -= shrink;
    if (light.glowSize1 < lower1) light.glowSize1 = lower1;
    light.glowSize2 -= shrink;
    if (light.glowSize2 < lower2) light.glowSize2 = lower2;
    for (Element& e : elements) e.a = (e.a - kFadeStep < 0.0f) ? 0.0f : e.a - kFadeStep;
}

bool LensFlare::ComputeGeometry(const Vec3& eye, const Vec3& target, const Vec3& light, Geometry& out) {
    const Vec3 d = normalise(sub(target, eye));
    const Vec3 v = normalise(sub(light, eye));
    const float c = dot(v, d);
    if (!(c > 0.0f)) return false;
    out.view = d;
    out.centre = add(eye, d);
    const Vec3 l = add(eye, scale(v, 1.0f / c));
    out.flare = sub(l, out.centre);
    out.along = normalise(out.flare);
    if (dot(out.along, out.along) == 0.0f) out.along = anyNormalTo(d);  // light dead ahead: no line
    out.side = cross(out.along, d);
    return true;
}

Vec3 LensFlare::ElementCentre(const Geometry& g, float position) {
    return add(g.centre, scale(g.flare, position));
}

bool LensFlare::OnPicture(const GLView& v, const Vec3& p, double out[3]) {
    if (gluProject(p.x, p.y, p.z, v.model, v.proj, v.viewport, &out[0], &out[1], &out[2]) != GL_TRUE)
        return false;
    return out[0] >= v.viewport[0] && out[0] < v.viewport[0] + v.viewport[2] && out[1] >= v.viewport[1] &&
           out[1] < v.viewport[1] + v.viewport[3];
}

bool LensFlare::Sense(SceneLight& light, const Vec3& eye, const Vec3& target, Geometry& g) {
    const Vec3 lightPos{light.position.x, light.position.y, light.position.z};
    double w[3];
    if (!OnPicture(CurrentGLView(), lightPos, w)) return false;
    GLfloat depth = 0.0f;
    glReadPixels(static_cast<GLint>(w[0]), static_cast<GLint>(w[1]), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                 &depth);
    const bool inFront = ComputeGeometry(eye, target, lightPos, g);
    // A light behind the eye has no flare line; it counts as hidden.
    ApplyVisibility(light, inFront && DepthVisible(depth, w[2]));
    return inFront;
}

void LensFlare::Draw(SceneLight& light, const Vec3& eye, const Vec3& target) {
    Geometry g;
    if (!Sense(light, eye, target, g)) return;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    drawElements(g);
}

void LensFlare::drawElements(const Geometry& g) const {
    for (const Element& e : elements) {
        const Vec3 h = scale(g.along, kSizeFactor * e.size);
        const Vec3 s = scale(g.side, kSizeFactor * e.size);
        const Vec3 m = ElementCentre(g, e.position);
        const int32_t t = (e.texture >= 0 && e.texture < kTextureNames) ? e.texture : 0;
        glColor4f(e.r, e.g, e.b, e.a);
        glBindTexture(GL_TEXTURE_2D, textures[t]);
        glBegin(GL_QUADS);
        const Vec3 c0 = add(add(m, h), s);
        const Vec3 c1 = add(sub(m, h), s);
        const Vec3 c2 = sub(sub(m, h), s);
        const Vec3 c3 = sub(add(m, h), s);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(c0.x, c0.y, c0.z);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(c1.x, c1.y, c1.z);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(c2.x, c2.y, c2.z);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(c3.x, c3.y, c3.z);
        glEnd();
    }
}

}  // namespace kgl
