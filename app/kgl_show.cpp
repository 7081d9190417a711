#include "app/kgl_show.h"

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/kgl_capture.h"
#include "app/kgl_frame_loop.h"
#include "app/kgl_globals.h"
#include "app/kgl_loading_screen.h"
#include "app/kgl_music_end.h"
#include "app/kgl_show_folder.h"
#include "engine/kgl_demoengine.h"
#include "platform/kgl_dialog.h"
#include "platform/kgl_platform.h"
#include "platform/kgl_ticks.h"
#include "script/kgl_config.h"

namespace kgl {

namespace {

constexpr const char* kActionsPath = "escena/actions.bin";
constexpr int kStartupPauseMs = 50;  // the pause before the music starts
constexpr int kDialogShotFrame = 2;  // the dialog frame kept as dialog.png under --capture

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
void setStartValues(const ShowOptions& o) {
    startChoices = DialogChoices{};
    if (o.resolutionIndex >= 0) startChoices.resolutionIndex = o.resolutionIndex;
    if (o.run.fullscreen >= 0) startChoices.fullscreenMode = o.run.fullscreen > 0 ? 1 : 0;
    if (o.loop) startChoices.showLoop = 1;
    if (o.noDetailMaps) startChoices.detailMaps = 0;
}

// The start-up dialog. Returns 1 to go on, 0 when the user quit, -1 when the dialog could not be shown.
int runDialog(const ShowOptions& o) {
    if (o.run.batch || o.noDialog) return 1;
    DialogShot shot;
    shot.dir = o.run.captureDir.c_str();
    DialogFrameHook hook;
    if (!o.run.captureDir.empty()) {
        hook.afterDraw = writeDialogShot;
        hook.context = &shot;
    }
    return RunStartupDialog(startChoices, hook);
}

// The window, then the loading screen.
bool openDisplay(FrameLoop& loop) {
    DialogChoices& c = startChoices;
    const int index = c.resolutionIndex >= 0 && c.resolutionIndex < kResolutionCount ? c.resolutionIndex : 0;
    screenWidth = kResolutions[index].width;
    screenHeight = kResolutions[index].height;
    if (!loop.openWindow(kWindowTitle, screenWidth, screenHeight, c.colorBits, c.fullscreenMode))
        return false;
    drawLoadingScreen(loadingImage(), screenWidth, screenHeight);
    loop.present();
    return true;
}

// Builds the show, warms the driver, starts the music and the action track. False when the
// music named by the configuration cannot be played: the show keeps time with it and would
// never end.
bool buildShow(FrameLoop& loop) {
    DemoEngine& e = engine();
    LoadConfig(e, "escena/Config.ini");
    e.setDetailMaps(startChoices.detailMaps);
    e.setup(static_cast<float>(screenWidth), static_cast<float>(screenHeight), startChoices.colorBits);
    e.setShowLoop(startChoices.showLoop);
    e.warmUp();
    loop.present();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loop.present();
    if (!fixedTickMode()) std::this_thread::sleep_for(std::chrono::milliseconds(kStartupPauseMs));
    e.StartMusic();
    if (e.config.useMp3 && !e.sound.lengthKnown) {
        std::fprintf(stderr, "kgl: the show stops: it keeps time with its music (MP3: in escena/Config.ini)\n");
        return false;
    }
    e.StartEventTrack(kActionsPath);
    e.currentScene = 0;
    e.currentCamera = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

// What the frame loop draws and updates: the engine's render pass and director, then at the
// engine's rate the music-end check and its frame update.
class ShowClient : public FrameClient {
public:
    explicit ShowClient(DemoEngine& e) : engine_(e) {}
    void draw(int64_t frame) override {
        engine_.traceFrame = frame;
        engine_.render();
        engine_.direct();
    }
    bool update() override {
        const bool ended = musicEndCheck(engine_);
        engine_.update();
        return ended;
    }
    int32_t updateRate() const override { return engine_.updateRate; }

private:
    DemoEngine& engine_;
};

}  // namespace

int runShow(const ShowOptions& o) {
    std::string missing;
    if (!enterShowFolder(o.dataDir, executableFolder(), missing)) {
        std::fprintf(stderr, "%s\n", missing.c_str());
        return kUsageExit;
    }
    setStartValues(o);
    FrameLoop loop(o.run);
    if (!loop.start()) return 1;
    const int dialog = runDialog(o);
    if (dialog <= 0) return dialog == 0 ? 0 : 1;
    if (!openDisplay(loop)) return 1;
    if (!buildShow(loop)) return 1;
    if (!o.traceFile.empty()) engine().openTrace(o.traceFile.c_str());
    ShowClient client(engine());
    loop.run(client);
    if (engine().config.useMp3) engine().StopMusic();
    engine().closeTrace();
    return 0;
}

}  // namespace kgl
