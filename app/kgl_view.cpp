// The scene viewer command (see kgl_view.h): a loaded scene with a default atmosphere and every
// light on, updated 30 times a second and drawn every loop turn until Escape, the window closing
// or the --frames limit.
#include "app/kgl_view.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/kgl_capture.h"
#include "app/kgl_cmdline.h"
#include "app/kgl_globals.h"
#include "app/kgl_loop_timing.h"
#include "fx/kgl_motion_blur.h"
#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_ticks.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_textures.h"

namespace kgl {
namespace {

// Default atmosphere: glow radius, spot exponent and cut-off, fog start, end, density, colour.
constexpr float kViewGlowRadius = 30.0f;
constexpr float kViewSpotExponent = 1.15f;
constexpr float kViewSpotCutoff = 90.0f;
constexpr float kViewFogStart = 200.0f;
constexpr float kViewFogEnd = 1200.0f;
constexpr float kViewFogDensity = 0.1f;
constexpr float kViewFogGrey = 0.2f;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

struct ViewRun {
    ViewOptions view;
    bool batch = false;
    bool windowed = true;  // a viewer opens a window unless asked for the full screen
    int64_t frames = 0;
    double fixedFps = 0.0;
    const char* captureDir = nullptr;
};

void printViewUsage() {
    std::fprintf(stderr,
                 "usage: kgl view FILE.k3d [--texdir DIR] [--packed] [--camera N] [--batch]\n"
                 "                [--frames N] [--fixed-fps F] [--capture DIR] [--windowed|--fullscreen]\n");
}

// False (with a message) on a bad command line.
// A camera index 0..63 (the scene clamps it to its last camera).
bool parseCameraIndex(const char* text, int& out) {
    int64_t v = 0;
    if (std::strcmp(text, "0") == 0) {
        out = 0;
        return true;
    }
    if (!parseCount(text, v) || v > 63) return false;
    out = static_cast<int>(v);
    return true;
}

bool parseView(int argc, char** argv, ViewRun& r) {
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--packed") == 0)
            r.view.packed = true;
        else if (std::strcmp(a, "--batch") == 0)
            r.batch = true;
        else if (std::strcmp(a, "--windowed") == 0)
            r.windowed = true;
        else if (std::strcmp(a, "--fullscreen") == 0)
            r.windowed = false;
        else if (std::strcmp(a, "--texdir") == 0 && hasValue)
            r.view.texDir = argv[++i];
        else if (std::strcmp(a, "--camera") == 0 && hasValue && parseCameraIndex(argv[i + 1], r.view.camera))
            ++i;
        else if (std::strcmp(a, "--frames") == 0 && hasValue && parseCount(argv[i + 1], r.frames))
            ++i;
        else if (std::strcmp(a, "--fixed-fps") == 0 && hasValue && parseRate(argv[i + 1], r.fixedFps))
            ++i;
        else if (std::strcmp(a, "--capture") == 0 && hasValue)
            r.captureDir = argv[++i];
        else if (a[0] != '-' && r.view.file.empty())
            r.view.file = a;
        else {
            std::fprintf(stderr, "kgl view: unknown option or bad value at '%s'\n", a);
            return false;
        }
    }
    if (r.view.file.empty()) {
        printViewUsage();
        return false;
    }
    return true;
}

ViewSession* gSession = nullptr;

bool viewStep(void*) {
    gSession->update();
    return false;
}

void viewLoop(ViewSession& session, const ViewRun& r, FrameCapture& capture) {
    WindowState ws;
    ws.keyDown = keyDown;
    ws.windowActive = &windowActive;
    LoopTiming timing;
    gSession = &session;
    const UpdateStepHooks hooks{viewStep, nullptr};
    long drawn = 0;
    while (!quitRequested) {
        const DisplayMessage m = PeekDisplayMessage(ws);
        if (m == DisplayMessage::Quit) quitRequested = 1;
        if (m != DisplayMessage::None) continue;
        if (keyDown[kVkEscape]) break;
        if (windowActive) session.draw();
        if (capture.active()) capture.captureFrame();
        SwapDisplayBuffers();
        bool ended = false;
        runUpdateStep(timing, tickCount, kViewUpdateRate, hooks, ended);
        if (r.frames > 0 && ++drawn >= r.frames) quitRequested = 1;
        advanceFixedTick();
    }
    gSession = nullptr;
}

}  // namespace

ViewSession::ViewSession() : scene_(new Scene3D), blur_(new MotionBlur) {}
ViewSession::~ViewSession() = default;

bool ViewSession::open(const ViewOptions& options, int width, int height) {
    Scene3D& s = *scene_;
    s.SetTexturePath(options.texDir, options.packed);
    if (!s.Load(options.file) && s.objects.empty()) return false;
    UploadSceneTextures(s);
    s.SetAtmosphere(kViewGlowRadius, kViewSpotExponent, kViewSpotCutoff, kViewFogStart, kViewFogEnd,
                    kViewFogDensity, kViewFogGrey, kViewFogGrey, kViewFogGrey);
    for (SceneLight& l : s.lights) {
        l.definedByScript = 1;
        l.lightOn = 1;
    }
    s.SetViewport(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
    glViewport(0, 0, width, height);
    // The picture as drawn: image quad (one, zero), then a dark quad (zero, one) that changes nothing.
    blur_->create(MotionBlur::kTargetSize, MotionBlur::kTargetSize, 0, 0, width, height, 0, 0, 2);
    blur_->setBlend(1, 0, 0, 1);
    blur_->beginCapture();
    s.PrepareGL();
    s.SetActiveCamera(options.camera);
    blur_->endCapture();
    return true;
}

void ViewSession::update() {
    scene_->Update();
}

void ViewSession::draw() {
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    blur_->beginCapture();
    scene_->Render();
    blur_->capture();
    blur_->endCapture();
    blur_->drawComposed();
}

int runView(int argc, char** argv) {
    ViewRun r;
    if (!parseView(argc, argv, r)) return 2;
    setMessageBoxesInteractive(!r.batch);
    if (r.fixedFps > 0.0) setFixedTickStep(1000.0 / r.fixedFps);
    if (!initDisplaySystem(r.batch)) {
        messageBox("Failed To Register The Window Class.", "ERROR", MsgBoxKind::Error);
        return 1;
    }
    uint8_t mode = r.windowed ? 0 : 1;
    if (!CreateDisplayWindow("kgl view", kViewWidth, kViewHeight, 32, mode)) {
        quitDisplaySystem();
        return 1;
    }
    FrameCapture capture;
    if (r.captureDir && !capture.open(r.captureDir, kViewWidth, kViewHeight))
        std::fprintf(stderr, "CAPTURE: [%s] capture is off\n", r.captureDir);
    int status = 1;
    {
        ViewSession session;
        if (session.open(r.view, kViewWidth, kViewHeight)) {
            viewLoop(session, r, capture);
            status = 0;
        }
    }
    DestroyDisplayWindow();
    quitDisplaySystem();
    return status;
}

}  // namespace kgl
