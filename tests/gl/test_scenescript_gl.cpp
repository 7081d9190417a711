// The parts of the scene script that reach OpenGL: "ACCEL:" and "SPOT:" switching a light,
// "CORONAS:" loading a light's lens flare, and the LINE_WIDTH option's wide lines.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/kgl_bytes.h"
#include "k2d_test_file.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_scene3d.h"
#include "script/kgl_scenescript.h"
#include "tests/unit/kgl_test_files.h"

namespace {

class ScriptGL : public ::testing::Test {
protected:
    void SetUp() override {
        kgl::setMessageBoxesInteractive(false);
        ASSERT_TRUE(gl.create(64, 64));
        dir = kgl_test::MakeTempDir("kgl_fx_");
        ASSERT_FALSE(dir.empty());
    }

    void runScript(kgl::Scene3D& scene, const std::string& text) {
        const std::string path = dir + "/script.txt";
        ASSERT_TRUE(kgl::writeFile(path, std::vector<uint8_t>(text.begin(), text.end())));
        kgl::SceneScriptReader reader(scene);
        ASSERT_TRUE(reader.Read(path.c_str()));
    }

    kgl::HeadlessGL gl;
    std::string dir;
};

TEST_F(ScriptGL, LightBlocksSwitchLightsAndLoadTheirFlares) {
    kgl::Scene3D scene;
    scene.lights.resize(2);
    for (int i = 0; i < 2; ++i) {
        scene.lights[i].index = i;
        scene.lights[i].glLight = GL_LIGHT0 + i;
    }
    const std::string lens = kgl_test::writeK2D(dir, "lens.k2d", {{32, 32, 255, 255, 255, 0}});
    runScript(scene, "LIGHT: 1\n{\n ACCEL: 1\n SPOT: 3.5, 60\n CORONAS:\"" + lens +
                         "\"\n}\n"
                         "LIGHT: 0\n{\n ACCEL: 0\n}\n");
    const kgl::SceneLight& on = scene.lights[1];
    EXPECT_EQ(on.lightOn, 1);
    EXPECT_EQ(on.definedByScript, 1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));  // the spot is sent to a light that is on
    GLfloat cutoff = 0.0f;
    glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, &cutoff);
    EXPECT_FLOAT_EQ(cutoff, 60.0f);
    EXPECT_EQ(on.lensFlareOn, 1);
    ASSERT_NE(scene.LensFlareOf(1), nullptr);
    EXPECT_TRUE(scene.LensFlareOf(1)->imagesLoaded);
    EXPECT_EQ(scene.lights[0].lightOn, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(scene.lights[0].definedByScript, 1);
}

TEST_F(ScriptGL, LineWidthAboveOneWidensLinesAtOnce) {
    kgl::Scene3D scene;
    scene.objects.resize(2);
    std::snprintf(scene.objects[0].name, sizeof scene.objects[0].name, "Wire");
    std::snprintf(scene.objects[1].name, sizeof scene.objects[1].name, "Wire");
    glLineWidth(1.0f);
    kgl::SetObjectOption(scene, "Wire", "LINE_WIDTH", 1.0f);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 1.0f);
    kgl::SetObjectOption(scene, "Wire", "LINE_WIDTH", 2.0f);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_FLOAT_EQ(width, 12.0f);
    EXPECT_FLOAT_EQ(scene.objects[0].lineWidth, 2.0f);
    EXPECT_FLOAT_EQ(scene.objects[1].lineWidth, 2.0f);
}

}  // namespace
