// The scene viewer command (see kgl_view.h): a loaded scene with a default atmosphere and every
// light on, updated 30 times a second and drawn every loop turn until Escape, the window closing
// or the --frames limit.
#include "app/kgl_view.h"

#include <GL/gl.h>

#include "app/kgl_frame_loop.h"
#include "fx/kgl_motion_blur.h"
#include "image/kgl_texture.h"
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

// The scene as the frame loop's client: drawn every loop turn, updated 30 times a second.
class ViewClient : public FrameClient {
public:
    explicit ViewClient(ViewSession& session) : session_(session) {}
    void draw(int64_t) override { session_.draw(); }
    bool update() override {
        session_.update();
        return false;
    }
    int32_t updateRate() const override { return kViewUpdateRate; }
    bool rateInTitle() const override { return false; }

private:
    ViewSession& session_;
};

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

int runView(const ViewOptions& options) {
    FrameLoop loop(options.run);
    if (!loop.start()) return 1;
    uint8_t mode = options.run.fullscreen > 0 ? 1 : 0;  // a viewer opens a window by default
    if (!loop.openWindow("kgl view", kViewWidth, kViewHeight, 32, mode)) return 1;
    ViewSession session;
    if (!session.open(options, kViewWidth, kViewHeight)) return 1;
    ViewClient client(session);
    loop.run(client);
    return 0;
}

}  // namespace kgl
