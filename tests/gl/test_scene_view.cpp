// A scene file written with the scene-file writer, opened the way "kgl view" opens it, animated
// and drawn on a headless context: lit, textured, where the camera looks.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "app/kgl_view.h"
#include "common/kgl_bytes.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_scene3d.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_scene.h"

using namespace kgl;

// Every C++ allocation of this test program is counted, so a test can check that a stretch of
// frames allocates nothing. The sanitizer build keeps its own allocator (replacing it there
// turns every driver allocation into an alloc/dealloc mismatch), and that test is skipped.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCountingAllocations = false;
static std::atomic<long> gAllocations{0};
#else
constexpr bool kCountingAllocations = true;
static std::atomic<long> gAllocations{0};
void* operator new(size_t n) {
    ++gAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
// Not inlined: g++ would otherwise see free() meet a pointer from operator new and warn.
__attribute__((noinline)) void operator delete(void* p) noexcept {
    std::free(p);
}
__attribute__((noinline)) void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
#endif

namespace {

constexpr int kW = 80;
constexpr int kH = 60;
constexpr uint16_t kLast = 20;

// A red square of half-size 2 in the model plane z = 0 that slides along x with its position
// track (pivot (t, 0, 0) at frame t / 4), a camera on the z axis and an omni light behind it.
// File coordinates are Z-up: model (x, y, z) is file (x, -z, y).
std::string writeScene(const std::string& dir) {
    kgl_test::TestScene s;
    s.lastFrame = kLast;
    kgl_test::TestObject square;
    square.name = "Square";
    square.vertices = {-2, 0, -2, 2, 0, -2, 2, 0, 2, -2, 0, 2};
    square.faces = {0, 1, 2, 0, 2, 3, 0, 0};
    square.texVerts = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    square.texFaces = {0, 1, 2, 2, 3, 0};
    square.normal[1] = -1;
    square.normal[2] = 0;
    square.position = true;
    for (int i = 0; i <= kLast; ++i) square.positionKeys.insert(square.positionKeys.end(), {i / 4.0f, 0, 0});
    kgl_test::TestMaterial red;
    const float colours[9] = {0.3f, 0, 0, 1, 0, 0, 0, 0, 0};  // ambient, diffuse, specular
    std::copy(colours, colours + 9, red.colors);
    red.strength = 0;
    red.wire = 1;
    red.texture = "missing.jpg";  // not there: the placeholder checker stands in
    kgl_test::TestCamera camera;  // at model (0, 0, 10), looking at the origin
    kgl_test::TestLight omni;
    omni.pos[0] = omni.pos[2] = 0;
    omni.pos[1] = -30;
    omni.color[0] = omni.color[1] = omni.color[2] = 1;
    s.objects = {square};
    s.materials = {red};
    s.cameras = {camera};
    s.lights = {omni};
    const std::string path = dir + "/view.k3d";
    EXPECT_TRUE(writeFile(path, kgl_test::WriteScene(s)));
    return path;
}

// Column range of non-black pixels on the middle row.
void litColumns(int* first, int* last) {
    unsigned char row[kW * 4];
    glReadPixels(0, kH / 2, kW, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
    *first = -1;
    *last = -1;
    for (int x = 0; x < kW; ++x) {
        if (row[4 * x] + row[4 * x + 1] + row[4 * x + 2] > 30) {
            if (*first < 0) *first = x;
            *last = x;
        }
    }
}

}  // namespace

TEST(SceneView, WrittenSceneIsDrawnLitWhereTheCameraLooksAndMoves) {
    const std::string tmpl = kgl_test::MakeTempDir("kgl_view_");
    ASSERT_FALSE(tmpl.empty());
    const std::string path = writeScene(tmpl);
    HeadlessGL gl;
    ASSERT_TRUE(gl.create(kW, kH));
    ViewSession session;
    ViewOptions o;
    o.file = path;
    o.texDir = tmpl + "/";
    o.camera = 5;  // clamped to the only camera
    ASSERT_TRUE(session.open(o, kW, kH));
    ASSERT_EQ(session.scene().objects.size(), 1u);
    session.update();
    session.draw();
    glFinish();
    int first = 0, last = 0;
    litColumns(&first, &last);
    ASSERT_GE(first, 0) << "nothing drawn";
    const int centre = (first + last) / 2;
    EXPECT_NEAR(centre, kW / 2, 3);
    EXPECT_LT(last - first, kW / 2);  // the square, not the whole frame
    unsigned char corner[4] = {};
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
    for (int i = 0; i < 11; ++i) session.update();  // frame 12: pivot x = 3
    session.draw();
    glFinish();
    int first2 = 0, last2 = 0;
    litColumns(&first2, &last2);
    EXPECT_GT(first2, first + 5);  // slid to the right
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SceneView, MissingFileIsRefused) {
    HeadlessGL gl;
    ASSERT_TRUE(gl.create(16, 16));
    ViewSession session;
    ViewOptions o;
    o.file = testing::TempDir() + "kgl_no_such_scene.k3d";
    EXPECT_FALSE(session.open(o, 16, 16));
}

TEST(SceneView, FramesAllocateNothingWithProgramsAndMorphRunning) {
    if (!kCountingAllocations) GTEST_SKIP() << "allocations are not counted in the sanitizer build";
    kgl_test::TempCwd cwd("kgl_view_");  // the programs write their "lissa" dumps
    ASSERT_TRUE(cwd.ok());
    const std::string path = writeScene(cwd.dir());
    HeadlessGL gl;
    ASSERT_TRUE(gl.create(kW, kH));
    ViewSession session;
    ViewOptions o;
    o.file = path;
    ASSERT_TRUE(session.open(o, kW, kH));
    Scene3D& s = session.scene();
    float deform[19] = {2, 3, 2, 1, 1, 4, 0, 0, 0, 0, 0, 0, 3, 0, 0.1f, 0.2f, 1, 1, 0};
    s.RunVertexProgram("Square", "R3_DEFORM_PRG", deform, 19);
    float harm[33] = {};
    s.RunVertexProgram("Square", "R3_HARM_PRG", harm, 33);
    s.MorphObjectTo("Square", "Square", 0, 4);
    s.SetMorphActive("Square", 1, 0);
    s.SetLineTrail("Square", 0, 0, 0);
    s.SetLineTrail("Square", 1, 1, 1);
    s.lights[0].flare = 1;
    for (int i = 0; i < 3; ++i) {
        session.update();
        session.draw();
    }
    const long before = gAllocations.load();
    for (int i = 0; i < 200; ++i) {
        session.update();
        session.draw();
    }
    glFinish();
    EXPECT_EQ(gAllocations.load() - before, 0);
}
