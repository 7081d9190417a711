// "kgl view FILE.k3d": plays one scene file through one of its cameras, for authors checking a
// conversion and for our own tests. ViewSession is the part that needs only a current GL context
// (the tests drive it on a headless context); runView adds the window, the loop and the options.
#pragma once

#include <memory>
#include <string>

namespace kgl {

class Scene3D;

constexpr int kViewUpdateRate = 30;  // scene updates per second

struct ViewOptions {
    std::string file;
    std::string texDir;
    bool packed = false;
    int camera = 0;
};

class ViewSession {
public:
    ViewSession();
    virtual ~ViewSession();

    // Loads the scene, uploads its textures, applies the default atmosphere with every light on
    // and prepares GL for a width x height view. False when the file could not be loaded.
    bool open(const ViewOptions& options, int width, int height);
    void update();
    void draw();
    Scene3D& scene() { return *scene_; }

private:
    std::unique_ptr<Scene3D> scene_;
};

// argv holds the words after "view". Returns the process exit status.
int runView(int argc, char** argv);

}  // namespace kgl
