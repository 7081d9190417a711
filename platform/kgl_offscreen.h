// The off-screen render target (stands in for the WGL pbuffer): a second GL context that shares
// textures with the window's context, made current on the same window, with a 512 x 512
// framebuffer object (RGBA8, depth 24 + stencil 8) bound in it for its whole life. Owned by the
// MotionBlur; GL state set while it is current stays with it. Where it cannot be built the frame
// is drawn straight into the window (direct mode) and the composition is skipped.
#pragma once

#include "platform/kgl_framebuffer.h"

namespace kgl {

class OffscreenTarget {
public:
    static constexpr int kSize = 512;

    OffscreenTarget() = default;
    virtual ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // window: SDL_Window*, windowContext: its SDL_GLContext, which must be current. Builds the
    // second context and its framebuffer; returns false (direct mode, said once on stderr) when
    // framebuffer objects or a second context are unavailable. Leaves the window context current.
    bool create(void* window, void* windowContext);
    // Releases the framebuffer and the context; the window context is current afterwards.
    void destroy();

    // glFlush, then make the off-screen context current (a no-op in direct mode).
    void makeCurrent();
    // glFlush, then make the window's context current again.
    void makeWindowCurrent();

    // True while the off-screen framebuffer exists; false means draw straight into the window.
    bool ready() const { return context_ != nullptr; }
    int width() const { return kSize; }
    int height() const { return kSize; }

private:
    bool buildContext();
    bool buildFramebuffer();
    void reportDirectOnce(const char* why);

    void* window_ = nullptr;         // SDL_Window*
    void* windowContext_ = nullptr;  // SDL_GLContext of the window
    void* context_ = nullptr;        // SDL_GLContext of the target
    Framebuffer framebuffer_;        // lives in context_
    bool reported_ = false;
};

// The window and context current on this thread (SDL_Window*, SDL_GLContext); null when none.
void currentGLHandles(void*& window, void*& context);

}  // namespace kgl
