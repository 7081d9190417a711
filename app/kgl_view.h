// "kgl view FILE.k3d": plays one scene file through one of its cameras, for authors checking a
// conversion and for our own tests. A scene without cameras gets one that frames its bounding
// box, a scene without lights a head light; the view orbits and zooms around the camera's target.
// No show files are read. Frames go through the show's off-screen target and plain
// composition. ViewSession is the part that needs only a current GL context
// (the tests drive it on a headless context); runView adds the window and the frame loop.
#pragma once

#include <cstdint>
#include <memory>

#include "app/kgl_cmdline.h"
#include "platform/kgl_display.h"

namespace kgl {

class Scene3D;
class MotionBlur;

constexpr int kViewUpdateRate = 30;  // scene updates per second

// One update step's input, as the window procedure collected it: the key table (Win32
// virtual-key codes) and the left-button drag and wheel steps since the previous step.
struct ViewInput {
    const uint8_t* keyDown = nullptr;  // kVirtualKeyCount entries
    int dragX = 0, dragY = 0;
    int wheel = 0;
};

class ViewSession {
public:
    ViewSession();
    virtual ~ViewSession();

    // Loads the scene, uploads its textures, applies the default atmosphere with every light on
    // and prepares GL for a width x height view: the scene's state lives in the off-screen
    // context, the composition draws into the window. False when the file could not be loaded.
    bool open(const ViewOptions& options, int width, int height);
    // One step: the scene's animation (unless paused), then the orbit applied to the active camera.
    void update();
    void draw();
    // The keys and mouse of one step: arrows and drag orbit, wheel and +/- zoom, C (on its press)
    // cycles the cameras, Space (on its press) pauses.
    void applyInput(const ViewInput& input);
    // Turns the view about the target (degrees; pitch stays within +-89) and scales the distance.
    void orbit(float yawDegrees, float pitchDegrees);
    void zoom(float factor);
    void nextCamera();
    void togglePause() { paused_ = !paused_; }
    bool paused() const { return paused_; }
    // "objects N  faces N  materials N  frame N" and the camera, for the HUD.
    void hudText(char* out, size_t size) const;
    Scene3D& scene() { return *scene_; }
    MotionBlur& blur() { return *blur_; }

private:
    void addFramingCamera();
    void addHeadLight();
    void applyOrbit();

    std::unique_ptr<Scene3D> scene_;
    std::unique_ptr<MotionBlur> blur_;
    bool paused_ = false;
    bool headLight_ = false;
    bool hasBaseEye_ = false;
    float baseEye_[3] = {0, 0, 0};  // the active camera's eye before the orbit
    float yaw_ = 0.0f, pitch_ = 0.0f, zoom_ = 1.0f;
    int faces_ = 0;
    bool wasDown_[kVirtualKeyCount] = {};  // the key table at the previous step, for presses
};

// Opens the window, plays the scene until the loop ends. Returns the process exit status.
int runView(const ViewOptions& options);

}  // namespace kgl
