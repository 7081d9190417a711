#include "fx/kgl_motion_blur.h"

#include <GL/glext.h>

#include <cstdlib>
#include <cstring>

#include "platform/kgl_glext.h"

namespace kgl {
namespace {

// Remainder in 0 .. modulus-1 for any selector: the director can push selectors below zero.
int32_t positiveRemainder(int32_t value, int32_t modulus) {
    int32_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

constexpr float kFirstLayerAlpha = 0.3f;

}  // namespace

// The drift table starts as a still curve (all samples zero), so switching the drift on before
// setDrift has filled it reads defined samples instead of an unset cursor.
MotionBlur::MotionBlur() {
    drift_.generate(0, 0, 0, 1);
    drift_.setStep(1);
}

float MotionBlur::layerAlpha(int32_t layer) const {
    float alpha = kFirstLayerAlpha;
    for (int32_t i = 0; i < layer; ++i) alpha -= alphaStep;
    return alpha;
}

void MotionBlur::create(int width, int height, int x, int y, int outW, int outH, int /*spare*/,
                        int /*origin*/, int count) {
    for (auto& corner : cornerColours) corner[0] = corner[1] = corner[2] = 1.0f;
    imageAlpha = 0.6f;
    darkAlpha = 0.03f;
    layers = 12;
    layerStep = 0.02f;
    alphaStep = 0.075f;
    driftOn = 0;
    targetIndex = 0;
    textureCount = count < 1 ? 1 : (count > kMaxTextures ? kMaxTextures : count);

    timer_.Start(0, 6);

    void* window = nullptr;
    void* windowContext = nullptr;
    currentGLHandles(window, windowContext);

    // The off-screen picture is always 512 x 512, whatever was asked.
    (void)width;
    (void)height;
    targetWidth = kTargetSize;
    targetHeight = kTargetSize;
    targetWidthF = static_cast<float>(kTargetSize);
    targetHeightF = static_cast<float>(kTargetSize);
    targetX = x;
    targetY = y;
    outWidth = outW;
    outHeight = outH;

    target_.create(window, windowContext);
    setupTextures();
    const char* straight = std::getenv("KGL_STRAIGHT_COMPOSE");
    straightComposition = straight && std::strcmp(straight, "1") == 0;
    const char* sharp = std::getenv("KGL_SHARP_COMPOSE");
    sharpComposition = sharp && std::strcmp(sharp, "1") == 0;
    program_.create();
    beginCapture();
    setupOffscreenState();
    endCapture();
}

void MotionBlur::release() {
    program_.release();
    target_.destroy();
}

void MotionBlur::setupTextures() {
    glDeleteTextures(kMaxTextures, textures);  // a second create replaces the first one's names
    for (GLuint& t : textures) t = 0;
    glGenTextures(textureCount, textures);
    for (bool& d : captureDefined_) d = false;
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    maxAnisotropy_ = 1.0f;
    if (hasGLExtension("GL_EXT_texture_filter_anisotropic") ||
        hasGLExtension("GL_ARB_texture_filter_anisotropic")) {
        maxAnisotropy_ = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy_);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, maxAnisotropy_);
    }
}

// Runs in the off-screen context: this state stays there for the life of the show.
void MotionBlur::setupOffscreenState() {
    glEnable(GL_RESCALE_NORMAL);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

// Depth writes are switched on for the clear: the last drawer of the previous frame (a wave grid)
// may have left them off, and a masked clear would keep last frame's depth.
void MotionBlur::beginCapture() {
    target_.makeCurrent();
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void MotionBlur::beginDepthSense() {
    target_.makeCurrent();
}

void MotionBlur::endCapture() {
    target_.makeWindowCurrent();
}

// The first capture defines the texture's 512 x 512 RGBA storage; later ones copy into it, which
// gives the same texels without the driver freeing, allocating and clearing 1 MB every frame.
void MotionBlur::capture() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[targetIndex]);
    bool& defined = captureDefined_[targetIndex & (kMaxTextures - 1)];
    if (defined) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, targetWidth, targetHeight);
        return;
    }
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, targetWidth, targetHeight, 0);
    defined = true;
}

void MotionBlur::bindCapture() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[targetIndex]);
}

// Shared opening of both compositions: plain 2D state, a window-sized orthographic projection.
void MotionBlur::beginWindowQuadPass() {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, outWidth, 0.0, outHeight, -1.0, 1.0);
    glViewport(0, 0, outWidth, outHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// The compositions only ever enlarge the picture when the window is at least as large as the
// target, and anisotropic filtering should change nothing when a texture is enlarged, but a
// software rasterizer still pays for it on every fetch and softens the picture with it. With
// KGL_SHARP_COMPOSE=1 the window passes sample without it: about four times cheaper there, and
// sharper than the default picture. The wave grids, which sample the picture at its own size,
// keep the maximum.
void MotionBlur::bindForWindow() {
    glBindTexture(GL_TEXTURE_2D, textures[targetIndex]);
    lowAnisotropy_ = maxAnisotropy_ > 1.0f && sharpComposition && !straightComposition &&
                     outWidth >= targetWidth && outHeight >= targetHeight;
    if (lowAnisotropy_) glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
}

void MotionBlur::endWindowQuadPass() {
    if (lowAnisotropy_) {
        glBindTexture(GL_TEXTURE_2D, textures[targetIndex]);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, maxAnisotropy_);
        lowAnisotropy_ = false;
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glDepthMask(GL_TRUE);
}

void MotionBlur::drawWindowQuad(bool textured) {
    const float w = static_cast<float>(outWidth);
    const float h = static_cast<float>(outHeight);
    glBegin(GL_QUADS);
    if (textured) glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    if (textured) glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, 0.0f);
    if (textured) glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, h);
    if (textured) glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, h);
    glEnd();
}

