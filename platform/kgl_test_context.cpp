#include "platform/kgl_test_context.h"

#include <SDL.h>

#include <cstdio>

#include "common/kgl_log.h"
#include "platform/kgl_glext.h"

namespace kgl {

HeadlessGL::~HeadlessGL() {
    destroy();
}

bool HeadlessGL::create(int width, int height) {
    setGLEntryPoints(SDL_GL_GetProcAddress, [] { return SDL_GL_GetCurrentContext() != nullptr; });
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        logLine("DISPLAY", "headless", "SDL video init failed: %s", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* w = SDL_CreateWindow("kgl", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w) {
        logLine("DISPLAY", "headless", "window failed: %s", SDL_GetError());
        return false;
    }
    SDL_GLContext c = SDL_GL_CreateContext(w);
    if (!c) {
        logLine("DISPLAY", "headless", "GL context failed: %s", SDL_GetError());
        SDL_DestroyWindow(w);
        return false;
    }
    window_ = w;
    context_ = c;
    width_ = width;
    height_ = height;
    SDL_GL_MakeCurrent(w, c);
    return true;
}

void HeadlessGL::destroy() {
    if (context_) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
    context_ = nullptr;
    window_ = nullptr;
}

void HeadlessGL::swap() {
    if (window_) SDL_GL_SwapWindow(static_cast<SDL_Window*>(window_));
}

void HeadlessGL::makeCurrent() {
    if (window_) SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), static_cast<SDL_GLContext>(context_));
}

}  // namespace kgl
