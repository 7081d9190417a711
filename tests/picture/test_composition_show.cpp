// The fast composition draws the same picture as the straightforward one: frames of the default
// show at 800 x 600 (plain composition, the two-layer blur, the drifting seven-layer blur and a
// wave grid) are composed both ways from the same captured picture and compared over the whole
// window: the mean difference stays within 1/255 per channel and no pixel is off by more than 8.
// Frames between the samples are directed and updated but not drawn, to keep the run short.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/kgl_globals.h"
#include "app/kgl_loop_timing.h"
#include "app/kgl_music_end.h"
#include "engine/kgl_demoengine.h"
#include "platform/kgl_display.h"
#include "platform/kgl_ticks.h"
#include "script/kgl_config.h"

namespace {

constexpr double kFps = 30.0;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
// Seconds of show: plain, two-layer blur, seven-layer drifting blur, wave grid 0 with plain.
constexpr double kSamples[] = {10.0, 17.0, 19.5, 25.0, 28.0, 31.5, 41.0};

bool updateShow(void*) {
    kgl::DemoEngine& e = kgl::engine();
    const bool ended = kgl::musicEndCheck(e);
    e.update();
    return ended;
}

void step(kgl::LoopTiming& timing, kgl::WindowState& ws, int64_t frame, bool draw) {
    while (kgl::PeekDisplayMessage(ws) != kgl::DisplayMessage::None) {
    }
    kgl::DemoEngine& e = kgl::engine();
    e.traceFrame = frame;
    if (draw) e.render();
    e.direct();
    bool ended = false;
    const kgl::UpdateStepHooks hooks{updateShow, nullptr};
    kgl::runUpdateStep(timing, kgl::tickCount, e.updateRate, hooks, ended);
    kgl::advanceFixedTick();
}

void readWindow(std::vector<unsigned char>& out) {
    out.assign(static_cast<size_t>(kWidth) * kHeight * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, out.data());
}

struct Difference {
    double mean[3] = {};
    int worst = 0;
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    Difference d;
    long sum[3] = {};
    for (size_t i = 0; i < a.size(); ++i) {
        const int diff = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        sum[i % 3] += diff;
        d.worst = std::max(d.worst, diff);
    }
    for (int c = 0; c < 3; ++c)
        d.mean[c] = static_cast<double>(sum[c]) / (static_cast<double>(a.size()) / 3.0);
    return d;
}

void startShow() {
    kgl::setFixedTickStep(1000.0 / kFps);
    ASSERT_TRUE(kgl::initDisplaySystem(true));
    uint8_t fullscreen = 0;
    kgl::screenWidth = kWidth;
    kgl::screenHeight = kHeight;
    ASSERT_TRUE(kgl::CreateDisplayWindow("compare", kWidth, kHeight, 32, fullscreen));
    kgl::DemoEngine& e = kgl::engine();
    kgl::LoadConfig(e, "escena/Config.ini");
    e.setup(static_cast<float>(kWidth), static_cast<float>(kHeight), 32);
    e.warmUp();
    e.StartMusic();
    e.StartEventTrack("escena/actions.bin");
    e.currentScene = 0;
    e.currentCamera = 0;
}

TEST(CompositionShow, FastPathMatchesTheStraightforwardOne) {
    const char* show = std::getenv("KGL_SHOW_DIR");
    if (!show || access((std::string(show) + "/escena/Config.ini").c_str(), R_OK) != 0)
        GTEST_SKIP() << "no default show in KGL_SHOW_DIR";
    std::string dir = testing::TempDir() + "kgl_compose_XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    ASSERT_EQ(std::system(("cp -r '" + std::string(show) + "/escena' '" + dir + "/'").c_str()), 0);
    char oldDir[PATH_MAX] = {};
    ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    unsetenv("KGL_STRAIGHT_COMPOSE");
    unsetenv("KGL_SHARP_COMPOSE");
    startShow();
    kgl::DemoEngine& e = kgl::engine();

    uint8_t keys[kgl::kVirtualKeyCount] = {};
    uint8_t active = 1;
    kgl::WindowState ws{keys, &active};
    kgl::LoopTiming timing;
    std::vector<unsigned char> fast;
    std::vector<unsigned char> straight;
    int64_t frame = 0;
    int blurred = 0;
    for (double at : kSamples) {
        const int64_t target = static_cast<int64_t>(at * kFps);
        for (; frame < target - 1; ++frame) step(timing, ws, frame, false);
        step(timing, ws, frame++, true);  // one drawn frame before: the drift and captures settle
        e.render();
        readWindow(fast);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e.motionBlur.redrawLast(true);
        readWindow(straight);
        const Difference d = compare(fast, straight);
        // The same frame as the straightforward run draws it, anisotropic sampling included.
        e.motionBlur.straightComposition = 1;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e.motionBlur.redrawLast(true);
        readWindow(straight);
        e.motionBlur.straightComposition = 0;
        const Difference a = compare(fast, straight);
        kgl::SwapDisplayBuffers();
        step(timing, ws, frame++, false);
        blurred += e.motionBlurOn;
        std::printf(
            "CompositionShow: %5.1f s %-7s vs layer quads: mean %.3f %.3f %.3f of 255, largest %d; "
            "vs anisotropic quads: mean %.3f %.3f %.3f, largest %d\n",
            at, e.motionBlurOn ? "blurred" : "plain", d.mean[0], d.mean[1], d.mean[2], d.worst, a.mean[0],
            a.mean[1], a.mean[2], a.worst);
        for (const Difference* x : {&d, &a}) {
            for (double m : x->mean) EXPECT_LE(m, 1.0) << "at " << at << " s";
            EXPECT_LE(x->worst, 8) << "at " << at << " s";
        }
    }
    EXPECT_GE(blurred, 4) << "the samples no longer fall on the blurred sections";

    if (e.config.useMp3) e.StopMusic();
    kgl::DestroyDisplayWindow();
    kgl::quitDisplaySystem();
    ASSERT_EQ(chdir(oldDir), 0);
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