void MotionBlur::drawComposed() {
    if (!offscreen()) return;  // direct mode: the frame is already in the window
    last_ = LastDraw::kComposed;
    beginWindowQuadPass();
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    bindForWindow();
    glBlendFunc(srcFactors[imageSrcSel], dstFactors[imageDstSel]);
    const float w = static_cast<float>(outWidth);
    const float h = static_cast<float>(outHeight);
    const float corners[4][4] = {{0, 0, 0, 0}, {1, 0, w, 0}, {1, 1, w, h}, {0, 1, 0, h}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glColor4f(cornerColours[i][0], cornerColours[i][1], cornerColours[i][2], imageAlpha);
        glTexCoord2f(corners[i][0], corners[i][1]);
        glVertex2f(corners[i][2], corners[i][3]);
    }
    glEnd();
    glBlendFunc(srcFactors[darkSrcSel], dstFactors[darkDstSel]);
    glColor4f(0.0f, 0.0f, 0.0f, darkAlpha);
    glDisable(GL_TEXTURE_2D);
    drawWindowQuad(false);
    endWindowQuadPass();
}

void MotionBlur::drawBlurred() {
    if (!offscreen()) return;
    float ox = 0.0f;
    float oy = 0.0f;
    if (driftOn) {
        moveDrift();
        ox = driftX;
        oy = driftY;
    }
    composeBlurred(ox, oy, straightComposition != 0);
    if (driftOn) drift_.advance(0);
}

void MotionBlur::redrawLast(bool layerQuads) {
    if (last_ == LastDraw::kComposed) drawComposed();
    if (last_ == LastDraw::kBlurred) composeBlurred(lastOffsetX_, lastOffsetY_, layerQuads);
}

// The layers as the program draws them in one pass, or one blended window quad per layer.
void MotionBlur::composeBlurred(float ox, float oy, bool layerQuads) {
    last_ = LastDraw::kBlurred;
    lastOffsetX_ = ox;
    lastOffsetY_ = oy;
    beginWindowQuadPass();
    glEnable(GL_TEXTURE_2D);
    bindForWindow();
    glEnable(GL_BLEND);
    if (layerQuads || layers > BlurProgram::kMaxLayers || !program_.prepare(layers)) {
        drawLayerQuads(ox, oy);
    } else {
        float insets[BlurProgram::kMaxLayers];
        float alphas[BlurProgram::kMaxLayers];
        float d = 0.0f;
        float alpha = kFirstLayerAlpha;
        for (int32_t i = 0; i < layers; ++i) {  // accumulated in float exactly as the quads do
            insets[i] = d;
            alphas[i] = alpha;
            d += layerStep;
            alpha -= alphaStep;
        }
        program_.draw(insets, alphas, layers, ox, oy, static_cast<float>(outWidth),
                      static_cast<float>(outHeight));
    }
    glEnable(GL_DEPTH_TEST);
    endWindowQuadPass();
}

void MotionBlur::drawLayerQuads(float ox, float oy) {
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_ALPHA);
    const float w = static_cast<float>(outWidth);
    const float h = static_cast<float>(outHeight);
    float d = 0.0f;
    float alpha = kFirstLayerAlpha;
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < layers; ++i) {
        glColor4f(0.5f, 0.5f, 0.5f, alpha);  // below zero on the last layers; GL clamps it
        glTexCoord2f(d + ox, d + oy);
        glVertex2f(0.0f, 0.0f);
        glTexCoord2f(1.0f - d + ox, d + oy);
        glVertex2f(w, 0.0f);
        glTexCoord2f(1.0f - d + ox, 1.0f - d + oy);
        glVertex2f(w, h);
        glTexCoord2f(d + ox, 1.0f - d + oy);
        glVertex2f(0.0f, h);
        d += layerStep;
        alpha -= alphaStep;
    }
    glEnd();
}

void MotionBlur::moveDrift() {
    float sx = 0.0f;
    float sy = 0.0f;
    drift_.sample(0, sx, sy);
    driftX += sx;
    driftY += sy;
}

void MotionBlur::skipBlurred() {
    if (!offscreen() || !driftOn) return;
    moveDrift();
    drift_.advance(0);
}

void MotionBlur::prepareLayers(int32_t count) {
    if (count > 0 && count <= BlurProgram::kMaxLayers) program_.prepare(count);
}

void MotionBlur::setAlphas(float dark, float image) {
    darkAlpha = dark;
    imageAlpha = image;
}

void MotionBlur::setBlend(int imageSrc, int imageDst, int darkSrc, int darkDst) {
    imageSrcSel = positiveRemainder(imageSrc, kSrcSelectorModulus);
    imageDstSel = positiveRemainder(imageDst, kDstSelectorModulus);
    darkSrcSel = positiveRemainder(darkSrc, kSrcSelectorModulus);
    darkDstSel = positiveRemainder(darkDst, kDstSelectorModulus);
}

void MotionBlur::setDrift(float ampX, float ampY, int shape) {
    driftOn = 1;
    driftX = driftY = 0.5f;
    drift_.generateAndDump(ampX, ampY, 0, static_cast<uint8_t>(shape));
    drift_.setStep(1);
}

void MotionBlur::setDriftOffset(float x, float y) {
    driftX = x;
    driftY = y;
}

void MotionBlur::setDriftOn(uint8_t flag) {
    driftOn = flag;
}

void MotionBlur::setLayers(float start, float end, int count) {
    if (count <= 0) {  // no layers: nothing to step between, and no division by zero
        layers = 0;
        layerStep = 0.02f;
        alphaStep = 0.0f;
        return;
    }
    layers = count;
    layerStep = 0.02f;
    alphaStep = (start - end) / static_cast<float>(count);
}

}  // namespace kgl
