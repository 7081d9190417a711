#include <gtest/gtest.h>

#include "fx/kgl_motion_blur.h"

using kgl::MotionBlur;

TEST(MotionBlur, ConstructionValues) {
    MotionBlur blur;
    EXPECT_EQ(blur.darkDstSel, 4);
    EXPECT_EQ(blur.darkSrcSel, 4);
    EXPECT_EQ(blur.imageSrcSel, 4);
    EXPECT_EQ(blur.imageDstSel, 1);
    EXPECT_EQ(blur.targetIndex, 0);
    EXPECT_EQ(blur.driftOn, 0);
    EXPECT_EQ(blur.layers, 12);
    EXPECT_FLOAT_EQ(blur.layerStep, 0.02f);
    EXPECT_FLOAT_EQ(blur.alphaStep, 0.075f);
    EXPECT_EQ(MotionBlur::srcFactors[8], static_cast<GLenum>(GL_SRC_ALPHA_SATURATE));
    EXPECT_EQ(MotionBlur::dstFactors[7], static_cast<GLenum>(GL_ONE_MINUS_DST_ALPHA));
}

TEST(MotionBlur, BlendSelectorsTakeRemainders) {
    MotionBlur blur;
    blur.setBlend(43, 1, 4, 4);
    EXPECT_EQ(MotionBlur::srcFactors[blur.imageSrcSel], static_cast<GLenum>(GL_ONE_MINUS_DST_COLOR));
    EXPECT_EQ(MotionBlur::dstFactors[blur.imageDstSel], static_cast<GLenum>(GL_ONE));
    EXPECT_EQ(MotionBlur::srcFactors[blur.darkSrcSel], static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(MotionBlur::dstFactors[blur.darkDstSel], static_cast<GLenum>(GL_SRC_ALPHA));

    blur.setBlend(9, 8, 12, 7);
    EXPECT_EQ(blur.imageSrcSel, 1);
    EXPECT_EQ(blur.imageDstSel, 1);
    EXPECT_EQ(blur.darkSrcSel, 4);
    EXPECT_EQ(blur.darkDstSel, 0);
}

TEST(MotionBlur, NegativeSelectorsStayInsideTheTables) {
    MotionBlur blur;
    blur.setBlend(-1, -1, -9, -14);
    EXPECT_EQ(blur.imageSrcSel, 7);  // the low three bits
    EXPECT_EQ(blur.imageDstSel, 6);
    EXPECT_EQ(blur.darkSrcSel, 7);
    EXPECT_EQ(blur.darkDstSel, 0);
    for (int v = -40; v <= 40; ++v) {
        blur.setBlend(v, v, v, v);
        EXPECT_GE(blur.imageSrcSel, 0);
        EXPECT_LT(blur.imageSrcSel, MotionBlur::kSrcSelectorModulus);
        EXPECT_GE(blur.imageDstSel, 0);
        EXPECT_LT(blur.imageDstSel, MotionBlur::kDstSelectorModulus);
    }
}

TEST(MotionBlur, LayersAndTheirAlphas) {
    MotionBlur blur;
    const float expected[] = {0.3f, 0.225f, 0.15f, 0.075f, 0.0f};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(blur.layerAlpha(i), expected[i], 1e-6f) << "layer " << i;
    for (int i = 5; i < 12; ++i) EXPECT_LT(blur.layerAlpha(i), 0.0f) << "layer " << i;

    blur.setLayers(0.8f, 0.001f, 2);
    EXPECT_EQ(blur.layers, 2);
    EXPECT_FLOAT_EQ(blur.layerStep, 0.02f);
    EXPECT_FLOAT_EQ(blur.alphaStep, 0.3995f);

    blur.setLayers(0.8f, 0.1f, 0);  // no layers, no division by zero
    EXPECT_EQ(blur.layers, 0);
    EXPECT_FLOAT_EQ(blur.alphaStep, 0.0f);
}

TEST(MotionBlur, DriftOffsetsAndSwitch) {
    MotionBlur blur;
    blur.setDriftOffset(0.25f, -0.5f);
    EXPECT_FLOAT_EQ(blur.driftX, 0.25f);
    EXPECT_FLOAT_EQ(blur.driftY, -0.5f);
    blur.setDriftOn(1);
    EXPECT_EQ(blur.driftOn, 1);
    blur.setAlphas(0.01f, 0.8f);
    EXPECT_FLOAT_EQ(blur.darkAlpha, 0.01f);
    EXPECT_FLOAT_EQ(blur.imageAlpha, 0.8f);
}
