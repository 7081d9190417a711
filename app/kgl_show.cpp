#include "app/kgl_show.h"

#include <GL/gl.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "app/kgl_author.h"
#include "app/kgl_capture.h"
#include "app/kgl_frame_loop.h"
#include "app/kgl_globals.h"
#include "app/kgl_loading_screen.h"
#include "app/kgl_music_end.h"
#include "app/kgl_seek.h"
#include "app/kgl_show_folder.h"
#include "app/kgl_show_hud.h"
#include "common/kgl_bytes.h"
#include "common/kgl_random.h"
#include "engine/kgl_demoengine.h"
#include "platform/kgl_dialog.h"
#include "platform/kgl_display.h"
#include "platform/kgl_module.h"
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
// replays the way to the start. `loop` null: the show built again in author mode, in a window
// that already shows it (no warm-up swaps). The author mode (`author`, or "KEYBOARD: 1" when
// `keyboardAllowed`) always loads the track it edits. `convert` false: the scripts' ASE
// conversions are not run again (their scene files are loaded as this run wrote them).
bool buildShow(FrameLoop* loop, const StartTime& start, bool author, bool keyboardAllowed,
               bool convert = true) {
    DemoEngine& e = engine();
    e.scriptReader.runImports = convert;
    LoadConfig(e, "escena/Config.ini");
    if (author || (keyboardAllowed && e.config.keyboard)) e.config.loadActions = 1;
    e.setDetailMaps(startChoices.detailMaps);
    e.setup(static_cast<float>(screenWidth), static_cast<float>(screenHeight), startChoices.colorBits);
    e.setShowLoop(startChoices.showLoop);
    e.warmUp();
    if (loop) loop->present();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (loop) loop->present();
    if (loop && !fixedTickMode()) std::this_thread::sleep_for(std::chrono::milliseconds(kStartupPauseMs));
    e.StartMusic();
    if (e.config.useMp3 && !e.sound.lengthKnown) {
        std::fprintf(stderr,
                     "kgl: the show stops: it keeps time with its music (MP3: in escena/Config.ini)\n");
        return false;
    }
    if (start.set || !loop) {
        e.config.mp3StartOffset = 0;
        e.config.mp3StartSeconds = 0.0f;
    }
    e.StartEventTrack(kActionsPath);
    e.currentScene = 0;
    e.currentCamera = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

// The GL objects of a show that is about to be built again: its textures, its off-screen target
// and the blur's programs (nothing else in the engine frees them; the window's context outlives
// the show, and Mesa's software driver keeps them in process memory).
void releaseShowGL(DemoEngine& e) {
    const auto drop = [](const GLuint* names, int count) {
        for (int i = 0; i < count; ++i)
            if (names[i]) glDeleteTextures(1, &names[i]);
    };
    for (Scene3D& scene : e.scenes) {
        drop(scene.textureTable, kSceneTextureSlots);
        for (ParticleSystem& p : scene.particles) drop(p.textures, ParticleSystem::kTextureNames);
        for (LensFlare& f : scene.flares) drop(f.textures, LensFlare::kTextureNames);
    }
    for (ScreenFlash& f : e.flashes) {
        drop(&f.colourTexture, 1);
        drop(&f.maskTexture, 1);
    }
    for (int i = 0; i < MotionBlur::kMaxTextures; ++i) {
        const GLuint t = e.motionBlur.texture(i);
        drop(&t, 1);
    }
    e.motionBlur.release();
}

// What the frame loop draws and updates: the engine's render pass and director, then at the
// engine's rate the music-end check and its frame update. In author mode it also hosts the
// author's keys: pause, seeks (backward ones build the show again and replay it from its start)
// and reloads.
class ShowClient : public FrameClient, public AuthorHost {
public:
    ShowClient(DemoEngine& e, ShowRecorder* recorder, ShowHud& hud, const ShowOptions& o)
        : engine_(e), recorder_(recorder), hud_(hud), options_(o) {}
    void draw(int64_t frame) override {
        engine_.traceFrame = frame;
        engine_.render();
        if (author_) drawn_.take(engine_.motionBlur);
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
        ShowHudInfo& info = hud_.refresh(engine_, tickTimeMs());
        if (author_) author_->fillHud(info);  // the author's state: paused, recording, loop, message
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

    // Author mode.
    void startAuthor(const std::vector<ScriptedKey>& script) {
        author_ = std::make_unique<Author>(engine_, *this);
        author_->start(script);
    }
    Author* author() { return author_.get(); }
    void beginTurn(int64_t) override {
        if (author_) author_->beginTurn(keyPressed, keyDown);
    }
    bool takeRestart() override {
        const bool r = restarted_;
        restarted_ = false;
        return r;
    }
    bool paused() const override { return author_ && author_->paused(); }
    // The last composition again, from the capture it was made of and with the parameters it
    // was drawn with (the director may have changed them after it).
    void drawPaused() override {
        MotionBlur& blur = engine_.motionBlur;
        Composition now;
        now.take(blur);
        drawn_.give(blur);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        blur.redrawLast(blur.straightComposition != 0);
        now.give(blur);
    }
    void seek(uint32_t target, bool rebuild) override {
        if (rebuild || target < engine_.sound.Position()) {
            buildAgain(false);
        }
        if (target > engine_.sound.Position()) seekTo(target);
    }
    void reload(uint32_t target) override {
        buildAgain(true);
        if (target > engine_.sound.Position()) seekTo(target);
    }
    bool seeking() const override { return seek_.pending(); }

private:
    // What the composition of the window reads of the blur besides its capture.
    struct Composition {
        int32_t selectors[4] = {};
        float imageAlpha = 0.0f, darkAlpha = 0.0f, layerStep = 0.0f, alphaStep = 0.0f;
        int32_t layers = 0;
        void take(const MotionBlur& b) {
            const int32_t s[4] = {b.imageSrcSel, b.imageDstSel, b.darkSrcSel, b.darkDstSel};
            for (int i = 0; i < 4; ++i) selectors[i] = s[i];
            imageAlpha = b.imageAlpha;
            darkAlpha = b.darkAlpha;
            layerStep = b.layerStep;
            alphaStep = b.alphaStep;
            layers = b.layers;
        }
        void give(MotionBlur& b) const {
            b.imageSrcSel = selectors[0];
            b.imageDstSel = selectors[1];
            b.darkSrcSel = selectors[2];
            b.darkDstSel = selectors[3];
            b.imageAlpha = imageAlpha;
            b.darkAlpha = darkAlpha;
            b.layerStep = layerStep;
            b.alphaStep = alphaStep;
            b.layers = layers;
        }
    };

    // The show built again in the same window, its time back at 0. fromDisk (F5): everything
    // read again, ASE exports converted again, the action track too; otherwise the track as it
    // stands (recorded marks included) and the scene files this run converted.
    void buildAgain(bool fromDisk) {
        std::vector<ScriptMark> marks;
        if (!fromDisk) engine_.events.GetMarks(marks);
        const int64_t began = steadyMs();
        releaseShowGL(engine_);
        renewEngine();
        SeedRandom(1);
        if (fixedTickMode()) setFixedTickStep(fixedTickStepMs());
        if (!buildShow(nullptr, StartTime(), true, true, fromDisk)) {
            quitRequested = 1;
            return;
        }
        if (!fromDisk) engine_.events.SetMarks(marks);
        if (!options_.traceFile.empty()) engine_.openTrace(options_.traceFile.c_str(), true);
        restarted_ = true;
        if (author_) author_->rebuilt(fromDisk);
        std::fprintf(stderr, "AUTHOR: show built again in %" PRId64 " ms\n", steadyMs() - began);
    }
    static int64_t steadyMs() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    DemoEngine& engine_;
    ShowRecorder* recorder_;
    ShowHud& hud_;
    const ShowOptions& options_;
    ShowSeek seek_;
    std::unique_ptr<Author> author_;
    bool restarted_ = false;
    Composition drawn_;  // of the last picture drawn (author mode)
};

// The presses of --keys FILE; false when the file cannot be read or has a bad line.
bool readKeyScript(const std::string& path, std::vector<ScriptedKey>& script) {
    std::vector<uint8_t> text;
    if (!readFile(path, text)) {
        std::fprintf(stderr, "kgl: cannot read the key script %s\n", path.c_str());
        return false;
    }
    std::vector<KeyFileIssue> issues;
    const bool ok = ParseKeyScript(reinterpret_cast<const char*>(text.data()), text.size(), script, issues);
    for (const KeyFileIssue& i : issues)
        std::fprintf(stderr, "%s:%d:%d: %s\n", path.c_str(), i.line, i.column, i.message.c_str());
    return ok;
}

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
    std::vector<ScriptedKey> script;
    if (!o.keysFile.empty() && !readKeyScript(o.keysFile, script)) return kUsageExit;
    if (!openDisplay(loop, recorder)) return 1;
    const bool authorAsked = !recorder && (o.author || !o.keysFile.empty());
    if (!buildShow(&loop, o.start, authorAsked, !recorder)) return 1;
    if (!o.traceFile.empty()) engine().openTrace(o.traceFile.c_str());
    ShowHud hud;  // H and F1 work in every run
    hud.start(screenWidth, screenHeight, o.run.captureHud);
    ShowClient client(engine(), recorder, hud, o);
    const bool authorMode = authorAsked || (!recorder && engine().config.keyboard);
    if (authorMode) client.startAuthor(script);
    if (o.start.set) client.seekTo(startPosition(o.start, engine().sound));
    if (!recorder || recorder->begin(engine())) {
        if (recorder && recorder->seekTarget() > 0) client.seekTo(recorder->seekTarget());
        loop.run(client);
    }
    if (client.author()) client.author()->finish();
    if (engine().config.useMp3) engine().StopMusic();
    engine().closeTrace();
    return 0;
}

}  // namespace kgl
