// DemoEngine::setup and the render pass on a real context, in an empty show folder (every file
// missing): the set-up state, the overlay configuration, lights and cameras a scene lacks being
// skipped, the window context left current, and what one frame draws and captures.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/kgl_demoengine.h"
#include "platform/kgl_offscreen.h"
#include "platform/kgl_test_context.h"
#include "tests/unit/kgl_test_files.h"

namespace {

constexpr int kWinW = 320;
constexpr int kWinH = 200;

class EngineGL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.create(kWinW, kWinH));
        cwd = std::make_unique<kgl_test::TempCwd>("kgl_engine_");  // set-up writes its wave-table dumps
        ASSERT_TRUE(cwd->ok());
        e = std::make_unique<kgl::DemoEngine>();
        // Slot 2 lists two lights and four cameras, slot 0 eight cameras: give them fewer.
        e->scenes[2].lights.resize(1);
        e->scenes[2].cameras.resize(2);
        e->scenes[0].cameras.resize(3);
        e->setup(static_cast<float>(kWinW), static_cast<float>(kWinH), 32);
    }
    void TearDown() override {
        if (e) e->motionBlur.release();
        e.reset();
        cwd.reset();
    }

    kgl::HeadlessGL gl;
    std::unique_ptr<kgl::DemoEngine> e;
    std::unique_ptr<kgl_test::TempCwd> cwd;
};

TEST_F(EngineGL, SetupState) {
    EXPECT_EQ(e->updateRate, 30);
    EXPECT_EQ(e->darkAlpha, 0.01f);
    EXPECT_EQ(e->imageAlpha, 0.8f);
    EXPECT_EQ(e->motionBlur.darkAlpha, 0.01f);
    EXPECT_EQ(e->motionBlur.imageAlpha, 0.8f);
    EXPECT_EQ(e->currentScene, -1);
    EXPECT_EQ(e->pulseValue, 1.3f);
    for (uint8_t on : e->flashOn) EXPECT_EQ(on, 0);
    EXPECT_EQ(e->waveGridOn[0], 0);
    EXPECT_EQ(e->waveGridOn[1], 0);
    EXPECT_EQ(e->waveGrids[1].waveScale, 0.3f);
    EXPECT_EQ(e->waveGrids[1].alpha, 0.6f);
    EXPECT_EQ(e->waveTables[0].step, 26);
    EXPECT_TRUE(e->motionBlur.offscreen());

    // The window's context is current again, though everything loaded in the off-screen one.
    void* window = nullptr;
    void* context = nullptr;
    kgl::currentGLHandles(window, context);
    EXPECT_EQ(context, gl.sdlContext());
}

TEST_F(EngineGL, OverlayConfiguration) {
    EXPECT_EQ(e->flashes[1].fadeOutSpeed, 0.004f);
    EXPECT_EQ(e->flashes[1].fadeInSpeed, 0.05f);
    EXPECT_EQ(e->flashes[1].red, 0.0f);
    EXPECT_EQ(e->flashes[4].red, 1.0f);
    EXPECT_EQ(e->flashes[4].width, static_cast<float>(kWinW));
    EXPECT_EQ(e->flashes[26].fadeInSpeed, 0.0003f);
    EXPECT_EQ(e->flashes[26].hold, 1);
    EXPECT_EQ(e->flashes[27].hold, 1);
    EXPECT_EQ(e->flashes[8].hold, 0);
    // Flashes the show does not configure keep their construction defaults.
    EXPECT_EQ(e->flashes[0].width, 0.0f);
    EXPECT_EQ(e->flashes[10].fadeInSpeed, 0.0f);
}

TEST_F(EngineGL, LightsAndCamerasASceneLacksAreSkipped) {
    const kgl::SceneLight& l = e->scenes[2].lights[0];
    EXPECT_EQ(l.radius, 3.1f);
    EXPECT_EQ(l.spotExponent, 5.04f);
    EXPECT_EQ(l.flare, 1);
    EXPECT_EQ(l.lightOn, 1);
    EXPECT_EQ(e->scenes[2].cameras[0].fov, 80.0f);
    EXPECT_EQ(e->scenes[2].cameras[1].fov, 90.0f);
    EXPECT_EQ(e->scenes[0].cameras[2].fov, 20.0f);
    EXPECT_EQ(e->scenes[2].nearPlane, 4.5f);
    EXPECT_EQ(e->scenes[3].fogOn, 1);
    EXPECT_FLOAT_EQ(e->scenes[4].aspect, static_cast<float>(kWinW) / kWinH);
}

TEST_F(EngineGL, NoSceneIsDrawnOrUpdatedWithoutACurrentScene) {
    e->overlaySceneOn = 1;
    e->overlayScene = 7;
    e->scenes[7].lastFrame = e->scenes[0].lastFrame = 50;
    e->render();
    e->update();
    EXPECT_EQ(e->lastFrame.scenesDrawn, 0);
    EXPECT_EQ(e->lastFrame.captures, 1);
    EXPECT_EQ(e->scenes[7].currentFrame, 0.0f);

    e->currentScene = 0;
    e->render();
    EXPECT_EQ(e->lastFrame.scenesDrawn, 2);
}

TEST_F(EngineGL, WaveGridsRecaptureAndOverlaysDrawInOrder) {
    e->waveGridOn[0] = e->waveGridOn[1] = 1;
    for (int s : {12, 0, 5, 3}) {
        e->flashOn[s] = 1;
        e->flashes[kgl::kOverlayFlash[s]].start();
    }
    e->render();
    EXPECT_EQ(e->lastFrame.captures, 3);
    ASSERT_EQ(e->lastFrame.overlaysDrawn, 4);
    EXPECT_EQ(e->lastFrame.overlayOrder[0], 0);
    EXPECT_EQ(e->lastFrame.overlayOrder[1], 3);
    EXPECT_EQ(e->lastFrame.overlayOrder[2], 8);
    EXPECT_EQ(e->lastFrame.overlayOrder[3], 26);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A white flash at full strength reaches the window through the composition. (With the set-up
// alphas the dark pass keeps only 1 % of the picture; the first scene switch raises it.)
TEST_F(EngineGL, AnOverlayShowsOnTheWindow) {
    unsigned char px[4] = {};
    e->motionBlur.setAlphas(0.96f, 0.75f);
    e->render();
    glReadPixels(kWinW / 2, kWinH / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    const int before = px[0];
    e->flashOn[3] = 1;
    e->flashes[3].start();
    e->flashes[3].alpha = 1.0f;
    e->render();
    glReadPixels(kWinW / 2, kWinH / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_GT(px[0], before + 50);
}

}  // namespace

namespace {

// A scene switch applies the new scene's GL state where scenes are drawn (the off-screen
// context: slot 3 has fog), and the window's context stays current for the buffer swap.
TEST_F(EngineGL, SceneSwitchPreparesTheOffscreenContext) {
    e->performAction(3);
    void* window = nullptr;
    void* context = nullptr;
    kgl::currentGLHandles(window, context);
    EXPECT_EQ(context, gl.sdlContext());
    EXPECT_EQ(glIsEnabled(GL_FOG), GL_FALSE);
    e->motionBlur.beginCapture();
    EXPECT_EQ(glIsEnabled(GL_FOG), GL_TRUE);
    e->motionBlur.endCapture();
    e->performAction(2);  // slot 2: fog off
    e->motionBlur.beginCapture();
    EXPECT_EQ(glIsEnabled(GL_FOG), GL_FALSE);
    e->motionBlur.endCapture();
}

}  // namespace
