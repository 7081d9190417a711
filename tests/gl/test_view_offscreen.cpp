// "kgl view" draws through the show's off-screen target: the scene's GL state is set in the
// off-screen context and the window only receives the composed picture; real exports show.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "app/kgl_view.h"
#include "common/kgl_bytes.h"
#include "fx/kgl_motion_blur.h"
#include "import/kgl_import.h"
#include "platform/kgl_test_context.h"
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
        kgl::AseImporter importer;
        importer.SetInputFile(file.string());
        importer.SetOutputFile(dir + "/scene.k3d");
        importer.SetLogFile(dir + "/debug.log");
        importer.SetPackTextures(false);
        importer.SetExitOnFatal(false);
        importer.SetRepair(true);
        ASSERT_EQ(importer.Run(), 0) << importer.message();
        kgl::ViewSession session;
        kgl::ViewOptions o;
        o.file = dir + "/scene.k3d";
        ASSERT_TRUE(session.open(o, kW, kH));
        session.update();
        session.draw();
        std::vector<unsigned char> px(kW * kH * 4);
        glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        size_t lit = 0;
        for (size_t i = 0; i < px.size(); i += 4) lit += px[i] + px[i + 1] + px[i + 2] > 30;
        if (lit <= size_t(kW * kH / 200)) black += name + " ";
    }
    // Open: a few exports still show black through their own camera or from behind their faces.
    EXPECT_LE(std::count(black.begin(), black.end(), ' '), 6) << "black: " << black;
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}
