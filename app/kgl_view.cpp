// The scene viewer command (see kgl_view.h): a loaded scene with a default atmosphere and every
// light on, updated 30 times a second and drawn every loop turn until Escape, the window closing
// or the --frames limit.
#include "app/kgl_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "app/kgl_frame_loop.h"
#include "app/kgl_globals.h"
#include "fx/kgl_motion_blur.h"
#include "image/kgl_texture.h"
#include "platform/kgl_display.h"
#include "platform/kgl_hud.h"
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

// Framing camera: the bounding sphere fills a 45 degree view from in front, right and above.
constexpr float kFrameFov = 45.0f;
constexpr float kFrameDistance = 2.8f;  // eye distance in bounding radii
constexpr float kFrameDirection[3] = {0.35f, 0.4f, 0.85f};
constexpr float kDefaultRadius = 50.0f;  // a scene without vertices
constexpr float kNearFraction = 0.02f;   // near plane as a share of the framing distance

// Input, per update step (30 a second): arrow keys, drag pixels, wheel steps, +/- keys.
constexpr float kKeyOrbitDegrees = 3.0f;
constexpr float kDragDegreesPerPixel = 0.4f;
constexpr float kWheelZoom = 0.9f;
constexpr float kKeyZoom = 0.97f;
constexpr int kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40;
constexpr int kVkC = 'C', kVkPlus = 187, kVkMinus = 189, kVkPadPlus = 107, kVkPadMinus = 109;
constexpr float kRadiansPerDegree = 3.14159265f / 180.0f;

// The scene as the frame loop's client: drawn every loop turn with the HUD over it, updated 30
// times a second after the keys and mouse have been applied.
class ViewClient : public FrameClient {
public:
    explicit ViewClient(ViewSession& session) : session_(session) {}
    void draw(int64_t) override { session_.draw(); }
    void overlay() override {
        char text[160];
        session_.hudText(text, sizeof text);
        drawHud(text);
    }
    bool update() override {
        takeInput();
        session_.update();
        return false;
    }
    int32_t updateRate() const override { return kViewUpdateRate; }
    bool rateInTitle() const override { return false; }

private:
    bool pressed(int vk) {  // down now and not at the previous step
        const bool now = keyDown[vk] != 0;
        const bool was = wasDown_[vk];
        wasDown_[vk] = now;
        return now && !was;
    }
    void takeInput() {
        const float yaw =
            (keyDown[kVkRight] ? kKeyOrbitDegrees : 0.0f) - (keyDown[kVkLeft] ? kKeyOrbitDegrees : 0.0f);
        const float pitch =
            (keyDown[kVkUp] ? kKeyOrbitDegrees : 0.0f) - (keyDown[kVkDown] ? kKeyOrbitDegrees : 0.0f);
        session_.orbit(yaw - mouseDragX * kDragDegreesPerPixel, pitch + mouseDragY * kDragDegreesPerPixel);
        float z = std::pow(kWheelZoom, static_cast<float>(mouseWheel));
        if (keyDown[kVkPlus] || keyDown[kVkPadPlus]) z *= kKeyZoom;
        if (keyDown[kVkMinus] || keyDown[kVkPadMinus]) z /= kKeyZoom;
        session_.zoom(z);
        mouseDragX = mouseDragY = mouseWheel = 0;
        if (pressed(kVkC)) session_.nextCamera();
        if (pressed(kVkSpace)) session_.togglePause();
    }

    ViewSession& session_;
    bool wasDown_[kVirtualKeyCount] = {};
};

}  // namespace

ViewSession::ViewSession() : scene_(new Scene3D), blur_(new MotionBlur) {}
ViewSession::~ViewSession() = default;

bool ViewSession::open(const ViewOptions& options, int width, int height) {
    Scene3D& s = *scene_;
    s.SetTexturePath(options.texDir, options.packed);
    if (!s.Load(options.file) && s.objects.empty()) return false;
    UploadSceneTextures(s, false);
    for (const SceneObject& o : s.objects) faces_ += o.faceCount;
    if (s.cameras.empty()) addFramingCamera();
    if (s.lights.empty()) addHeadLight();
    s.SetAtmosphere(kViewGlowRadius, kViewSpotExponent, kViewSpotCutoff, kViewFogStart, kViewFogEnd,
                    kViewFogDensity, kViewFogGrey, kViewFogGrey, kViewFogGrey);
    for (SceneLight& l : s.lights) {
        l.definedByScript = 1;
        l.lightOn = 1;
        l.glowVisible = 0;  // the glow sprites are show files
        l.flare = 0;
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

void ViewSession::addFramingCamera() {
    Scene3D& s = *scene_;
    float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (const SceneObject& o : s.objects) {
        for (const Vec3& p : o.absolutePositions) {
            const float v[3] = {p.x, p.y, p.z};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], v[k]);
                hi[k] = std::max(hi[k], v[k]);
            }
        }
    }
    float centre[3] = {0, 0, 0}, radius = kDefaultRadius;
    if (lo[0] <= hi[0]) {
        float d2 = 0.0f;
        for (int k = 0; k < 3; ++k) {
            centre[k] = 0.5f * (lo[k] + hi[k]);
            d2 += (hi[k] - lo[k]) * (hi[k] - lo[k]);
        }
        if (d2 > 0.0f) radius = 0.5f * std::sqrt(d2);
    }
    const float n =
        std::sqrt(kFrameDirection[0] * kFrameDirection[0] + kFrameDirection[1] * kFrameDirection[1] +
                  kFrameDirection[2] * kFrameDirection[2]);
    const float distance = kFrameDistance * radius;
    SceneCamera c;
    c.name = "view";
    c.fov = kFrameFov;
    c.target = Vec3{centre[0], centre[1], centre[2]};
    c.eye = Vec3{centre[0] + distance * kFrameDirection[0] / n, centre[1] + distance * kFrameDirection[1] / n,
                 centre[2] + distance * kFrameDirection[2] / n};
    s.cameras.push_back(c);
    s.cameraCount = 1;
    s.SetNearPlane(std::min(kDefaultNearPlane, kNearFraction * distance));
}

