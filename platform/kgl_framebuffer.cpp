#include "platform/kgl_framebuffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstdio>

#include "platform/kgl_glext.h"

namespace kgl {

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
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;  // ARB only

    bool complete() const {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers &&
               deleteRenderbuffers && bindRenderbuffer && renderbufferStorage && framebufferRenderbuffer &&
               checkFramebufferStatus;
    }
};

namespace {

template <typename Fn>
void fetch(Fn& fn, const char* base, const char* suffix) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%s", base, suffix);
    fn = reinterpret_cast<Fn>(glProcAddress(name));
}

bool loadFramebufferApi(FramebufferApi& api) {
    const char* suffix = nullptr;
    if (hasGLExtension("GL_ARB_framebuffer_object")) {
        suffix = "";
        fetch(api.blitFramebuffer, "glBlitFramebuffer", suffix);
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

FramebufferApi gApi;  // the same entry points serve every context of the process

}  // namespace

const FramebufferApi* framebufferApi() {
    if (!gApi.complete()) {
        gApi = FramebufferApi();
        if (!loadFramebufferApi(gApi)) return nullptr;
    }
    return &gApi;
}

bool Framebuffer::create(int width, int height) {
    destroy();
    const FramebufferApi* api = framebufferApi();
    if (!api) return false;
    width_ = width;
    height_ = height;
    api->genFramebuffers(1, &framebuffer_);
    api->bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    api->genRenderbuffers(2, buffers_);
    api->bindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
    api->renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    api->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers_[0]);
    api->bindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
    api->renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    api->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);
    api->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);
    api->bindRenderbuffer(GL_RENDERBUFFER, 0);
    if (api->checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
    destroy();
    return false;
}

void Framebuffer::destroy() {
    if (!framebuffer_) return;
    const FramebufferApi* api = framebufferApi();
    if (api) {
        api->bindFramebuffer(GL_FRAMEBUFFER, 0);
        api->deleteFramebuffers(1, &framebuffer_);
        api->deleteRenderbuffers(2, buffers_);
    }
    framebuffer_ = 0;
    buffers_[0] = buffers_[1] = 0;
}

void Framebuffer::bind() const {
    if (framebuffer_) gApi.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

bool Framebuffer::canPresent() const {
    return framebuffer_ && gApi.blitFramebuffer;
}

void Framebuffer::presentScaled(int windowWidth, int windowHeight) const {
    if (!canPresent()) return;
    const LetterboxRect r = letterboxRect(width_, height_, windowWidth, windowHeight);
    gApi.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    gApi.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gApi.blitFramebuffer(0, 0, width_, height_, r.x, r.y, r.x + r.width, r.y + r.height, GL_COLOR_BUFFER_BIT,
                         GL_LINEAR);
    glPopAttrib();
    gApi.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

LetterboxRect letterboxRect(int width, int height, int windowWidth, int windowHeight) {
    LetterboxRect r;
    if (width <= 0 || height <= 0 || windowWidth <= 0 || windowHeight <= 0) return r;
    // Compare the aspects in whole numbers: the side that limits the scale fills the window.
    const int64_t wide = static_cast<int64_t>(windowWidth) * height;
    const int64_t tall = static_cast<int64_t>(windowHeight) * width;
    if (wide >= tall) {  // bars left and right
        r.height = windowHeight;
        r.width = static_cast<int>(static_cast<int64_t>(width) * windowHeight / height);
    } else {  // bars above and below
        r.width = windowWidth;
        r.height = static_cast<int>(static_cast<int64_t>(height) * windowWidth / width);
    }
    r.x = (windowWidth - r.width) / 2;
    r.y = (windowHeight - r.height) / 2;
    return r;
}

}  // namespace kgl
