// Lens flare of one scene light: eight textured, additively blended quads strung along the line
// from the view centre through the light, shown while the light is not hidden behind geometry and
// faded in and out by 0.05 per drawn frame. One LensFlare belongs to each light that may carry a
// flare; the scene script loads it ("CORONAS:") and the scene's glow pass draws it.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/kgl_vec.h"

namespace kgl {

class SceneLight;
class JpegReader;
struct K2DEntry;
struct GLView;

class LensFlare {
public:
    static constexpr int kTextureNames = 12;
    static constexpr int kMaxImages = 5;
    static constexpr int kImageSide = 128;
    static constexpr int kImageBytes = kImageSide * kImageSide * 3;
    static constexpr int kElements = 8;
    static constexpr float kFadeStep = 0.05f;
    static constexpr float kMaxAlpha = 0.7f;
    static constexpr float kSizeFactor = 1.3f;
    static constexpr float kGlowShrink = 0.8f;  // of the light's first upper glow bound

    struct Element {
        int32_t texture = 0;    // index into textures
        float size = 0.0f;      // half-extent in scene units, before kSizeFactor
        float position = 0.0f;  // along the flare line: 0 at the view centre, 1 at the light
        float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
    };

    // The flare line of one frame, in scene space.
    struct Geometry {
        Vec3 centre;  // Q: one unit along the view direction from the eye
        Vec3 flare;   // F: from Q to the light's point in the plane through Q
        Vec3 along;   // G: unit flare direction
        Vec3 side;    // S = G x D
        Vec3 view;    // D: unit view direction
    };

    LensFlare() = default;
    virtual ~LensFlare();
    LensFlare(const LensFlare&) = delete;
    LensFlare& operator=(const LensFlare&) = delete;

    // Reads the K2D file of flare pictures (needs a current GL context) and turns the flare on.
    // A missing file shows "K2D LensFlare File Not Founde." and changes nothing.
    bool Load(SceneLight& light, const std::string& path);
    // Sets the light's flare flag when the pictures are loaded; otherwise does nothing.
    void SetOn(SceneLight& light, uint8_t flag);
    // One frame; the caller has switched lighting, colour material and fog off and depth writes off.
    void Draw(SceneLight& light, const Vec3& eye, const Vec3& target);
    // Window position {x, y, depth} of `p` under `view`; false when it is off the picture (the
    // right and top edges included), where a flare neither draws nor fades.
    static bool OnPicture(const GLView& view, const Vec3& p, double out[3]);
    // Draw's fade step alone: the depth under the light read and applied, nothing drawn. True
    // (with `g` set) when Draw would draw the elements.
    bool Sense(SceneLight& light, const Vec3& eye, const Vec3& target, Geometry& g);

    // The element table with colours from the light's diffuse colour (alpha 1).
    void SetDefaults(const SceneLight& light);
    // Fade step of one drawn frame: visible fades in and releases the glow, hidden fades out,
    // freezes the glow and shrinks its two sizes.
    void ApplyVisibility(SceneLight& light, bool visible);
    // Visible when the depth buffer's value at the light's pixel is not nearer than the light.
    static bool DepthVisible(float bufferDepth, double lightDepth) { return bufferDepth >= lightDepth; }
    // False when the light is behind the eye or exactly sideways (c <= 0): no flare line exists.
    static bool ComputeGeometry(const Vec3& eye, const Vec3& target, const Vec3& light, Geometry& out);
    static Vec3 ElementCentre(const Geometry& g, float position);

    uint8_t imagesLoaded = 0;
    uint8_t glowFrozen = 0;  // set while the light is hidden: its glow stops pulsing
    GLuint textures[kTextureNames] = {};
    Element elements[kElements];
    int32_t imageCount = 0;
    std::vector<uint8_t> images;  // kMaxImages pictures of kImageBytes, allocated by Load

private:
    void loadImage(JpegReader& reader, const K2DEntry& entry, const std::string& path);
    void drawElements(const Geometry& g) const;
};

}  // namespace kgl