// An omni light that follows the eye (moved in update).
void ViewSession::addHeadLight() {
    Scene3D& s = *scene_;
    SceneLight l;
    l.index = 0;
    l.glLight = GL_LIGHT0;
    l.ambient = ColorRGBA{0.25f, 0.25f, 0.25f, 1.0f};
    l.diffuse = ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f};
    l.specular = ColorRGBA{0.3f, 0.3f, 0.3f, 1.0f};
    s.lights.push_back(l);
    s.lightCount = 1;
    headLight_ = true;
}

void ViewSession::update() {
    Scene3D& s = *scene_;
    if (s.cameras.empty()) return;
    SceneCamera& before = s.cameras[s.activeCamera];
    if (hasBaseEye_) before.eye = Vec3{baseEye_[0], baseEye_[1], baseEye_[2]};  // undo the orbit
    if (!paused_) s.Update();
    SceneCamera& c = s.cameras[s.activeCamera];
    baseEye_[0] = c.eye.x;
    baseEye_[1] = c.eye.y;
    baseEye_[2] = c.eye.z;
    hasBaseEye_ = true;
    applyOrbit();
}

// The eye at the orbit's angles and distance about the camera's target.
void ViewSession::applyOrbit() {
    Scene3D& s = *scene_;
    SceneCamera& c = s.cameras[s.activeCamera];
    const float off[3] = {baseEye_[0] - c.target.x, baseEye_[1] - c.target.y, baseEye_[2] - c.target.z};
    const float r = std::sqrt(off[0] * off[0] + off[1] * off[1] + off[2] * off[2]);
    if (r > 0.0f) {
        const float limit = 89.0f * kRadiansPerDegree;
        const float az = std::atan2(off[0], off[2]) + yaw_ * kRadiansPerDegree;
        const float el = std::clamp(
            std::asin(std::clamp(off[1] / r, -1.0f, 1.0f)) + pitch_ * kRadiansPerDegree, -limit, limit);
        const float d = r * zoom_;
        c.eye = Vec3{c.target.x + d * std::cos(el) * std::sin(az), c.target.y + d * std::sin(el),
                     c.target.z + d * std::cos(el) * std::cos(az)};
    }
    if (headLight_ && !s.lights.empty()) s.lights[0].position = Vec4{c.eye.x, c.eye.y, c.eye.z, 1.0f};
}

void ViewSession::orbit(float yawDegrees, float pitchDegrees) {
    yaw_ = std::fmod(yaw_ + yawDegrees, 360.0f);
    pitch_ = std::clamp(pitch_ + pitchDegrees, -178.0f, 178.0f);
}

void ViewSession::zoom(float factor) {
    if (factor > 0.0f) zoom_ = std::clamp(zoom_ * factor, 0.05f, 20.0f);
}

void ViewSession::nextCamera() {
    Scene3D& s = *scene_;
    if (s.cameras.empty()) return;
    if (hasBaseEye_) s.cameras[s.activeCamera].eye = Vec3{baseEye_[0], baseEye_[1], baseEye_[2]};
    hasBaseEye_ = false;
    s.SetActiveCamera((s.activeCamera + 1) % static_cast<int>(s.cameras.size()));
    yaw_ = pitch_ = 0.0f;
    zoom_ = 1.0f;
}

void ViewSession::hudText(char* out, size_t size) const {
    const Scene3D& s = *scene_;
    const char* camera = s.cameras.empty() ? "" : s.cameras[s.activeCamera].name.c_str();
    std::snprintf(out, size, "objects %zu  faces %d  materials %zu  frame %d%s\ncamera %d/%zu %s",
                  s.objects.size(), faces_, s.materials.size(), static_cast<int>(s.currentFrame),
                  paused_ ? " (paused)" : "", s.activeCamera + 1, s.cameras.size(), camera);
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
    startHud(kViewWidth, kViewHeight);
    ViewClient client(session);
    loop.run(client);
    stopHud();
    return 0;
}

}  // namespace kgl
