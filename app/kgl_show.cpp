#include "app/kgl_show.h"

#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/kgl_capture.h"
#include "app/kgl_globals.h"
#include "app/kgl_loading_screen.h"
#include "app/kgl_loop_timing.h"
#include "app/kgl_music_end.h"
#include "engine/kgl_demoengine.h"
#include "fx/kgl_scene_fx.h"
#include "platform/kgl_dialog.h"
#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_ticks.h"
#include "script/kgl_config.h"

namespace kgl {

namespace {

constexpr const char* kActionsPath = "escena/actions.bin";
constexpr int kStartupPauseMs = 50;  // the pause before the music starts
constexpr int kDialogShotFrame = 2;  // the dialog frame kept as dialog.png under --capture

struct ShowRun {
    const CommandLine* options = nullptr;
    FrameCapture capture;
    LoopTiming timing;
    int64_t framesDrawn = 0;
    char title[kTitleSize] = {};
};

ShowRun gRun;

// Every buffer swap goes through here so --capture sees each one, the loading screen first.
void presentFrame() {
    if (gRun.capture.active()) gRun.capture.captureFrame();
    SwapDisplayBuffers();
}

struct DialogShot {
    const char* dir = nullptr;
    int frame = 0;
    std::vector<uint8_t> pixels;
};

void writeDialogShot(void* context, int width, int height) {
    DialogShot& shot = *static_cast<DialogShot*>(context);
    if (shot.frame++ != kDialogShotFrame || !FrameCapture::makeFolder(shot.dir)) return;
    char path[1200];
    std::snprintf(path, sizeof path, "%s/dialog.png", shot.dir);
    FrameCapture::writeBackBuffer(path, width, height, shot.pixels);
}

// The start values of the choices, overridden by the command line; the dialog starts from them.
void setStartValues(const CommandLine& o) {
    fullscreenMode = 1;
    lowChips = 0;
    showLoop = 0;
    colorBits = 32;
    detailMaps = 1;
    if (o.fullscreen >= 0) fullscreenMode = static_cast<uint8_t>(o.fullscreen);
    if (o.resolutionIndex >= 0) resolutionIndex = o.resolutionIndex;
    if (o.loop) showLoop = 1;
    if (o.noDetailMaps) detailMaps = 0;
}

// The start-up dialog. Returns 1 to go on, 0 when the user quit, -1 when the dialog could not be shown.
int runDialog(const CommandLine& o) {
    if (o.batch || o.noDialog) return 1;
    DialogChoices c;
    c.fullscreenMode = fullscreenMode;
    c.showLoop = showLoop;
    c.lowChips = lowChips;
    c.detailMaps = detailMaps;
    c.resolutionIndex = resolutionIndex;
    c.colorBits = colorBits;
    DialogShot shot;
    shot.dir = o.captureDir;
    DialogFrameHook hook;
    if (o.captureDir) {
        hook.afterDraw = writeDialogShot;
        hook.context = &shot;
    }
    const int result = RunStartupDialog(c, hook);
    fullscreenMode = c.fullscreenMode;
    showLoop = c.showLoop;
    lowChips = c.lowChips;
    detailMaps = c.detailMaps;
    resolutionIndex = c.resolutionIndex;
    colorBits = c.colorBits;
    return result;
}

// The window, then the loading screen.
bool openDisplay(const CommandLine& o) {
    const int index = resolutionIndex >= 0 && resolutionIndex < kResolutionCount ? resolutionIndex : 0;
    screenWidth = kResolutions[index].width;
    screenHeight = kResolutions[index].height;
    setDisplayVsync(o.vsync);
    if (!CreateDisplayWindow(kWindowTitle, screenWidth, screenHeight, colorBits, fullscreenMode))
        return false;
    if (o.captureDir &&
        !gRun.capture.open(o.captureDir, screenWidth, screenHeight, static_cast<int>(o.captureEvery))) {
        std::fprintf(stderr, "CAPTURE: [%s] capture is off\n", o.captureDir);
    }
    drawLoadingScreen(loadingImage(), screenWidth, screenHeight);
    presentFrame();
    return true;
}

// Builds the show, warms the driver, starts the music and the action track.
void buildShow() {
    DemoEngine& e = engine();
    LoadConfig(e, "escena/Config.ini");
    e.setDetailMaps(detailMaps);
    e.setup(static_cast<float>(screenWidth), static_cast<float>(screenHeight), colorBits);
    e.setShowLoop(showLoop);
    e.warmUp();
    presentFrame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    presentFrame();
    if (!fixedTickMode()) std::this_thread::sleep_for(std::chrono::milliseconds(kStartupPauseMs));
    e.StartMusic();
    e.StartEventTrack(kActionsPath);
    e.currentScene = 0;
    e.currentCamera = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The update step's work: the music-end check, then the engine's frame update.
bool updateShow(void*) {
    DemoEngine& e = engine();
    const bool ended = musicEndCheck(e);
    e.update();
    return ended;
}

// After the swap: the update step when due, the title, the frame limit, fixed-step time.
void finishTurn() {
    ++gRun.framesDrawn;
    ++gRun.timing.titleFrames;
    bool ended = false;
    const UpdateStepHooks hooks{updateShow, nullptr};
    if (runUpdateStep(gRun.timing, tickCount, engine().updateRate, hooks, ended)) {
        if (ended) quitRequested = 1;
        if (refreshTitle(gRun.timing, tickCount(), gRun.title, sizeof gRun.title))
            SetDisplayTitle(gRun.title);
    }
    const int64_t limit = gRun.options->frames;
    if (limit > 0 && gRun.framesDrawn >= limit) quitRequested = 1;
    advanceFixedTick();
}

void frameLoop() {
    WindowState ws;
    ws.keyDown = keyDown;
    ws.windowActive = &windowActive;
    while (!quitRequested) {
        const DisplayMessage m = PeekDisplayMessage(ws);
        if (m == DisplayMessage::Quit) quitRequested = 1;
        if (m != DisplayMessage::None) continue;
        if (windowActive) {
            engine().traceFrame = gRun.framesDrawn;
            engine().render();
            engine().direct();
        }
        if (keyDown[kVkEscape]) {
            quitRequested = 1;
            continue;
        }
        presentFrame();
        finishTurn();
    }
}

bool enterDataFolder(const char* dir) {
    if (!dir) return true;
    if (::chdir(dir) == 0) return true;
    std::fprintf(stderr, "kgl: cannot enter the data folder '%s'\n", dir);
    return false;
}

}  // namespace

int runShow(const CommandLine& o) {
    if (!enterDataFolder(o.dataDir)) return 2;
    gRun.options = &o;
    setMessageBoxesInteractive(!o.batch);
    if (o.fixedFps > 0.0) setFixedTickStep(1000.0 / o.fixedFps);
    if (o.traceFile) std::snprintf(traceFilePath, sizeof traceFilePath, "%s", o.traceFile);
    setStartValues(o);
    if (!initDisplaySystem(o.batch)) {
        messageBox("Failed To Register The Window Class.", "ERROR", MsgBoxKind::Error);
        return 1;
    }
    const int dialog = runDialog(o);
    if (dialog <= 0) {
        quitDisplaySystem();
        return dialog == 0 ? 0 : 1;
    }
    if (!openDisplay(o)) {
        quitDisplaySystem();
        return 1;
    }
    InstallSceneEffectHooks();
    buildShow();
    if (traceFilePath[0]) engine().openTrace(traceFilePath);
    frameLoop();
    if (engine().useMp3) engine().StopMusic();
    engine().closeTrace();
    DestroyDisplayWindow();
    quitDisplaySystem();
    return 0;
}

}  // namespace kgl
