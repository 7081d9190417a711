#include "app/kgl_frame_loop.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/kgl_globals.h"
#include "app/kgl_seek.h"
#include "common/kgl_log.h"
#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_platform.h"
#include "platform/kgl_ticks.h"

namespace kgl {

FrameLoop::~FrameLoop() {
    if (windowOpen_) DestroyDisplayWindow();
    if (started_) stopPlatform();
}

bool FrameLoop::start() {
    PlatformOptions p;
    p.batch = options_.batch;
    p.vsync = options_.vsync;
    p.desktopFullscreen = options_.fullscreen == kDesktopFullscreen;
    p.fixedStepMs = options_.fixedFps > 0.0 ? 1000.0 / options_.fixedFps : 0.0;
    started_ = startPlatform(p);
    if (!started_ && !displayMissing())
        messageBox("Failed To Register The Window Class.", "ERROR", MsgBoxKind::Error);
    return started_;
}

bool FrameLoop::openWindow(const char* title, int width, int height, int bits, uint8_t& fullscreenMode) {
    windowOpen_ = CreateDisplayWindow(title, width, height, bits, fullscreenMode);
    if (!windowOpen_) return false;
    const char* dir = options_.captureDir.c_str();
    if (!options_.captureDir.empty() &&
        !capture_.open(dir, width, height, static_cast<int>(options_.captureEvery))) {
        logLine("CAPTURE", dir, "capture is off");
    }
    return true;
}

void FrameLoop::present() {
    if (capture_.active()) capture_.captureFrame();
    SwapDisplayBuffers();
}

// A turn's swap: the capture reads the picture before the client's overlay, or after it with
// --capture-hud.
void FrameLoop::presentTurn(FrameClient& client) {
    const bool captureOverlay = options_.captureHud;
    if (capture_.active() && !captureOverlay) capture_.captureFrame();
    if (windowActive) client.overlay();
    if (capture_.active() && captureOverlay) capture_.captureFrame();
    SwapDisplayBuffers();
}

namespace {
bool updateClient(void* client) {
    return static_cast<FrameClient*>(client)->update();
}
}  // namespace

// The update step when due; true when it ran.
bool FrameLoop::runStep(FrameClient& client) {
    bool ended = false;
    const UpdateStepHooks hooks{updateClient, &client};
    if (!runUpdateStep(timing_, tickCount, client.updateRate(), hooks, ended)) return false;
    if (ended) quitRequested = 1;
    return true;
}

// After the swap: the update step when due, the title, the frame limit, fixed-step time.
void FrameLoop::finishTurn(FrameClient& client) {
    ++framesDrawn_;
    ++timing_.titleFrames;
    if (runStep(client) && client.rateInTitle() && refreshTitle(timing_, tickCount(), title_, sizeof title_))
        SetDisplayTitle(title_);
    const int64_t limit = options_.frames;
    if (limit > 0 && framesDrawn_ - framesSkipped_ >= limit) quitRequested = 1;
    advanceFixedTick();
}

// Turns without pictures up to the client's seek target. A fixed-step run keeps its own step, so
// the turns are the ones a straight run takes; a real-time run replays at kReplayFps and keeps the
// phase of its update step across the switch to replay time and back.
void FrameLoop::fastForward(FrameClient& client) {
    const bool realTime = !fixedTickMode();
    if (realTime) {
        const float sinceStep = static_cast<float>(tickCount()) - timing_.lastStepTick;
        setFixedTickStep(1000.0 / kReplayFps);
        timing_.lastStepTick = -sinceStep;
    }
    client.beginSkip(realTime);
    while (client.skipping() && !quitRequested) {
        client.skip(framesDrawn_);
        ++framesDrawn_;
        ++framesSkipped_;
        runStep(client);
        advanceFixedTick();
    }
    client.endSkip();
    if (realTime) {
        const float sinceStep = static_cast<float>(tickCount()) - timing_.lastStepTick;
        setFixedTickStep(0.0);
        timing_.lastStepTick = static_cast<float>(tickCount()) - sinceStep;
    }
}

// A paused turn: the client's still picture, no update step; the time the turn took is added to
// the last step's tick, so the schedule resumes in the phase it stopped in (under --fixed-fps
// exactly one step per turn, so a paused stretch leaves no trace in what follows).
void FrameLoop::pausedTurn(FrameClient& client) {
    constexpr int kPausedTurnMs = 10;  // real time: a paused show need not spin
    if (windowActive) client.drawPaused();
    if (keyDown[kVkEscape] || keyPressed[kVkEscape]) {
        quitRequested = 1;
        return;
    }
    presentTurn(client);
    ++framesDrawn_;
    const uint32_t before = tickCount();
    if (!fixedTickMode()) std::this_thread::sleep_for(std::chrono::milliseconds(kPausedTurnMs));
    advanceFixedTick();
    timing_.lastStepTick += static_cast<float>(tickCount() - before);
    const int64_t limit = options_.frames;
    if (limit > 0 && framesDrawn_ - framesSkipped_ >= limit) quitRequested = 1;
    std::memset(keyPressed, 0, sizeof keyPressed);
}

void FrameLoop::run(FrameClient& client) {
    WindowState ws;
    ws.keyDown = keyDown;
    ws.keyPressed = keyPressed;
    ws.windowActive = &windowActive;
    ws.dragX = &mouseDragX;
    ws.dragY = &mouseDragY;
    ws.wheel = &mouseWheel;
    while (!quitRequested) {
        const DisplayMessage m = PeekDisplayMessage(ws);
        if (m == DisplayMessage::Quit) quitRequested = 1;
        if (m != DisplayMessage::None) continue;
        client.beginTurn(framesDrawn_);
        if (client.takeRestart()) {
            timing_.lastStepTick = 0.0f;
            timing_.stepped = false;
        }
        if (client.skipping()) fastForward(client);
        if (!quitRequested && client.paused()) {
            pausedTurn(client);
            continue;
        }
        if (quitRequested) break;
        if (windowActive) client.draw(framesDrawn_);
        if (keyDown[kVkEscape] || keyPressed[kVkEscape] ||
            (windowActive && !client.frameDrawn(framesDrawn_))) {
            quitRequested = 1;
            continue;
        }
        presentTurn(client);
        finishTurn(client);
        std::memset(keyPressed, 0, sizeof keyPressed);
    }
}

}  // namespace kgl
