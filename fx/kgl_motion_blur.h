// The last stage of every frame: the scene and its overlays are drawn into the 512 x 512
// off-screen target, copied into a texture and composed over the window, plainly (an image quad
// and a dark quad, each with its own blend selectors) or as the zoom-trail blur (a stack of ever
// smaller, fainter central crops, optionally drifting). The engine owns exactly one.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "fx/kgl_blur_program.h"
#include "platform/kgl_offscreen.h"
#include "scene/kgl_2d_fasttrigo.h"
#include "sync/kgl_timer.h"

namespace kgl {

class MotionBlur {
public:
    static constexpr int kTargetSize = OffscreenTarget::kSize;
    static constexpr int kMaxTextures = 4;
    static constexpr int kSrcFactorCount = 9;
    static constexpr int kDstFactorCount = 8;
    // setBlend takes selectors modulo these, so the last entry of each table is never chosen.
    static constexpr int kSrcSelectorModulus = 8;
    static constexpr int kDstSelectorModulus = 7;

    MotionBlur();
    virtual ~MotionBlur() = default;
    MotionBlur(const MotionBlur&) = delete;
    MotionBlur& operator=(const MotionBlur&) = delete;

    // Once at set-up with the window's context current: create(512, 512, 0, 0, screen width,
    // screen height, 0, 0, 2). The target is always 512 x 512; x, y and origin are 0 here.
    void create(int width, int height, int x, int y, int outWidth, int outHeight, int spare, int origin,
                int textureCount);
    // Releases the off-screen target and the blur program (optional at exit; tests and tools use
    // it; the show built again in author mode needs it).
    void release();

    void beginCapture();  // make the off-screen context current and clear colour and depth
    void endCapture();    // make the window's context current again
    // Make the off-screen context current without clearing it (a frame drawn only for depth
    // clears the few pixels it reads itself).
    void beginDepthSense();
    void capture();       // copy the current 512 x 512 frame buffer into textures[targetIndex]
    void bindCapture();   // enable 2D texturing and bind textures[targetIndex]
    void drawComposed();  // plain composition over the window (window context current)
    void drawBlurred();   // layered blur over the window (window context current)
    // Draws the last composition again (same kind, layers and drift offsets) without advancing
    // the drift; a blur with one quad per layer or with the one-pass program: for comparing them.
    void redrawLast(bool layerQuads);
    // What drawBlurred() changes besides the picture (the drift moves once per blurred frame):
    // a seek replays frames without drawing them and still lands on the same drift.
    void skipBlurred();

    void setAlphas(float dark, float image);
    void setBlend(int imageSrc, int imageDst, int darkSrc, int darkDst);
    void setDrift(float ampX, float ampY, int shape);  // writes the wave table's text dump
    void setDriftOffset(float x, float y);
    void setDriftOn(uint8_t flag);
    void setLayers(float start, float end, int count);
    // Compiles the one-pass blur for `count` layers now (set-up), not at its first blurred frame.
    void prepareLayers(int32_t count);

    // True when frames go through the off-screen target; false in the direct-drawing fallback,
    // where both compositions are skipped.
    // Alpha of blurred layer `layer` (0 = the full picture), accumulated as the drawing does it.
    float layerAlpha(int32_t layer) const;

    bool offscreen() const { return target_.ready(); }
    bool onePassBlur() const { return program_.ready(); }  // the context runs the blur program
    GLuint texture(int i) const { return (i >= 0 && i < textureCount) ? textures[i] : 0; }
    DemoTimer& timer() { return timer_; }

    static constexpr GLenum srcFactors[kSrcFactorCount] = {GL_ZERO,
                                                           GL_ONE,
                                                           GL_DST_COLOR,
                                                           GL_ONE_MINUS_DST_COLOR,
                                                           GL_SRC_ALPHA,
                                                           GL_ONE_MINUS_SRC_ALPHA,
                                                           GL_DST_ALPHA,
                                                           GL_ONE_MINUS_DST_ALPHA,
                                                           GL_SRC_ALPHA_SATURATE};
    static constexpr GLenum dstFactors[kDstFactorCount] = {GL_ZERO,      GL_ONE,
                                                           GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                                           GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                                           GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};

    // Selectors into the factor tables.
    int32_t darkDstSel = 4;
    int32_t darkSrcSel = 4;
    int32_t imageSrcSel = 4;
    int32_t imageDstSel = 1;

    // Render target 0 (the only one), its size in pixels and as floats, and its origin.
    int32_t targetWidth = 0;
    int32_t targetHeight = 0;
    float targetWidthF = 0.0f;
    float targetHeightF = 0.0f;
    int32_t targetX = 0;
    int32_t targetY = 0;
    int32_t targetIndex = 0;

    int32_t textureCount = 0;
    GLuint textures[kMaxTextures] = {};
    float cornerColours[4][3] = {};

    uint8_t driftOn = 0;
    float driftX = 0.0f;  // texture-coordinate offsets of the blurred layers
    float driftY = 0.0f;
    int32_t layers = 12;
    float layerStep = 0.02f;  // inset of each further layer, in texture coordinates per side
    float alphaStep = 0.075f;
    int32_t outWidth = 0;  // window size in pixels: the extent of the composition quad
    int32_t outHeight = 0;
    float imageAlpha = 0.0f;
    float darkAlpha = 0.0f;
    // 1: the compositions are drawn the straightforward way, one blended window quad per blur
    // layer and the picture sampled with the maximum anisotropy even where it is only enlarged
    // (set by create from the environment variable KGL_STRAIGHT_COMPOSE=1).
    uint8_t straightComposition = 0;
    uint8_t sharpComposition = 0;  // window passes sample without anisotropy (KGL_SHARP_COMPOSE=1)

private:
    void setupTextures();
    void moveDrift();  // one step of the drift offset
    void setupOffscreenState();
    void beginWindowQuadPass();
    void endWindowQuadPass();
    void drawWindowQuad(bool textured);
    void bindForWindow();
    void composeBlurred(float ox, float oy, bool layerQuads);
    void drawLayerQuads(float ox, float oy);

    enum class LastDraw { kNone, kComposed, kBlurred };
    LastDraw last_ = LastDraw::kNone;
    float lastOffsetX_ = 0.0f;
    float lastOffsetY_ = 0.0f;
    BlurProgram program_;
    float maxAnisotropy_ = 1.0f;              // 1 when the context has no anisotropic filtering
    bool lowAnisotropy_ = false;              // the window pass in progress lowered it
    bool captureDefined_[kMaxTextures] = {};  // the texture has its storage from a first capture

    DemoTimer timer_;
    FastTrigo drift_;
    OffscreenTarget target_;
};

}  // namespace kgl
