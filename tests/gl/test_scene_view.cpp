// A scene file written with the scene-file writer, opened the way "kgl view" opens it, animated
// and drawn on a headless context: lit, textured, where the camera looks.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "app/kgl_view.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scenefile.h"

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
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
#endif

namespace {

constexpr int kW = 80;
constexpr int kH = 60;
constexpr uint16_t kLast = 20;

// File coordinates are Z-up: model (x, y, z) is file (x, -z, y).
void fileVec(SceneFileWriter& w, float mx, float my, float mz) {
    w.vec3(mx, -mz, my);
}

// A red square of half-size 2 in the model plane z = 0 that slides along x with its position
// track (pivot (t, 0, 0) at frame t / 4).
void writeObject(SceneFileWriter& w) {
    w.name("Square");
    w.u16(1);  // position track
    w.u16(0);
    w.u16(0);
    fileVec(w, 0, 0, 0);
    w.u16(4);
    w.u16(2);
    w.u16(0);  // no morph
    const float p[4][2] = {{-2, -2}, {2, -2}, {2, 2}, {-2, 2}};
    for (const auto& q : p) fileVec(w, q[0], q[1], 0);
    const uint16_t faces[2][4] = {{0, 1, 2, 0}, {2, 3, 0, 0}};
    for (const auto& f : faces)
        for (uint16_t v : f) w.u16(v);
    w.u16(4);
    for (const auto& q : p) w.vec3((q[0] + 2) / 4, (q[1] + 2) / 4, 0);
    for (const auto& f : faces)
        for (int k = 0; k < 3; ++k) w.u16(f[k]);
    for (int i = 0; i < 2; ++i) fileVec(w, 0, 0, 1);
    for (int i = 0; i < 4; ++i) fileVec(w, 0, 0, 1);
    w.u16(0);  // material 0
    const size_t t = w.beginTrack();
    for (int i = 0; i <= kLast; ++i) fileVec(w, i / 4.0f, 0, 0);
    w.endTrack(t, kLast + 1);
}

void writeMaterial(SceneFileWriter& w) {
    w.i32(0);
    w.vec3(0.3f, 0.0f, 0.0f);  // ambient
    w.vec3(1.0f, 0.0f, 0.0f);  // diffuse
    w.vec3(0.0f, 0.0f, 0.0f);  // specular
    w.f32(0.1f);
    w.f32(0.0f);
    w.f32(0.0f);  // opaque
    w.f32(1.0f);
    w.f32(0.0f);  // self-illumination
    w.u16(0);
    w.name("missing.jpg");  // not there: the placeholder checker stands in
}

void writeCamera(SceneFileWriter& w) {
    w.name("Camera01");
    fileVec(w, 0, 0, 10);
    w.vec3(0, 0, 0);
    fileVec(w, 0, 0, 0);
    w.u8(0);
    w.u8(0);
    w.u8(0);
}

void writeLight(SceneFileWriter& w) {
    w.u8(0);  // omni
    fileVec(w, 0, 0, 30);
    w.vec3(1, 1, 1);
    w.f32(1.0f);
    w.u8(0);
}

std::string writeScene(const std::string& dir) {
    SceneFileWriter w;
    w.writeHeaderText();
    w.writeFrameValues(kLast, 30, 160);
    writeObject(w);
    writeMaterial(w);
    writeCamera(w);
    writeLight(w);
    SceneFileCounts c;
    c.objects = 1;
    c.cameras = 1;
    c.lastFrameCopy = kLast;
    c.materials = 1;
    c.lights = 1;
    c.sampleCounter = kLast + 1;
    w.writeCounts(c);
    const std::string path = dir + "/view.k3d";
    EXPECT_TRUE(w.save(path));
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
    std::string tmpl = testing::TempDir() + "kgl_view_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
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
    std::string tmpl = testing::TempDir() + "kgl_view_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    const std::string path = writeScene(tmpl);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(tmpl.c_str()), 0);  // the programs write their "lissa" dumps
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
    ASSERT_EQ(chdir(cwd), 0);
}
