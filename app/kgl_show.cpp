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
#include "app/kgl_seek.h"
#include "app/kgl_show_folder.h"
#include "app/kgl_show_hud.h"
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
bool openDisplay(FrameLoop& loop, const ShowRecorder* recorder) {
    DialogChoices& c = startChoices;
    const int index = c.resolutionIndex >= 0 && c.resolutionIndex < kResolutionCount ? c.resolutionIndex : 0;
    screenWidth = recorder ? recorder->width() : kResolutions[index].width;
    screenHeight = recorder ? recorder->height() : kResolutions[index].height;
    if (!loop.openWindow(kWindowTitle, screenWidth, screenHeight, c.colorBits, c.fullscreenMode))
        return false;
    drawLoadingScreen(loadingImage(), screenWidth, screenHeight);
    loop.present();
    return true;
}

// Builds the show, warms the driver, starts the music and the action track. False when the
// music named by the configuration cannot be played: the show keeps time with it and would
// never end. With a start time the track starts from the beginning like the music: the seek
// replays the way to the start.
bool buildShow(FrameLoop& loop, const StartTime& start) {
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
        std::fprintf(stderr,
                     "kgl: the show stops: it keeps time with its music (MP3: in escena/Config.ini)\n");
        return false;
    }
    if (start.set) {
        e.config.mp3StartOffset = 0;
        e.config.mp3StartSeconds = 0.0f;
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
    ShowClient(DemoEngine& e, ShowRecorder* recorder, ShowHud& hud)
        : engine_(e), recorder_(recorder), hud_(hud) {}
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
    bool frameDrawn(int64_t frame) override { return !recorder_ || recorder_->frameDrawn(frame); }
    void overlay() override {
        hud_.takeKeys(keyPressed);
        hud_.refresh(engine_, tickTimeMs());  // the author's state goes into the info it returns
        hud_.draw(engine_.sound);
    }

    // Replays the show up to `position` (bytes of decoded music) before the next picture.
    void seekTo(uint32_t position) { seek_.request(position); }
    bool skipping() override { return seek_.skipping(engine_.sound); }
    void beginSkip(bool realTime) override { seek_.begin(engine_.sound, realTime); }
    void skip(int64_t frame) override {
        engine_.traceFrame = frame;
        if (seek_.drawsTurn(engine_.sound)) {
            engine_.render();
        } else {
            engine_.skipRender();
        }
        engine_.direct();
        seek_.countTurn();
    }
    void endSkip() override {
        engine_.flushSkippedSetup();
        seek_.end(engine_.sound);
    }

private:
    DemoEngine& engine_;
    ShowRecorder* recorder_;
    ShowHud& hud_;
    ShowSeek seek_;
};

}  // namespace

int runShow(const ShowOptions& o, ShowRecorder* recorder) {
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
    if (!openDisplay(loop, recorder)) return 1;
    if (!buildShow(loop, o.start)) return 1;
    if (!o.traceFile.empty()) engine().openTrace(o.traceFile.c_str());
    ShowHud hud;  // H and F1 work in every run
    hud.start(screenWidth, screenHeight, o.run.captureHud);
    ShowClient client(engine(), recorder, hud);
    if (o.start.set) client.seekTo(startPosition(o.start, engine().sound));
    if (!recorder || recorder->begin(engine())) {
        if (recorder && recorder->seekTarget() > 0) client.seekTo(recorder->seekTarget());
        loop.run(client);
    }
    if (engine().config.useMp3) engine().StopMusic();
    engine().closeTrace();
    return 0;
}

}  // namespace kgl
