// The blurred composition in one window pass: a fragment program samples the captured picture
// once per layer (each layer's own inset and alpha) and accumulates the layers exactly as the
// stacked blended quads do (each layer blended with GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA over the
// ones before, clamped after every layer), so the cost is one window fill plus one texture fetch
// per layer instead of one blended window fill per layer. Owned by MotionBlur; needs the
// ARB shader extensions, otherwise it stays unready and the quads are drawn.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

namespace kgl {

class BlurProgram {
public:
    static constexpr int kMaxLayers = 32;
    static constexpr int kUnrolled = 16;       // one program per count 1..16, one loop for 17..32
    static constexpr int kDefaultLayers = 12;  // the blur's layer count until the show changes it

    // Checks the current context for the shader extensions and compiles the variant for the
    // default 12 layers; false (and unready) when the context lacks them or compiling fails
    // (said once on stderr). Each variant costs the driver about 1.5 MB and a compile, so the
    // others are compiled by prepare(), which the show's set-up calls for the counts it uses, or
    // at their first draw.
    bool create();
    bool ready() const { return ready_; }
    // Compiles the variant that draws `count` layers if it is not there yet; false when it does
    // not compile (the program is then unready and the layers are drawn one by one).
    bool prepare(int32_t count);
    // Deletes the compiled variants (in the current context, which shares them with the one that
    // compiled them); unready until the next create.
    void release();

    // Draws one window quad (0, 0)-(w, h) with the picture bound on unit 0. insets[i] is layer i's
    // texture-coordinate inset per side, alphas[i] its vertex alpha (clamped here as GL clamps
    // vertex colours); (ox, oy) the drift offset. Leaves the program unbound and the blend
    // function at GL_ONE, GL_ONE_MINUS_SRC_ALPHA.
    void draw(const float* insets, const float* alphas, int32_t count, float ox, float oy, float w, float h);

private:
    static constexpr int kVariants = kUnrolled + 1;
    static int variantOf(int32_t count);  // count already within 0..kMaxLayers
    struct Variant {
        GLhandleARB program = 0;
        GLint pictureAt = -1;
        GLint offsetAt = -1;
        GLint countAt = -1;
        GLint layerAt = -1;
    };
    Variant variants_[kVariants];
    bool ready_ = false;
};

}  // namespace kgl
