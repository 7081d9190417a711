// A hidden window with a GL 2.1 compatibility context, for GL tests and tools that draw without
// showing anything. Under SDL_VIDEODRIVER=offscreen this is a real Mesa context with no X server.
#pragma once

namespace kgl {

class HeadlessGL {
public:
    HeadlessGL() = default;
    virtual ~HeadlessGL();
    HeadlessGL(const HeadlessGL&) = delete;
    HeadlessGL& operator=(const HeadlessGL&) = delete;

    // Creates the window and context and makes it current. False (with a stderr line) on failure.
    bool create(int width, int height);
    void destroy();
    void swap();
    void makeCurrent();
    bool ok() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Opaque handles for code that takes a window and its context (SDL_Window*, SDL_GLContext).
    void* sdlWindow() const { return window_; }
    void* sdlContext() const { return context_; }

private:
    void* window_ = nullptr;   // SDL_Window*
    void* context_ = nullptr;  // SDL_GLContext
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kgl
