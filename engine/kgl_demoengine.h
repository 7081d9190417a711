// The engine object: owns every resource of the show in fixed slots. One global instance lives
// for the whole process; the entry routine reads the configuration into it, calls setup, and the
// frame loop drives direct() (kgl_director.cpp), update() and render() (kgl_framepass.cpp).
// Set-up and its constants live in kgl_setup.cpp and kgl_show_tables.h.
#pragma once

#include <cstdint>
#include <cstdio>

#include "fx/kgl_2d_flash.h"
#include "fx/kgl_motion_blur.h"
#include "fx/kgl_wavegrid.h"
#include "scene/kgl_2d_fasttrigo.h"
#include "scene/kgl_deform.h"
#include "scene/kgl_scene3d.h"
#include "script/kgl_config.h"
#include "script/kgl_scenescript.h"
#include "sync/kgl_events.h"
#include "sync/kgl_soundsys.h"

namespace kgl {

constexpr int kSceneSlots = 16;  // slots 0..7 are loaded by setup
constexpr int kLoadedScenes = 8;
constexpr int kFlashCount = 33;
constexpr int kFlashSwitches = 32;
constexpr int kUsedOverlays = 19;  // switches 0..18, mapped to flashes by kOverlayFlash
constexpr int kWaveGrids = 2;
constexpr int kWaveTables = 2;
constexpr int kActionCount = 91;       // actions 0..90
constexpr int kMaxCameraActions = 8;   // actions 42..49
constexpr int kRecentActionCount = 8;  // performed actions the engine remembers for the HUD

// Switch -> flash, also the order in which overlays are updated and drawn.
constexpr int kOverlayFlash[kUsedOverlays] = {0,  1,  2,  3,  4,  8,  9,  10, 11, 12,
                                              13, 14, 26, 27, 28, 29, 30, 31, 32};

// What the last render() did; tests read it (no GL query needed, nothing allocated).
struct FramePassRecord {
    int32_t captures = 0;                     // motionBlur.capture() calls
    int32_t scenesDrawn = 0;                  // Scene3D::Render calls
    int32_t overlaysDrawn = 0;                // flashes whose draw() ran
    int8_t overlayOrder[kUsedOverlays] = {};  // their flash indices in drawing order
};

// One performed action and the music position (bytes of decoded audio) of the frame it ran on.
struct PerformedAction {
    int32_t action = -1;
    uint32_t position = 0;
};

// Reads one scene script into `scene` with the engine's scriptReader (whose importer runs the
// IMPORT block). A script that cannot be opened is skipped with one line on stderr.
class DemoEngine;
void ParseSceneScript(DemoEngine& engine, Scene3D& scene, const char* path);

class DemoEngine {
public:
    DemoEngine();
    virtual ~DemoEngine();
    DemoEngine(const DemoEngine&) = delete;
    DemoEngine& operator=(const DemoEngine&) = delete;

    // Entry-routine interface, called in this order.
    void setRenderToTexture(uint8_t flag) { renderToTexture = flag; }
    void setDetailMaps(uint8_t flag) { detailMaps = flag; }
    void setup(float width, float height, int colorBits);
    void setShowLoop(uint8_t flag);
    void warmUp();
    void StartMusic();
    void StopMusic();
    void StartEventTrack(const char* path);

    // Every frame.
    void direct();
    void update();
    void render();
    // What render() changes in the show besides the picture (scene cameras, the blur's drift,
    // the lens flares' fade), for a seek that replays frames without showing them.
    void skipRender();
    // The overlay scene's per-frame GL set-up and the lights' spot values that skipped frames owe
    // the off-screen context (they stay there for the frames that follow); run before that
    // context is used again.
    void flushSkippedSetup();
    void resetShowState();

    // --trace FILE: one line per performed action. Opened once (again with `append` when the
    // author mode builds the show again); closed by the destructor.
    bool openTrace(const char* path, bool append = false);
    void closeTrace();

    // One director action (what direct() runs for each taken flag); numbers outside 0..90 and
    // the unused 22 and 66 do nothing.
    void performAction(int action);
    // The last kRecentActionCount actions performed, newest first (age 0); resetShowState
    // forgets them.
    int32_t recentActionCount() const { return recentCount_; }
    PerformedAction recentAction(int age) const;

