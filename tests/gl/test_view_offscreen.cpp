// "kgl view" draws through the show's off-screen target: the scene's GL state is set in the
// off-screen context and the window only receives the composed picture; real exports show.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "app/kgl_view.h"
#include "common/kgl_bytes.h"
#include "fx/kgl_motion_blur.h"
#include "import/kgl_import.h"
#include "platform/kgl_display.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_scene3d.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_scene.h"

TEST(ViewOffscreen, SceneStateLivesInTheOffscreenContext) {
    const std::string dir = kgl_test::MakeTempDir("kgl_viewfx_");
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(kgl::writeFile(dir + "/empty.k3d", kgl_test::WriteScene({})));  // no records at all

    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(120, 90));
    kgl::ViewSession session;
    kgl::ViewOptions o;
    o.file = dir + "/empty.k3d";
    ASSERT_TRUE(session.open(o, 120, 90));
    ASSERT_TRUE(session.blur().offscreen());
    EXPECT_EQ(session.blur().outWidth, 120);
    EXPECT_FALSE(glIsEnabled(GL_RESCALE_NORMAL));  // the window's context keeps its own state
    session.blur().beginCapture();
    EXPECT_TRUE(glIsEnabled(GL_RESCALE_NORMAL));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 512);
    session.blur().endCapture();
    session.update();
    session.draw();
    unsigned char px[4] = {1, 1, 1, 1};
    glReadPixels(60, 45, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0] + px[1] + px[2], 0);  // the empty picture composed over the window
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}

namespace {

bool ConvertRepaired(const std::string& in, const std::string& dir) {
    kgl::AseImporter importer;
    importer.SetInputFile(in);
    importer.SetOutputFile(dir + "/scene.k3d");
    importer.SetLogFile(dir + "/debug.log");
    importer.SetPackTextures(false);
    importer.SetExitOnFatal(false);
    importer.SetRepair(true);
    return importer.Run() == 0;
}

std::vector<unsigned char> ReadWindow(int w, int h) {
    std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

}  // namespace

// The viewer's keys, through the key table the window procedure fills: the arrows orbit and the
// wheel zooms (the picture changes), C switches to the next camera, Space pauses.
TEST(ViewOffscreen, KeysOrbitZoomAndCycleCameras) {
    const std::string file = std::string(KGL_TESTDATA_ASE) + "/assimp_ThreeCubesGreen.ASE";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no ASE corpus at " << KGL_TESTDATA_ASE;
    std::string dir = testing::TempDir() + "kgl_viewkeys_XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    ASSERT_TRUE(ConvertRepaired(file, dir));
    constexpr int kW = 160, kH = 120;
    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(kW, kH));
    kgl::ViewSession session;
    kgl::ViewOptions o;
    o.file = dir + "/scene.k3d";
    ASSERT_TRUE(session.open(o, kW, kH));
    session.scene().cameras.push_back(session.scene().cameras[0]);  // a second camera to cycle to
    uint8_t keys[kgl::kVirtualKeyCount] = {};
    const auto step = [&](int key, int wheel) {
        if (key) keys[key] = 1;
        kgl::ViewInput in;
        in.keyDown = keys;
        in.wheel = wheel;
        session.applyInput(in);
        session.update();
        session.draw();
        if (key) keys[key] = 0;
        return ReadWindow(kW, kH);
    };
    const std::vector<unsigned char> first = step(0, 0);
    std::vector<unsigned char> orbited;
    for (int i = 0; i < 10; ++i) orbited = step(37, 0);  // left arrow held for 10 steps
    EXPECT_NE(orbited, first);
    EXPECT_NE(step(0, 5), orbited);  // five wheel steps
    step('C', 0);
    EXPECT_EQ(session.scene().activeCamera, 1);
    step(0, 0);
    step('C', 0);  // a new press
    EXPECT_EQ(session.scene().activeCamera, 0);
    step(kgl::kVkSpace, 0);
    EXPECT_TRUE(session.paused());
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}

// Every export of the shared corpus converts with repairs and shows something: the viewer's own
// camera and head light stand in for the ones most exports lack.
TEST(ViewOffscreen, EveryCorpusFileConvertsWithRepairAndViewsNotBlack) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(KGL_TESTDATA_ASE, ec)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".ase") files.push_back(e.path());
    }
    if (files.empty()) GTEST_SKIP() << "no ASE corpus at " << KGL_TESTDATA_ASE;
    const std::string dir = kgl_test::MakeTempDir("kgl_viewcorpus_");
    ASSERT_FALSE(dir.empty());
    constexpr int kW = 160, kH = 120;
    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(kW, kH));
    std::string black;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        ASSERT_TRUE(ConvertRepaired(file.string(), dir));
        kgl::ViewSession session;
        kgl::ViewOptions o;
        o.file = dir + "/scene.k3d";
        ASSERT_TRUE(session.open(o, kW, kH));
        session.update();
        session.draw();
        const std::vector<unsigned char> px = ReadWindow(kW, kH);
        size_t lit = 0;
        for (size_t i = 0; i < px.size(); i += 4) lit += px[i] + px[i + 1] + px[i + 2] > 30;
        if (lit <= size_t(kW * kH / 200)) black += name + " ";
    }
    EXPECT_EQ(black, "");
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}
