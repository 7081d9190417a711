// Test helper: the default show (from KGL_SHOW_DIR) played in a window of its own, one turn of
// the frame loop at a time on the fixed-step clock. The show is copied into a fresh temporary
// folder first, as it writes its converted scenes and logs beside itself; everything goes away
// with the object.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/kgl_globals.h"
#include "app/kgl_loop_timing.h"
#include "app/kgl_music_end.h"
#include "engine/kgl_demoengine.h"
#include "platform/kgl_display.h"
#include "platform/kgl_ticks.h"
#include "script/kgl_config.h"
#include "tests/unit/kgl_test_files.h"

namespace kgl_test {

class ShowRun {
public:
    ShowRun() {
        window_.keyDown = keys_;
        window_.keyPressed = pressed_;
        window_.windowActive = &active_;
    }
    ~ShowRun() {
        if (!started_) return;
        if (kgl::engine().config.useMp3) kgl::engine().StopMusic();
        kgl::DestroyDisplayWindow();
        kgl::quitDisplaySystem();
    }

    // Copies the show and enters the copy; false when KGL_SHOW_DIR holds no show (the test skips).
    bool enter() {
        const char* show = std::getenv("KGL_SHOW_DIR");
        if (!show || access((std::string(show) + "/escena/Config.ini").c_str(), R_OK) != 0) return false;
        dir_ = std::make_unique<TempCwd>("kgl_show_");
        EXPECT_TRUE(dir_->ok());
        EXPECT_EQ(std::system(("cp -r '" + std::string(show) + "/escena' .").c_str()), 0);
        return true;
    }

    // Opens the window, reads the configuration, sets the engine up and starts the music and the
    // cue track, as the show does. Check HasFatalFailure() after it.
    void start(int width, int height, double fps) {
        kgl::setFixedTickStep(1000.0 / fps);
        ASSERT_TRUE(kgl::initDisplaySystem(true));
        uint8_t fullscreen = 0;
        kgl::screenWidth = width;
        kgl::screenHeight = height;
        ASSERT_TRUE(kgl::CreateDisplayWindow("kgl test", width, height, 32, fullscreen));
        started_ = true;
        kgl::DemoEngine& e = kgl::engine();
        kgl::LoadConfig(e, "escena/Config.ini");
        e.setup(static_cast<float>(width), static_cast<float>(height), 32);
        e.warmUp();
        e.StartMusic();
        e.StartEventTrack("escena/actions.bin");
        e.currentScene = 0;
        e.currentCamera = 0;
    }

    // One turn of the frame loop: messages, the picture (when `draw`), direction, `overlay()`
    // over the finished picture, the swap (when `swap`), the update step when due and the
    // fixed-step tick.
    template <typename Overlay>
    void step(int64_t frame, bool draw, bool swap, Overlay&& overlay) {
        while (kgl::PeekDisplayMessage(window_) != kgl::DisplayMessage::None) {
        }
        kgl::DemoEngine& e = kgl::engine();
        e.traceFrame = frame;
        if (draw) e.render();
        e.direct();
        overlay();
        if (swap) kgl::SwapDisplayBuffers();
        bool ended = false;
        const kgl::UpdateStepHooks hooks{updateShow, nullptr};
        kgl::runUpdateStep(timing_, kgl::tickCount, e.updateRate, hooks, ended);
        kgl::advanceFixedTick();
    }

    void step(int64_t frame, bool draw, bool swap) {
        step(frame, draw, swap, [] {});
    }

private:
    static bool updateShow(void*) {
        kgl::DemoEngine& e = kgl::engine();
        const bool ended = kgl::musicEndCheck(e);
        e.update();
        return ended;
    }

    std::unique_ptr<TempCwd> dir_;
    bool started_ = false;
    uint8_t keys_[kgl::kVirtualKeyCount] = {};
    uint8_t pressed_[kgl::kVirtualKeyCount] = {};
    uint8_t active_ = 1;
    kgl::WindowState window_;
    kgl::LoopTiming timing_;
};

}  // namespace kgl_test