    // The configuration, filled from "escena/Config.ini" by LoadConfig.
    ConfigValues config;

    // Reads the eight scene scripts during setup; its one importer serves all their IMPORT blocks.
    SceneScriptReader scriptReader;
    SoundSystem sound;  // the music: its byte position is the show's clock
    EventTrack events;  // the recorded cue track
    MotionBlur motionBlur;
    float darkAlpha = 0.0f;  // the engine's copies of the composition alphas
    float imageAlpha = 0.0f;
    // Handed to the vertex programs by actions 81..84; never written, so they hold zeros.
    float deformParamsA[kDeformParams] = {};
    float deformParamsB[kDeformParams] = {};
    float harmParams[kHarmParamCount] = {};
    WaveGrid waveGrids[kWaveGrids];
    uint8_t waveGridOn[kWaveGrids] = {};
    int32_t darkDstIndex = 4;
    int32_t darkSrcIndex = 4;
    int32_t imageSrcIndex = 4;
    int32_t imageDstIndex = 1;
    int32_t overlayScene = 0;
    uint8_t overlaySceneOn = 0;
    uint8_t motionBlurOn = 0;
    uint8_t detailMaps = 1;
    int32_t updateRate = 20;  // update steps per second
    float pulseValue = 1.3f;
    uint8_t pulseOn = 0;
    uint8_t pulseRising = 0;
    uint8_t pulseCount = 0;
    Scene3D scenes[kSceneSlots];
    ScreenFlash flashes[kFlashCount];
    FastTrigo waveTables[kWaveTables];
    int32_t currentScene = -1;
    uint8_t flashOn[kFlashSwitches] = {};
    int32_t currentCamera = 0;
    int32_t overlayCamera = 0;

    uint8_t renderToTexture = 0;  // stored; setup always creates the render target
    int32_t colorBits = 32;       // stored; the show does not use it
    // 0 drives the director and the update step without a GL context (tests): the scene
    // switches then skip Scene3D::PrepareGL.
    uint8_t withGL = 1;
    FramePassRecord lastFrame;
    int64_t traceFrame = 0;  // drawn frames since the loop started, set by the frame loop

private:
    void traceAction(uint32_t position, int action);
    void rememberAction(uint32_t position, int action);
    void switchScene(int action);
    void prepareInTarget(int slot);
    void overlayAction(int action);
    void compositionAction(int action);
    void blurAction(int action);
    void applyBlurPreset(int action);
    void playbackAction(int action);
    void sceneAnimationAction(int action);
    void vertexProgramAction(int action);
    void handOverBlend();
    void handOverAlphas();
    Scene3D* current();
    void drawScenes();
    void drawOverlays();
    void waveGridPass(int grid);
    void stepPulse();

    // A skipped frame's share of drawing that the show remembers: the depth each lens flare reads
    // under its light (its fade and the glow's pulse follow it), drawn into those pixels only.
    void probeFlares();
    void noteSkippedSpots(const Scene3D& scene);
    void feedOwedSpots();
    int32_t skippedOverlay_ = -1;  // overlay scene whose set-up skipped frames owe, -1: none
    // The spot values a drawn frame feeds each GL light (SetupLights), kept by skipped frames for
    // the off-screen context. GL refuses values out of range and keeps the last one it took, which
    // a later scene feeding a refused value then lights with: it depends on every frame drawn.
    struct OwedSpot {
        float exponent = 0.0f;
        float cutoff = 0.0f;
        bool exponentOwed = false;
        bool cutoffOwed = false;
    };
    OwedSpot owedSpots_[kMaxLights];
    bool spotsOwed_ = false;
    std::FILE* trace_ = nullptr;
    uint32_t tracePosition_ = 0;                  // music position of the frame being directed
    PerformedAction recent_[kRecentActionCount];  // a ring; recentNext_ is the next slot written
    int32_t recentNext_ = 0;
    int32_t recentCount_ = 0;
};

// Reads the configuration file into the engine's configuration; a missing file changes nothing.
void LoadConfig(DemoEngine& engine, const char* path);

}  // namespace kgl
