#include <gtest/gtest.h>

#include "common/kgl_bytes.h"
#include "image/kgl_jpeg.h"
#include "image/kgl_texture.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_jpeg.h"

using namespace kgl;
using namespace kgl_test;

TEST(Jpeg, StreamProbeThenDecodeFromTheRememberedStart) {
    TempCwd cwd;
    std::vector<uint8_t> bytes = {'x', 'y', 'z'};  // the image starts inside a bigger file
    const std::vector<uint8_t> img = EncodeJpeg(7, 5, 3, [](int x, int y, int k) -> uint8_t {
        return static_cast<uint8_t>(k == 0 ? x * 30 : k == 1 ? y * 40 : 128);
    });
    bytes.insert(bytes.end(), img.begin(), img.end());
    ASSERT_TRUE(writeFile("s.bin", bytes));
    FILE* f = std::fopen("s.bin", "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 3, SEEK_SET);
    JpegReader r;
    ASSERT_TRUE(r.ProbeStream(f));
    EXPECT_EQ(r.Width(), 7);
    EXPECT_EQ(r.Height(), 5);
    std::vector<uint8_t> px(r.ByteSize() + 16, 0xab);  // guard bytes after the image
    std::fseek(f, 3, SEEK_SET);
    ASSERT_TRUE(r.DecodeStream(f, px.data(), r.ByteSize()));
    std::fclose(f);
    EXPECT_EQ(px[r.ByteSize()], 0xab);              // exactly width * height * 3 bytes written
    EXPECT_NEAR(px[(4 * 7 + 6) * 3 + 0], 180, 12);  // last column, red = 6 * 30
    EXPECT_NEAR(px[(4 * 7 + 6) * 3 + 1], 160, 12);  // last row first: green = 4 * 40
}

TEST(Jpeg, BadDataReturnsThroughTheErrorExit) {
    JpegReader r;
    std::vector<uint8_t> junk(64, 0x42);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(r.ProbeMemory(junk.data(), junk.size()));
    EXPECT_FALSE(r.ProbeFile("/nonexistent.jpg"));
    std::vector<uint8_t> px(12);
    EXPECT_FALSE(r.DecodeMemory(junk.data(), junk.size(), px.data(), px.size()));
    // A buffer smaller than the image is refused rather than overrun.
    const std::vector<uint8_t> img = SolidJpeg(8, 8, 1, 2, 3);
    EXPECT_FALSE(r.DecodeMemory(img.data(), img.size(), px.data(), px.size()));
    // A cut stream still decodes (the rest is filled by the library) without reading past it.
    std::vector<uint8_t> pixels;
    int32_t w = 0, h = 0;
    DecodeImageMemory(img.data(), img.size() / 2, "cut", pixels, w, h);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("JPEG: [jpeg]"), std::string::npos) << err;
    EXPECT_EQ(pixels.size(), static_cast<size_t>(w) * h * 3);
}

// A stream damaged after its first rows keeps those rows (no placeholder); only a stream whose
// header cannot be read becomes the checker.
TEST(Jpeg, DamagedStreamKeepsTheRowsDecodedBeforeTheError) {
    // Red top rows, then noise that fills most of the scan; cut in the noise.
    std::vector<uint8_t> img = EncodeJpeg(16, 64, 3, [](int x, int y, int k) -> uint8_t {
        if (y < 16) return k == 0 ? 250 : 0;
        return static_cast<uint8_t>((x * 37 + y * 91 + k * 53) * 7);
    });
    size_t scan = 0;
    while (scan + 1 < img.size() && !(img[scan] == 0xFF && img[scan + 1] == 0xDA)) ++scan;
    img.resize(scan + (img.size() - scan) / 2);
    img.insert(img.end(), {0xFF, 0xD8, 0xFF, 0xD8});  // a second start-of-image: a fatal error
    std::vector<uint8_t> pixels;
    int32_t w = 0, h = 0;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(DecodeImageMemory(img.data(), img.size(), "damaged", pixels, w, h));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("JPEG: [damaged]"), std::string::npos) << err;
    EXPECT_EQ(err.find("placeholder"), std::string::npos) << err;
    ASSERT_EQ(w, 16);
    ASSERT_EQ(h, 64);
    EXPECT_NEAR(pixels[0], 250, 8);  // the top row as encoded
    EXPECT_NEAR(pixels[1], 0, 8);
    const std::vector<uint8_t> junk(64, 0x42);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DecodeImageMemory(junk.data(), junk.size(), "junk", pixels, w, h));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(w, kPlaceholderSize);
}
