#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fx/kgl_motion_blur.h"
#include "platform/kgl_test_context.h"
#include "tests/gl/kgl_test_pixels.h"
#include "tests/unit/kgl_test_files.h"

namespace {

constexpr int kWinW = 200;
constexpr int kWinH = 150;

using kgl_test::Pixel;
using kgl_test::readPixel;

// Draws an axis-aligned rectangle in 512 x 512 target pixels with an opaque colour.
void fillRect(float x0, float y0, float x1, float y1, float r, float g, float b) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 512, 0, 512, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(r, g, b, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

class MotionBlurGL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.create(kWinW, kWinH));
        blur.create(512, 512, 0, 0, kWinW, kWinH, 0, 0, 2);
        ASSERT_TRUE(blur.offscreen());
    }
    void TearDown() override { blur.release(); }

    kgl::HeadlessGL gl;
    kgl::MotionBlur blur;
};

}  // namespace

TEST_F(MotionBlurGL, CreateValuesAndOffscreenState) {
    EXPECT_FLOAT_EQ(blur.imageAlpha, 0.6f);
    EXPECT_FLOAT_EQ(blur.darkAlpha, 0.03f);
    EXPECT_EQ(blur.textureCount, 2);
    EXPECT_NE(blur.textures[0], 0u);
    EXPECT_NE(blur.textures[1], 0u);
    EXPECT_EQ(blur.targetWidth, 512);
    EXPECT_FLOAT_EQ(blur.targetHeightF, 512.0f);
    EXPECT_EQ(blur.outWidth, kWinW);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));  // the window's context is untouched
    blur.beginCapture();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_RESCALE_NORMAL));
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    GLint align = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    EXPECT_EQ(align, 1);
    blur.endCapture();
}

TEST_F(MotionBlurGL, PlainCompositionReachesTheWindow) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    blur.beginCapture();
    fillRect(0, 0, 512, 512, 0.0f, 1.0f, 0.0f);
    fillRect(0, 0, 256, 256, 1.0f, 0.0f, 0.0f);  // lower-left quarter red
    blur.capture();
    blur.endCapture();
    blur.setBlend(4, 0, 4, 1);  // image: (src alpha, zero); dark: (src alpha, one)
    blur.setAlphas(0.01f, 0.8f);
    blur.drawComposed();
    Pixel lowerLeft = readPixel(kWinW / 4, kWinH / 4);
    Pixel upperRight = readPixel(3 * kWinW / 4, 3 * kWinH / 4);
    EXPECT_NEAR(lowerLeft.r, 204, 3);  // 0.8 of full red
    EXPECT_NEAR(lowerLeft.g, 0, 3);
    EXPECT_NEAR(upperRight.g, 204, 3);
    EXPECT_NEAR(upperRight.r, 0, 3);
}

TEST_F(MotionBlurGL, BlurWithoutDriftIsSymmetricAboutTheCentre) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    blur.beginCapture();
    fillRect(192, 192, 320, 320, 1.0f, 1.0f, 1.0f);  // centred white square
    blur.capture();
    blur.endCapture();
    blur.drawBlurred();
    for (int y = 5; y < kWinH / 2; y += 7) {
        for (int x = 3; x < kWinW / 2; x += 9) {
            Pixel a = readPixel(x, y);
            Pixel b = readPixel(kWinW - 1 - x, kWinH - 1 - y);
            Pixel c = readPixel(kWinW - 1 - x, y);
            ASSERT_NEAR(a.r, b.r, 3) << x << "," << y;
            ASSERT_NEAR(a.r, c.r, 3) << x << "," << y;
        }
    }
    EXPECT_GT(readPixel(kWinW / 2, kWinH / 2).r, 100);  // the square shows, enlarged by the layers
    EXPECT_LT(readPixel(2, 2).r, 5);
}

// The drift walks the texture offsets along its curve, one sample per blurred frame.
TEST_F(MotionBlurGL, DriftSlidesTheLayersAlongItsCurve) {
    {
        kgl_test::TempCwd cwd("kgl_drift_");  // setDrift writes its curve's text dump here
        ASSERT_TRUE(cwd.ok());
        blur.setDrift(-0.0045f, 0.008121f, 2);
    }
    EXPECT_EQ(blur.driftOn, 1);
    EXPECT_FLOAT_EQ(blur.driftX, 0.5f);
    blur.beginCapture();
    blur.capture();
    blur.endCapture();
    float x = 0.5f, y = 0.5f;
    for (int i = 0; i < 3; ++i) {
        blur.drawBlurred();
        x += -0.0045f * std::sin(i * kgl::kTrigoAngleStep);
        y += 0.008121f * std::cos(i * kgl::kTrigoAngleStep);
    }
    EXPECT_NEAR(blur.driftX, x, 1e-5f);
    EXPECT_NEAR(blur.driftY, y, 1e-5f);
    blur.setDriftOn(0);
    blur.drawBlurred();
    EXPECT_NEAR(blur.driftX, x, 1e-5f);  // switched off: the offsets stay
}

// The one-pass blur program against one blended quad per layer, for every layer count the
// director's presets use and the largest stacks, with a drift offset and semi-transparent
// texels: mean difference within 1/255 per channel, no pixel off by more than 8.
TEST_F(MotionBlurGL, OnePassBlurMatchesTheLayerQuads) {
    if (!blur.onePassBlur()) GTEST_SKIP() << "no fragment programs in this context";
    blur.beginCapture();
    for (int i = 0; i < 8; ++i) {
        const float v = static_cast<float>(i) / 7.0f;
        fillRect(i * 64.0f, 0, i * 64.0f + 40.0f, 512, v, 1.0f - v, 0.5f);
        fillRect(0, i * 64.0f, 512, i * 64.0f + 24.0f, 1.0f, v, 1.0f - v);
    }
    glEnable(GL_BLEND);  // texels with alpha below one
    glBlendFunc(GL_ONE, GL_ZERO);
    glColor4f(0.9f, 0.8f, 0.2f, 0.4f);
    glBegin(GL_QUADS);
    glVertex2f(100, 100);
    glVertex2f(400, 120);
    glVertex2f(380, 420);
    glVertex2f(90, 380);
    glEnd();
    blur.capture();
    blur.endCapture();
    const std::size_t bytes = static_cast<std::size_t>(kWinW) * kWinH * 3;
    std::vector<unsigned char> fast(bytes), quads(bytes);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int layers : {2, 7, 16, 24, 32}) {
        blur.setLayers(0.5f, 0.019f, layers);
        blur.setDriftOffset(0.0085f, -0.0035f);
        blur.setDriftOn(0);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        blur.drawBlurred();
        glReadPixels(0, 0, kWinW, kWinH, GL_RGB, GL_UNSIGNED_BYTE, fast.data());
        glClear(GL_COLOR_BUFFER_BIT);
        blur.redrawLast(true);
        glReadPixels(0, 0, kWinW, kWinH, GL_RGB, GL_UNSIGNED_BYTE, quads.data());
        long sum[3] = {};
        int worst = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            const int d = std::abs(fast[i] - quads[i]);
            sum[i % 3] += d;
            worst = std::max(worst, d);
        }
        for (long s : sum) EXPECT_LE(static_cast<double>(s) / (bytes / 3), 1.0) << layers << " layers";
        EXPECT_LE(worst, 8) << layers << " layers";
    }
}
