#include <gtest/gtest.h>

#include <cstring>

#include "scene/kgl_scenefile.h"

using namespace kgl;

TEST(SceneFile, HeaderLayoutTrackPatchAndCountsRoundTrip) {
    SceneFileWriter w;
    w.writeHeaderText();
    ASSERT_EQ(w.position(), kSceneHeaderTextLength);
    w.writeFrameValues(100, 30, 160);
    ASSERT_EQ(w.position(), kSceneSectionsOffset);
    EXPECT_TRUE(w.name("Box01"));
    const size_t t = w.beginTrack();
    w.vec3(1, 2, 3);
    w.vec3(4, 5, 6);
    EXPECT_TRUE(w.endTrack(t, 2));
    SceneFileCounts c;
    c.objects = 1;
    c.cameras = 2;
    c.lastFrameCopy = 100;
    c.materials = 3;
    c.lights = 4;
    c.sampleCounter = 2;
    c.shapes = 5;
    EXPECT_TRUE(w.writeCounts(c));

    const std::vector<uint8_t>& b = w.bytes();
    EXPECT_EQ(std::memcmp(b.data(), "KORVO_GL3D EngineSceneFile", 26), 0);
    for (size_t i = 40; i < 50; ++i) EXPECT_EQ(b[i], ' ') << i;

    SceneFileReader r(b, "t.k3d");
    SceneFileHeader h;
    ASSERT_TRUE(r.header(h));
    EXPECT_EQ(r.position(), kSceneSectionsOffset);
    EXPECT_EQ(h.counts.objects, 1);
    EXPECT_EQ(h.counts.cameras, 2);
    EXPECT_EQ(h.counts.lastFrameCopy, 100);
    EXPECT_EQ(h.counts.materials, 3);
    EXPECT_EQ(h.counts.lights, 4);
    EXPECT_EQ(h.counts.sampleCounter, 2);
    EXPECT_EQ(h.counts.shapes, 5);
    EXPECT_EQ(h.frames.lastFrame, 100);
    EXPECT_EQ(h.frames.frameSpeed, 30);
    EXPECT_EQ(h.frames.ticksPerFrame, 160);
    std::string name;
    ASSERT_TRUE(r.name(name, "a name"));
    EXPECT_EQ(name, "Box01");
    int32_t n = 0;
    ASSERT_TRUE(r.trackCount(n, 12, 103, "a track"));
    EXPECT_EQ(n, 2);
    float v[3];
    ASSERT_TRUE(r.vec3(v, "a key") && r.vec3(v, "a key"));
    EXPECT_EQ(v[2], 6.0f);
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_FALSE(r.failed());
}

TEST(SceneFile, LongNamesAreCutTo255AndTheHighLengthByteIsSkipped) {
    SceneFileWriter w;
    EXPECT_FALSE(w.name(std::string(300, 'x')));
    EXPECT_EQ(w.bytes()[0], 255);
    EXPECT_EQ(w.bytes()[1], 0);
    std::vector<uint8_t> b = {3, 7, 'a', 'b', 'c'};
    SceneFileReader r(b, "t");
    std::string s;
    ASSERT_TRUE(r.name(s, "name"));
    EXPECT_EQ(s, "abc");
}

TEST(SceneFile, ReaderStopsAtUntrustedCountsAndShortData) {
    std::vector<uint8_t> b = {0xff, 0xff, 0, 0, 1, 2};
    SceneFileReader r(b, "bad.k3d");
    int32_t n = 0;
    EXPECT_FALSE(r.trackCount(n, 12, 1 << 20, "a track"));  // 65535 samples in 2 bytes
    EXPECT_TRUE(r.failed());
    uint16_t u = 0;
    EXPECT_FALSE(r.u16(u, "x"));  // stays failed

    std::vector<uint8_t> c = {10, 0, 'a'};
    SceneFileReader r2(c, "short.k3d");
    std::string s;
    EXPECT_FALSE(r2.name(s, "name"));
    EXPECT_TRUE(s.empty());

    std::vector<uint8_t> d = {1, 0, 0, 0};
    SceneFileReader r3(d, "neg.k3d");
    EXPECT_FALSE(r3.trackCount(n, 12, 10, "a track"));  // 1 sample, no bytes for it
}

// A scene with no records keeps the whole 69-character header text: the sections would have
// overwritten its padding from offset 56 on, and there are none.
TEST(SceneFile, AFileWithNoRecordsIsTheHeaderTextLong) {
    SceneFileWriter w;
    w.writeHeaderText();
    w.writeFrameValues(7, 30, 160);
    ASSERT_TRUE(w.writeCounts(SceneFileCounts{}));
    const std::vector<uint8_t>& b = w.bytes();
    ASSERT_EQ(b.size(), 69u);
    EXPECT_EQ(std::string(b.begin() + 56, b.end()), std::string(13, ' '));
    EXPECT_EQ(b[50], 7);
    SceneFileWriter longer;
    longer.writeHeaderText();
    longer.writeFrameValues(7, 30, 160);
    longer.raw("0123456789ABCDEF", 16);
    ASSERT_TRUE(longer.writeCounts(SceneFileCounts{}));
    EXPECT_EQ(longer.bytes().size(), 72u);  // sections past the padding are not padded
}

TEST(SceneFile, CameraSearchFindsTheNameLength) {
    SceneFileWriter w;
    w.writeHeaderText();
    w.writeFrameValues(1, 1, 1);
    w.u16(7);
    w.name("Camera01");
    std::vector<uint8_t> b = w.bytes();
    SceneFileReader r(b, "t");
    size_t at = 0;
    ASSERT_TRUE(r.findCameraSection(at));
    EXPECT_EQ(at, kSceneSectionsOffset + 2);
    std::vector<uint8_t> none(100, 'x');
    SceneFileReader r2(none, "t");
    EXPECT_FALSE(r2.findCameraSection(at));
}
