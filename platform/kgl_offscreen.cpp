#include "platform/kgl_offscreen.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include "common/kgl_log.h"

namespace kgl {

void currentGLHandles(void*& window, void*& context) {
    window = SDL_GL_GetCurrentWindow();
    context = SDL_GL_GetCurrentContext();
}

OffscreenTarget::~OffscreenTarget() {
    destroy();
}

bool OffscreenTarget::create(void* window, void* windowContext) {
    destroy();
    window_ = window;
    windowContext_ = windowContext;
    if (!window_ || !windowContext_) {
        reportDirectOnce("no window context");
        return false;
    }
    if (!framebufferApi()) {
        reportDirectOnce("framebuffer objects are not available");
        return false;
    }
    if (!buildContext()) return false;
    if (!buildFramebuffer()) {
        destroy();
        reportDirectOnce("the 512 x 512 framebuffer is incomplete");
        return false;
    }
    makeWindowCurrent();
    return true;
}

bool OffscreenTarget::buildContext() {
    auto* window = static_cast<SDL_Window*>(window_);
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(windowContext_));
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    SDL_GLContext context = SDL_GL_CreateContext(window);  // makes itself current on success
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (!context) {
        SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(windowContext_));
        reportDirectOnce(SDL_GetError());
        return false;
    }
    context_ = context;
    SDL_GL_MakeCurrent(window, context);
    return true;
}

// Runs with the off-screen context current; the framebuffer stays bound there for its life.
bool OffscreenTarget::buildFramebuffer() {
    if (!framebuffer_.create(kSize, kSize)) return false;
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    // The context was first made current on the window, which sized its viewport to the window.
    glViewport(0, 0, kSize, kSize);
    return true;
}

void OffscreenTarget::destroy() {
    if (!context_) return;
    auto* window = static_cast<SDL_Window*>(window_);
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context_));
    framebuffer_.destroy();
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(windowContext_));
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    context_ = nullptr;
}

void OffscreenTarget::makeCurrent() {
    if (!context_) return;
    glFlush();
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), static_cast<SDL_GLContext>(context_));
}

void OffscreenTarget::makeWindowCurrent() {
    if (!window_ || !windowContext_) return;
    glFlush();
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), static_cast<SDL_GLContext>(windowContext_));
}

void OffscreenTarget::reportDirectOnce(const char* why) {
    if (reported_) return;
    reported_ = true;
    logLine("OFFSCREEN", "target", "%s; drawing straight into the window without the composition",
            why ? why : "unavailable");
}

}  // namespace kgl
