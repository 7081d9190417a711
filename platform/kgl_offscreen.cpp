#include "platform/kgl_offscreen.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include "common/kgl_log.h"
#include "platform/kgl_glext.h"

namespace kgl {
namespace {

// Framebuffer entry points, from GL_ARB_framebuffer_object or its EXT predecessor (same enums).
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    bool complete() const {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers &&
               deleteRenderbuffers && bindRenderbuffer && renderbufferStorage && framebufferRenderbuffer &&
               checkFramebufferStatus;
    }
};

template <typename Fn>
void fetch(Fn& fn, const char* base, const char* suffix) {
    char name[64];
    SDL_snprintf(name, sizeof name, "%s%s", base, suffix);
    fn = reinterpret_cast<Fn>(glProcAddress(name));
}

// Needs a current context: the extension decides, never a non-null entry point.
bool loadFramebufferApi(FramebufferApi& api) {
    const char* suffix = nullptr;
    if (hasGLExtension("GL_ARB_framebuffer_object")) {
        suffix = "";
    } else if (hasGLExtension("GL_EXT_framebuffer_object") && hasGLExtension("GL_EXT_packed_depth_stencil")) {
        suffix = "EXT";
    } else {
        return false;
    }
    fetch(api.genFramebuffers, "glGenFramebuffers", suffix);
    fetch(api.deleteFramebuffers, "glDeleteFramebuffers", suffix);
    fetch(api.bindFramebuffer, "glBindFramebuffer", suffix);
    fetch(api.genRenderbuffers, "glGenRenderbuffers", suffix);
    fetch(api.deleteRenderbuffers, "glDeleteRenderbuffers", suffix);
    fetch(api.bindRenderbuffer, "glBindRenderbuffer", suffix);
    fetch(api.renderbufferStorage, "glRenderbufferStorage", suffix);
    fetch(api.framebufferRenderbuffer, "glFramebufferRenderbuffer", suffix);
    fetch(api.checkFramebufferStatus, "glCheckFramebufferStatus", suffix);
    return api.complete();
}

FramebufferApi gFramebuffer;  // filled once per target creation; same entry points for every context

}  // namespace

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
    if (!loadFramebufferApi(gFramebuffer)) {
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
    const FramebufferApi& fb = gFramebuffer;
    fb.genFramebuffers(1, &framebuffer_);
    fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    fb.genRenderbuffers(1, &colourBuffer_);
    fb.bindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    fb.genRenderbuffers(1, &depthStencilBuffer_);
    fb.bindRenderbuffer(GL_RENDERBUFFER, depthStencilBuffer_);
    fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kSize, kSize);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthStencilBuffer_);
    fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencilBuffer_);
    fb.bindRenderbuffer(GL_RENDERBUFFER, 0);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    // The context was first made current on the window, which sized its viewport to the window.
    glViewport(0, 0, kSize, kSize);
    return fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void OffscreenTarget::destroy() {
    if (!context_) return;
    auto* window = static_cast<SDL_Window*>(window_);
    SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context_));
    if (gFramebuffer.complete()) {
        gFramebuffer.bindFramebuffer(GL_FRAMEBUFFER, 0);
        if (framebuffer_) gFramebuffer.deleteFramebuffers(1, &framebuffer_);
        if (colourBuffer_) gFramebuffer.deleteRenderbuffers(1, &colourBuffer_);
        if (depthStencilBuffer_) gFramebuffer.deleteRenderbuffers(1, &depthStencilBuffer_);
    }
    framebuffer_ = colourBuffer_ = depthStencilBuffer_ = 0;
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
