#include <gtest/gtest.h>

#include <fstream>

#include "app/kgl_info.h"
#include "common/kgl_bytes.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_k2d.h"
#include "tests/unit/kgl_test_scene.h"

using namespace kgl;
using namespace kgl_test;

namespace {

std::string RunInfo(int (*fn)(const char*, FILE*), const char* path, int* rc) {
    return PrintedBy([&](FILE* out) { return fn(path, out); }, *rc);
}

int SceneUnpacked(const char* p, FILE* f) {
    return infoScene(p, false, f);
}

}  // namespace

TEST(InfoScene, SummaryOfASceneFile) {
    TempCwd cwd;
    TestScene s;
    s.lastFrame = 2;
    TestObject o;
    o.name = "Box";
    o.position = true;
    o.positionKeys = {1, 2, 3};
    o.morph.assign(3 * 3 * 3, 0.0f);
    s.objects = {o};
    s.materials.resize(1);
    TestCamera c;
    c.fov = {1, 1, 1};
    c.targetAnim = true;
    c.targetKeys = {1, 1, 1};
    s.cameras = {c};
    TestLight l;
    l.target = true;
    l.targetAnim = true;
    l.targetKeys = {0, 0, 0};
    TestLight omni;
    s.lights = {l, omni};
    TestShape sh;
    sh.points = {0, 0, 0, 1, 1, 1};
    s.shapes = {sh};
    ASSERT_TRUE(writeFile("s.k3d", WriteScene(s)));
    int rc = 0;
    const std::string text = RunInfo(SceneUnpacked, "s.k3d", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(
        text,
        "objects 1\ncameras 1\nmaterials 1\nlights 2\nshapes 1\nlastframe 2\nframespeed 30\n"
        "ticksperframe 160\nobject \"Box\" vertices 3 faces 1 material 0 position morph\n"
        "camera \"Camera01\" fov target\nlight target animated\nlight omni\nshape \"Bez01\" points 2\n");
    EXPECT_FALSE(std::ifstream("VERTEXS.LOG").good());  // info writes no logs
    ASSERT_TRUE(writeFile("k.k2d", std::vector<uint8_t>(40, 0)));
    EXPECT_EQ(infoScene("k.k2d", false, stdout), kNotMyKind);
}

TEST(InfoScene, SummaryOfAK2DFileDecidedByContent) {
    TempCwd cwd;
    std::vector<K2DTestEntry> e(2);
    e[0] = {"logo", 0, SolidJpeg(6, 4, 1, 2, 3), {}};
    e[1] = {"back", 3, SolidJpeg(2, 8, 1, 2, 3), {}};
    const std::vector<uint8_t> bytes = BuildK2D(e);
    ASSERT_TRUE(writeFile("pictures.bin", bytes));
    int rc = 0;
    const std::string text = RunInfo(infoK2D, "pictures.bin", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(text, "entries 2\nentry \"logo\" slot 0 bytes " + std::to_string(e[0].data.size()) +
                        " 6x4\nentry \"back\" slot 3 bytes " + std::to_string(e[1].data.size()) + " 2x8\n");
    ASSERT_TRUE(writeFile("other.txt", std::vector<uint8_t>(100, 'x')));
    EXPECT_EQ(infoK2D("other.txt", stdout), kNotMyKind);
    EXPECT_EQ(infoScene("pictures.bin", false, stdout), kNotMyKind);
}

TEST(InfoScene, DamagedSceneThroughTheDispatcherPrintsWhatWasReadAndFails) {
    TempCwd cwd;
    TestScene s;
    s.objects.resize(2);
    s.materials.resize(1);
    s.packed = true;
    s.materials[0].packed = SolidJpeg(2, 2, 1, 1, 1);
    std::vector<uint8_t> bytes = WriteScene(s);
    bytes.resize(bytes.size() - 10);  // cut inside the packed texture
    ASSERT_TRUE(writeFile("cut.k3d", bytes));
    InfoOptions options;
    options.file = "cut.k3d";
    options.packed = true;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runInfo(options), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("objects 2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("materials 0\n"), std::string::npos) << out;
    EXPECT_NE(err.find("SCENE: [cut.k3d] packed texture \"tex.jpg\""), std::string::npos) << err;
}
