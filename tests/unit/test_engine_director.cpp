// The director and the update step of DemoEngine, without a GL context (withGL = 0): gating by
// renderActions and passed marks, action order, the overlay, composition and scene-switch tables,
// the scene-specific actions, the aspect pulse, and what the show's HUD reads of them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/kgl_show_hud.h"
#include "engine/kgl_action_names.h"
#include "engine/kgl_demoengine.h"
#include "sync_fixtures.h"

namespace {

using kgl::DemoEngine;

class Director : public ::testing::Test {
protected:
    void SetUp() override {
        e = std::make_unique<DemoEngine>();
        e->withGL = 0;
        e->config.renderActions = 1;
        e->sound.UseStream(&stream);
        e->events.Clear();
        e->events.count = 0;
    }
    void TearDown() override { e->sound.UseStream(nullptr); }
    void addMark(uint32_t position, int action) {
        kgl::EventTrack& t = e->events;
        t.positions[t.count] = position;
        t.actions[t.count] = action;
        ++t.count;
    }
    void addObject(int slot, const char* name) {
        kgl::Scene3D& s = e->scenes[slot];
        s.objects.emplace_back();
        std::snprintf(s.objects.back().name, kgl::kObjectNameSize, "%s", name);
    }

    kgl_test::ManualStream stream;
    std::unique_ptr<DemoEngine> e;
};

TEST_F(Director, NothingWithoutRenderActionsOrAPassedMark) {
    addMark(100, 2);
    e->events.fired[3] = 1;
    stream.pos = 500;
    e->config.renderActions = 0;
    e->direct();
    EXPECT_EQ(e->currentScene, -1);
    EXPECT_EQ(e->events.cursor, 0);  // the track is not even polled

    // A frame that passes no mark performs nothing, even with a raised flag.
    e->config.renderActions = 1;
    stream.pos = 50;
    e->direct();
    EXPECT_EQ(e->currentScene, -1);
    EXPECT_EQ(e->events.fired[3], 1);

    // The next passed mark performs both, in number order: 2 then 3.
    stream.pos = 101;
    e->direct();
    EXPECT_EQ(e->currentScene, 3);
    EXPECT_EQ(e->updateRate, 35);
}

TEST_F(Director, PendingActionsRunInNumberOrderAndAreTraced) {
    kgl_test::TempCwd dir;
    ASSERT_TRUE(e->openTrace("trace.txt"));
    e->events.fired[12] = 1;
    addMark(10, 5);
    stream.pos = 11;
    e->traceFrame = 7;
    e->direct();
    e->closeTrace();
    EXPECT_EQ(kgl_test::ReadText("trace.txt"), "7 11 5\n7 11 12\n");
    EXPECT_EQ(e->currentScene, 5);
    EXPECT_EQ(e->flashOn[5], 1);
    EXPECT_EQ(e->flashes[8].active, 1);
}

TEST_F(Director, RemembersTheLastActionsNewestFirst) {
    constexpr int kMarks = kgl::kRecentActionCount + 2;
    for (int i = 1; i <= kMarks; ++i) addMark(100u * i, 57);
    for (int i = 1; i <= kMarks; ++i) {
        stream.pos = 100u * i + 1;
        e->direct();
    }
    ASSERT_EQ(e->recentActionCount(), kgl::kRecentActionCount);
    EXPECT_EQ(e->recentAction(0).position, 100u * kMarks + 1);
    EXPECT_EQ(e->recentAction(0).action, 57);
    EXPECT_EQ(e->recentAction(kgl::kRecentActionCount - 1).position, 301u);
    EXPECT_EQ(e->recentAction(kgl::kRecentActionCount).action, -1);
    e->resetShowState();
    EXPECT_EQ(e->recentActionCount(), 0);
}

TEST_F(Director, HudShowsWhereTheShowIs) {
    addMark(44100, 3);   // 00:00.250
    addMark(88200, 64);  // 00:00.500
    addMark(352800, 2);  // 00:02.000
    stream.pos = 44101;
    e->direct();
    stream.pos = 88201;
    e->direct();
    stream.pos = 176400;  // 00:01.000
    e->sound.sampleRate = 44100;
    e->scenes[3].activeCamera = 2;
    kgl::ShowHudInfo info;
    kgl::fillHudFromEngine(*e, info);
    EXPECT_EQ(info.scene, 3);
    EXPECT_EQ(info.camera, 2);
    EXPECT_EQ(info.nextMarkAction, 2);
    EXPECT_DOUBLE_EQ(info.nextMarkInSeconds, 1.0);
    ASSERT_EQ(info.recentCount, 2);
    EXPECT_EQ(info.recentActions[0], 64);

    char text[kgl::kHudTextSize];
    kgl::formatHudText(info, e->sound, text, sizeof text);
    for (const char* line :
         {"00:01.000  @176400", "scene 3  camera 2", "next  00:02.000   2 scene 2  in 1.000 s", "playing",
          "last  00:00.500  64 flash 1", "      00:00.250   3 scene 3"})
        EXPECT_NE(std::strstr(text, line), nullptr) << line << " not in:\n" << text;

    // The end of the track, and the author's state.
    stream.pos = 400000;
    e->direct();
    kgl::fillHudFromEngine(*e, info);
    info.paused = info.recording = true;
    info.loopFromSeconds = 75.0;
    info.typedAction = 12;
    kgl::formatHudText(info, e->sound, text, sizeof text);
    for (const char* line : {"next  -", "PAUSED  REC  loop A 01:15.000 B --:--.---  action 12_"})
        EXPECT_NE(std::strstr(text, line), nullptr) << line << " not in:\n" << text;
}

TEST_F(Director, OverlayStartAndToggle) {
    e->performAction(13);
    EXPECT_EQ(e->flashOn[12], 1);
    EXPECT_EQ(e->flashes[26].active, 1);
    e->flashes[26].alpha = 0.5f;
    e->performAction(13);
    EXPECT_EQ(e->flashOn[12], 0);
    EXPECT_EQ(e->flashes[26].active, 0);
    EXPECT_EQ(e->flashes[26].alpha, 0.0f);

    // Start kind: a second start neither switches off nor restarts the fade.
    e->performAction(64);
    e->flashes[1].alpha = 0.4f;
    e->performAction(64);
    EXPECT_EQ(e->flashOn[1], 1);
    EXPECT_FLOAT_EQ(e->flashes[1].alpha, 0.4f);

    // Every overlay action reaches its own switch and flash.
    const int rows[][3] = {{12, 5, 8},   {14, 6, 9},  {15, 13, 27}, {16, 7, 10},  {17, 14, 28}, {18, 8, 11},
                           {19, 15, 29}, {20, 9, 12}, {21, 16, 30}, {23, 10, 13}, {24, 17, 31}, {25, 11, 14},
                           {26, 18, 32}, {65, 2, 2},  {67, 3, 3},   {68, 4, 4}};
    for (const auto& r : rows) {
        e->performAction(r[0]);
        EXPECT_EQ(e->flashOn[r[1]], 1) << "action " << r[0];
        EXPECT_EQ(e->flashes[r[2]].active, 1) << "action " << r[0];
    }
    // 22 and 66 have no action.
    uint8_t before[kgl::kFlashSwitches];
    std::memcpy(before, e->flashOn, sizeof before);
    e->performAction(22);
    e->performAction(66);
    e->performAction(91);
    e->performAction(-1);
    EXPECT_EQ(std::memcmp(before, e->flashOn, sizeof before), 0);
}

TEST_F(Director, CompositionAlphasClampAndSelectorsHandOver) {
    e->darkAlpha = 0.01f;
    e->imageAlpha = 0.8f;
    for (int i = 0; i < 5; ++i) e->performAction(50);
    EXPECT_NEAR(e->darkAlpha, 0.06f, 1e-6f);
    EXPECT_NEAR(e->motionBlur.darkAlpha, 0.06f, 1e-6f);
    e->darkAlpha = 0.01f;
    e->performAction(51);
    e->performAction(51);
    EXPECT_EQ(e->darkAlpha, 0.0f);
    for (int i = 0; i < 3; ++i) e->performAction(52);
    EXPECT_EQ(e->imageAlpha, 1.0f);
    EXPECT_EQ(e->motionBlur.imageAlpha, 1.0f);

    // Selectors as constructed (4, 4, 4, 1); 27 raises darkDst: setBlend(4, 1, 4, 5).
    e->performAction(27);
    EXPECT_EQ(e->darkDstIndex, 5);
    EXPECT_EQ(e->motionBlur.imageSrcSel, 4);
    EXPECT_EQ(e->motionBlur.imageDstSel, 1);
    EXPECT_EQ(e->motionBlur.darkSrcSel, 4);
    EXPECT_EQ(e->motionBlur.darkDstSel, 5);
    const int steps[][2] = {{28, 0}, {29, 1}, {30, 1}, {31, 2}, {32, 2}, {33, 3}, {34, 3}};
    int32_t* sel[] = {&e->darkDstIndex, &e->darkSrcIndex, &e->imageDstIndex, &e->imageSrcIndex};
    for (const auto& s : steps) {
        const int32_t was = *sel[s[1]];
        e->performAction(s[0]);
        EXPECT_EQ(*sel[s[1]], was + (s[0] % 2 ? 1 : -1)) << "action " << s[0];
    }
    // Selectors may go negative; the blur reduces them into its tables.
    for (int i = 0; i < 10; ++i) e->performAction(34);
    EXPECT_EQ(e->imageSrcIndex, -6);
    EXPECT_GE(e->motionBlur.imageSrcSel, 0);
}

TEST_F(Director, BlurWaveGridAndPulseSwitches) {
    kgl_test::TempCwd dir;  // the drift table writes its dump here
    e->performAction(54);
    EXPECT_EQ(e->motionBlurOn, 1);
    EXPECT_EQ(e->motionBlur.driftOn, 0);
    e->performAction(55);
    EXPECT_EQ(e->motionBlur.driftOn, 1);
    EXPECT_EQ(e->motionBlurOn, 1);
    e->performAction(56);
    EXPECT_EQ(e->motionBlurOn, 0);
    EXPECT_EQ(e->motionBlur.layers, 7);
    e->performAction(57);
    e->performAction(58);
    e->performAction(58);
    EXPECT_EQ(e->waveGridOn[0], 1);
    EXPECT_EQ(e->waveGridOn[1], 0);
    e->pulseCount = 5;
    e->pulseValue = 7.0f;
    e->performAction(59);
    EXPECT_EQ(e->pulseOn, 1);
    EXPECT_EQ(e->pulseCount, 0);
    EXPECT_EQ(e->pulseValue, 7.0f);
}

// Every scene switch makes its slot current through the slot's camera 0 and leaves the engine's
// own alphas alone; the six show scenes hand the composition new selectors and alphas, the spare
// slots keep it. Action 3 is the one the show's documentation walks through: 35 steps a second.
TEST_F(Director, SceneSwitchesSelectTheirSlotAndComposition) {
    int switches = 0;
    for (int action = 0; action <= kgl::kLastAction; ++action) {
        if (kgl::ActionKindOf(action) != kgl::ActionKind::kSceneSwitch) continue;
        ++switches;
        SCOPED_TRACE(action);
        e->updateRate = -1;
        e->scenes[action].activeCamera = 2;
        e->motionBlur.setBlend(2, 2, 2, 2);
        e->motionBlur.setAlphas(0.123f, 0.456f);
        e->darkAlpha = 0.01f;
        e->performAction(action);
        EXPECT_EQ(e->currentScene, action);
        EXPECT_EQ(e->scenes[action].activeCamera, 0);
        EXPECT_GE(e->updateRate, 1);
        EXPECT_EQ(e->darkAlpha, 0.01f);
        const kgl::MotionBlur& m = e->motionBlur;
        if (action <= 5) {
            EXPECT_FALSE(m.imageSrcSel == 2 && m.imageDstSel == 2 && m.darkSrcSel == 2 && m.darkDstSel == 2);
            EXPECT_NE(m.darkAlpha, 0.123f);
            EXPECT_GE(m.imageAlpha, 0.0f);
            EXPECT_LE(m.imageAlpha, 1.0f);
        } else {
            EXPECT_EQ(m.imageSrcSel, 2);
            EXPECT_EQ(m.darkAlpha, 0.123f);
        }
    }
    EXPECT_EQ(switches, 10);
    e->performAction(3);
    EXPECT_EQ(e->updateRate, 35);
}

TEST_F(Director, OverlaySceneAndItsCameras) {
    e->scenes[7].cameras.resize(4);
    e->performAction(7);
    EXPECT_EQ(e->overlaySceneOn, 1);
    EXPECT_EQ(e->overlayScene, 7);
    e->performAction(89);
    EXPECT_EQ(e->overlayCamera, 2);
    EXPECT_EQ(e->scenes[7].activeCamera, 2);
    e->performAction(6);
    EXPECT_EQ(e->overlaySceneOn, 0);
    EXPECT_EQ(e->overlayScene, 6);
}

TEST_F(Director, PlaybackActionsNeedACurrentScene) {
    for (int a = 35; a <= 49; ++a) e->performAction(a);
    for (const kgl::Scene3D& s : e->scenes) {
        EXPECT_EQ(s.forward, 1);
        EXPECT_EQ(s.frameStep, 1);
        EXPECT_EQ(s.activeCamera, 0);
    }
    EXPECT_EQ(e->currentCamera, 0);

    e->currentScene = 2;
    e->scenes[2].cameras.resize(8);
    e->performAction(36);
    e->performAction(40);
    e->performAction(47);
    EXPECT_EQ(e->scenes[2].forward, 0);
    EXPECT_EQ(e->scenes[2].frameStep, 4);
    EXPECT_EQ(e->currentCamera, 5);
    EXPECT_EQ(e->scenes[2].activeCamera, 5);
}

TEST_F(Director, SceneAnimationsOnlyOnSlotsThreeAndFive) {
    addObject(3, "GAMUT");
    auto& particles = e->scenes[5].particles;
    for (kgl::ParticleSystem& ps : particles) ps.started = 0;

    for (int slot : {-1, 0, 4}) {
        e->currentScene = slot;
        for (int a = 60; a <= 63; ++a) e->performAction(a);
    }
    EXPECT_EQ(e->scenes[3].objects[0].clockOn, 0);
    for (const kgl::ParticleSystem& ps : particles) EXPECT_EQ(ps.started, 0);

    e->currentScene = 3;
    e->performAction(61);
    EXPECT_EQ(e->scenes[3].objects[0].clockOn, 1);
    EXPECT_EQ(e->scenes[3].objects[0].clockFirst, 117);
    EXPECT_EQ(e->scenes[3].objects[0].clockLast, 138);
    EXPECT_EQ(e->scenes[3].objects[0].clockLoop, 0);
    e->performAction(63);  // nothing on slot 3
    for (const kgl::ParticleSystem& ps : particles) EXPECT_EQ(ps.started, 0);

    e->currentScene = 5;
    e->performAction(61);
    e->performAction(63);
    const int want[] = {0, 1, 1, 0, 0, 1};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(particles[k].started, want[k]) << "system " << k;
}

TEST_F(Director, MorphsAndVertexProgramsAddressFixedSlots) {
    addObject(4, "roots");
    addObject(4, "roots02");
    for (kgl::SceneObject& o : e->scenes[4].objects) {
        o.vertexCount = 1;
        o.vertices.resize(1);
        o.restPositions.resize(1);
    }
    e->scenes[4].objects[1].vertices[0].pos = kgl::Vec3{90.0f, 0.0f, -45.0f};
    addObject(3, "Drooler");
    e->currentScene = 0;
    e->performAction(72);
    const kgl::SceneObject& roots = e->scenes[4].objects[0];
    EXPECT_EQ(roots.morphActive, 1);
    EXPECT_EQ(roots.morphMode, 0);
    e->performAction(83);
    EXPECT_EQ(e->scenes[3].objects[0].harmProgramOn, 1);
    e->performAction(83);  // a toggle
    EXPECT_EQ(e->scenes[3].objects[0].harmProgramOn, 0);
}

// From the set-up values (1.3, not rising) the pulse takes 12 steps: aspects 2.3 .. 23.0 on
// update steps 2 to 11, left at 1.3.
TEST_F(Director, AspectPulse) {
    e->currentScene = 0;
    e->pulseValue = 1.3f;
    e->scenes[0].aspect = 1.25f;
    e->performAction(59);
    e->update();
    EXPECT_EQ(e->scenes[0].aspect, 1.25f);
    EXPECT_EQ(e->pulseRising, 1);
    for (int step = 2; step <= 11; ++step) {
        e->update();
        EXPECT_NEAR(e->scenes[0].aspect, 2.3f * static_cast<float>(step - 1), 1e-4f) << "step " << step;
        EXPECT_EQ(e->pulseOn, 1);
    }
    e->update();
    EXPECT_EQ(e->pulseOn, 0);
    EXPECT_EQ(e->pulseRising, 0);
    EXPECT_EQ(e->scenes[0].aspect, 1.3f);
    EXPECT_EQ(e->pulseValue, 1.3f);
}

TEST_F(Director, UpdateWithoutACurrentScene) {
    for (kgl::Scene3D& s : e->scenes) s.lastFrame = 100;
    e->overlaySceneOn = 1;
    e->overlayScene = 6;
    e->pulseOn = 1;
    e->flashOn[5] = 1;
    e->flashes[8].setFadeInSpeed(0.25f);
    e->flashes[8].start();
    e->update();
    for (const kgl::Scene3D& s : e->scenes) EXPECT_EQ(s.currentFrame, 0.0f);
    EXPECT_EQ(e->pulseValue, 1.3f);  // the pulse waits for a scene
    EXPECT_FLOAT_EQ(e->flashes[8].alpha, 0.25f);

    e->currentScene = 2;
    e->update();
    EXPECT_NE(e->scenes[2].currentFrame, 0.0f);
    EXPECT_NE(e->scenes[6].currentFrame, 0.0f);
    EXPECT_EQ(e->scenes[7].currentFrame, 0.0f);
}

TEST_F(Director, ResetShowState) {
    e->currentScene = 4;
    e->flashOn[0] = e->flashOn[31] = 1;
    e->resetShowState();
    EXPECT_EQ(e->currentScene, -1);
    for (uint8_t on : e->flashOn) EXPECT_EQ(on, 0);
}

}  // namespace
