// "kgl view FILE.k3d": plays one scene file through one of its cameras, for authors checking a
// conversion and for our own tests. Frames go through the show's off-screen target and plain
// composition. ViewSession is the part that needs only a current GL context
// (the tests drive it on a headless context); runView adds the window and the frame loop.
#pragma once

#include <memory>

#include "app/kgl_cmdline.h"

namespace kgl {

class Scene3D;
class MotionBlur;

constexpr int kViewUpdateRate = 30;  // scene updates per second

class ViewSession {
public:
    ViewSession();
    virtual ~ViewSession();

    // Loads the scene, uploads its textures, applies the default atmosphere with every light on
    // and prepares GL for a width x height view: the scene's state lives in the off-screen
    // context, the composition draws into the window. False when the file could not be loaded.
    bool open(const ViewOptions& options, int width, int height);
    void update();
    void draw();
    Scene3D& scene() { return *scene_; }
    MotionBlur& blur() { return *blur_; }

private:
    std::unique_ptr<Scene3D> scene_;
    std::unique_ptr<MotionBlur> blur_;
};

// Opens the window, plays the scene until the loop ends. Returns the process exit status.
int runView(const ViewOptions& options);

}  // namespace kgl
