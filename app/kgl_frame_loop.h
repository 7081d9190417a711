// The frame loop every window of kgl runs (the show and kgl view), with the start-up and teardown
// around it: platform options, window, frame capture; then message polling, drawing, buffer swap
// and the fixed-rate update step until Escape, the window closing, the client's end or the frame
// limit. What is drawn and updated belongs to a FrameClient. One FrameLoop per command run.
#pragma once

#include <cstdint>

#include "app/kgl_capture.h"
#include "app/kgl_cmdline.h"
#include "app/kgl_loop_timing.h"

namespace kgl {

class FrameClient {
public:
    virtual ~FrameClient() = default;
    // The picture of loop turn `frame` (frames drawn so far); called while the window is active.
    virtual void draw(int64_t frame) = 0;
    // One update step; true when the show has ended.
    virtual bool update() = 0;
    // Update steps per second (read at every loop turn: the show changes it per scene).
    virtual int32_t updateRate() const = 0;
    // Whether the window title shows the frame rate ("korvoGL ... fps").
    virtual bool rateInTitle() const { return true; }
    // The picture of loop turn `frame` is in the back buffer, not yet swapped; false ends the loop.
    virtual bool frameDrawn(int64_t /*frame*/) { return true; }
    // What is drawn over the finished picture (the HUD), just before the swap while the window is
    // active. --capture keeps the picture without it, unless --capture-hud.
    virtual void overlay() {}
    // A seek: while skipping() holds, the loop runs its turns without drawing; skip() is the
    // turn's work without its picture. beginSkip/endSkip wrap the run of skipped turns; realTime:
    // the loop runs fixed replay time in place of real time meanwhile.
    virtual bool skipping() { return false; }
    virtual void beginSkip(bool /*realTime*/) {}
    virtual void skip(int64_t /*frame*/) {}
    virtual void endSkip() {}
    // Author mode. beginTurn: at the start of every loop turn, before a seek is replayed.
    // takeRestart: true once after the client rebuilt its show, whose time starts again: the
    // loop's update-step schedule starts again too. paused: the loop draws drawPaused() in place
    // of draw(), runs no update step, and the schedule stands still meanwhile.
    virtual void beginTurn(int64_t /*frame*/) {}
    virtual bool takeRestart() { return false; }
    virtual bool paused() const { return false; }
    virtual void drawPaused() {}
};

class FrameLoop {
public:
    explicit FrameLoop(const RunOptions& options) : options_(options) {}
    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;
    // Tears down whatever start() and openWindow() made.
    ~FrameLoop();

    // Hands the run's options to the platform layer and starts the video system. False (said in
    // the system's message box) when no display can start.
    bool start();
    // Opens the window and starts --capture. fullscreenMode is updated to the mode in use. False
    // when the window could not be made (the reason has been shown).
    bool openWindow(const char* title, int width, int height, int bits, uint8_t& fullscreenMode);
    // Swaps the buffers; every swap goes through here (or through the loop's own turn, which adds
    // the client's overlay) so --capture sees each one.
    void present();
    // Runs the loop until it ends.
    void run(FrameClient& client);

private:
    void presentTurn(FrameClient& client);
    void finishTurn(FrameClient& client);
    void pausedTurn(FrameClient& client);
    void fastForward(FrameClient& client);
    bool runStep(FrameClient& client);

    const RunOptions& options_;
    bool started_ = false;
    bool windowOpen_ = false;
    FrameCapture capture_;
    LoopTiming timing_;
    int64_t framesDrawn_ = 0;  // loop turns so far, the skipped ones included
    int64_t framesSkipped_ = 0;
    char title_[kTitleSize] = {};
};

}  // namespace kgl
