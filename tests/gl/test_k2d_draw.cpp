#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/kgl_loading_screen.h"
#include "common/kgl_bytes.h"
#include "image/kgl_k2d.h"
#include "platform/kgl_test_context.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_k2d.h"

using namespace kgl;
using namespace kgl_test;

namespace {

constexpr int kW = 120;
constexpr int kH = 96;

// Top half red, bottom half blue.
std::vector<uint8_t> TwoBandJpeg() {
    return EncodeJpeg(16, 16, 3, [](int, int y, int k) -> uint8_t {
        if (y < 8) return k == 0 ? 255 : 0;
        return k == 2 ? 255 : 0;
    });
}

void Pixel(int x, int yFromTop, uint8_t out[4]) {
    glReadPixels(x, kH - 1 - yFromTop, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, out);
}

}  // namespace

TEST(K2DDraw, PictureFirstRowIsAtTheTopAndTheLoadingBandSpansHalfToFiveSixths) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.create(kW, kH));
    TempCwd cwd;
    ASSERT_EQ(system("mkdir -p escena"), 0);
    std::vector<K2DTestEntry> entries(1);
    entries[0] = {"load", 0, TwoBandJpeg(), {9, 9, 9}};
    ASSERT_TRUE(writeFile("escena/load.k2d", BuildK2D(entries)));

    glViewport(0, 0, kW, kH);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    K2DImage image;
    drawLoadingScreen(image, kW, kH);
    glFinish();
    EXPECT_EQ(image.loadedCount, 1);
    EXPECT_FLOAT_EQ(image.pictures[0].alpha, 1.0f);
    EXPECT_EQ(image.pictures[0].drawWidth, kW);
    EXPECT_EQ(image.pictures[0].drawHeight, kH / 3);

    uint8_t p[4];
    // Above the band: black.
    Pixel(kW / 2, kH / 2 - 3, p);
    EXPECT_LT(p[0] + p[1] + p[2], 20);
    // Top part of the band: the image's first rows (red), drawn at brightness 0.7.
    Pixel(kW / 2, kH / 2 + 3, p);
    EXPECT_NEAR(p[0], 178, 20);
    EXPECT_LT(p[2], 30);
    // Bottom part of the band: blue.
    Pixel(kW / 2, kH * 5 / 6 - 3, p);
    EXPECT_LT(p[0], 30);
    EXPECT_NEAR(p[2], 178, 20);
    // Below the band: black.
    Pixel(kW / 2, kH * 5 / 6 + 3, p);
    EXPECT_LT(p[0] + p[1] + p[2], 20);
}

TEST(K2DDraw, SecondEntryForASlotWinsAndBadSlotsAreSkipped) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.create(kW, kH));
    TempCwd cwd;
    std::vector<K2DTestEntry> entries(3);
    entries[0] = {"a", 2, SolidJpeg(8, 8, 255, 0, 0), {}};
    entries[1] = {"b", 2, SolidJpeg(4, 2, 0, 255, 0), {}};
    entries[2] = {"c", 12, SolidJpeg(4, 2, 0, 0, 255), {}};
    ASSERT_TRUE(writeFile("pics.k2d", BuildK2D(entries)));
    K2DImage image;
    image.Init(kW, kH, 16);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(image.Load("pics.k2d"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("K2D: [pics.k2d] entry 2 names slot 12"), std::string::npos) << err;
    EXPECT_EQ(image.pictures[2].imageWidth, 4);
    EXPECT_EQ(image.pictures[2].imageHeight, 2);
    EXPECT_GT(image.pictures[2].pixels[1], 200);
    EXPECT_FLOAT_EQ(image.pictures[2].brightness, 0.7f);
    image.SetSize(4, 2, 2);
    EXPECT_FLOAT_EQ(image.pictures[2].scaleX, 1.0f);
    EXPECT_EQ(image.pictures[2].drawWidth, 4);
    image.SetPosition(10, 20, 0, 2);
    EXPECT_EQ(image.pictures[2].corners[0][1], kH - 20);
    EXPECT_EQ(image.pictures[2].corners[2][0], 14);
    EXPECT_EQ(image.pictures[2].corners[2][1], kH - 22);

    testing::internal::CaptureStderr();
    K2DImage missing;
    missing.Init(kW, kH, 16);
    EXPECT_FALSE(missing.Load("nothing.k2d"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("K2D Loading ERROR: K2D Scene File Not Founde."),
              std::string::npos);
}
