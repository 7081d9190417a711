#include "platform/kgl_display.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/kgl_log.h"
#include "platform/kgl_framebuffer.h"
#include "platform/kgl_glext.h"
#include "platform/kgl_icon.h"
#include "platform/kgl_msgbox.h"

namespace kgl {

namespace {

SDL_Window* gWindow = nullptr;
SDL_GLContext gContext = nullptr;
bool gVsync = true;
bool gModeChanged = false;
bool gDesktopFullscreen = false;

// The picture's framebuffer of a desktop full-screen window, bound in the window's context for
// its whole life, so the drawing code sees a window of the asked size.
Framebuffer gLetterbox;

const char* const kErrorCaption = "ERROR";
const char* const kMsgRegisterClass = "Failed To Register The Window Class.";
const char* const kMsgWindowCreation = "Window Creation Error.";
const char* const kMsgCreateContext = "Can't Create A GL Rendering Context.";
const char* const kMsgActivateContext = "Can't Activate The GL Rendering Context.";
const char* const kMsgFullscreenQuestion =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
const char* const kFullscreenCaption = "Rulo GL";
const char* const kMsgWillClose = "Program Will Now Close.";

struct KeyMapping {
    int32_t sdl;
    uint8_t vk;
};

// Keys other than letters and digits, by their Win32 virtual-key codes.
constexpr KeyMapping kKeyTable[] = {
    {SDLK_ESCAPE, 27},     {SDLK_RETURN, 13},       {SDLK_KP_ENTER, 13}, {SDLK_SPACE, 32},
    {SDLK_BACKSPACE, 8},   {SDLK_TAB, 9},           {SDLK_LSHIFT, 16},   {SDLK_RSHIFT, 16},
    {SDLK_LCTRL, 17},      {SDLK_RCTRL, 17},        {SDLK_LALT, 18},     {SDLK_RALT, 18},
    {SDLK_PAUSE, 19},      {SDLK_PAGEUP, 33},       {SDLK_PAGEDOWN, 34}, {SDLK_END, 35},
    {SDLK_HOME, 36},       {SDLK_LEFT, 37},         {SDLK_UP, 38},       {SDLK_RIGHT, 39},
    {SDLK_DOWN, 40},       {SDLK_INSERT, 45},       {SDLK_DELETE, 46},   {SDLK_KP_0, 96},
    {SDLK_KP_1, 97},       {SDLK_KP_2, 98},         {SDLK_KP_3, 99},     {SDLK_KP_4, 100},
    {SDLK_KP_5, 101},      {SDLK_KP_6, 102},        {SDLK_KP_7, 103},    {SDLK_KP_8, 104},
    {SDLK_KP_9, 105},      {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107}, {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111},   {SDLK_F1, 112},      {SDLK_F2, 113},
    {SDLK_F3, 114},        {SDLK_F4, 115},          {SDLK_F5, 116},      {SDLK_F6, 117},
    {SDLK_F7, 118},        {SDLK_F8, 119},          {SDLK_F9, 120},      {SDLK_F10, 121},
    {SDLK_F11, 122},       {SDLK_F12, 123},         {SDLK_PLUS, 187},    {SDLK_EQUALS, 187},
    {SDLK_MINUS, 189},
};

void showError(const char* text) {
    messageBox(text, kErrorCaption, MsgBoxKind::Error);
}

WindowEvent translateWindowEvent(const SDL_WindowEvent& w) {
    WindowEvent out;
    switch (w.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            out.kind = WindowEventKind::Minimized;
            break;
        case SDL_WINDOWEVENT_RESTORED:
            out.kind = WindowEventKind::Restored;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out.kind = WindowEventKind::Activated;
            break;
        case SDL_WINDOWEVENT_CLOSE:
            out.kind = WindowEventKind::Close;
            break;
        default:
            break;
    }
    return out;
}

WindowEvent translateEvent(const SDL_Event& e) {
    WindowEvent out;
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            out.kind = e.type == SDL_KEYDOWN ? WindowEventKind::KeyDown : WindowEventKind::KeyUp;
            out.virtualKey = virtualKeyForSdlKey(e.key.keysym.sym);
            break;
        case SDL_WINDOWEVENT:
            out = translateWindowEvent(e.window);
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.state & SDL_BUTTON_LMASK) {
                out.kind = WindowEventKind::Drag;
                out.dx = e.motion.xrel;
                out.dy = e.motion.yrel;
            }
            break;
        case SDL_MOUSEWHEEL:
            out.kind = WindowEventKind::Wheel;
            out.dy = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            break;
        default:
            break;
    }
    return out;
}

// A display mode of exactly width x height that the display lists (a real mode change, no
// scaling). Prefers the requested depth when the display lists several.
bool findFullscreenMode(int width, int height, int bits, SDL_DisplayMode& mode) {
    bool found = false;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) != 0 || m.w != width || m.h != height) continue;
        const int depth = static_cast<int>(SDL_BITSPERPIXEL(m.format));
        if (!found || depth == bits || (bits == 32 && depth == 24)) mode = m;
        found = true;
    }
    return found;
}

// Switches the window to the full-screen mode; false when the display refuses.
bool enterFullscreen(int width, int height, int bits) {
    SDL_DisplayMode mode{};
    if (!findFullscreenMode(width, height, bits, mode)) return false;
    if (SDL_SetWindowDisplayMode(gWindow, &mode) != 0) return false;
    if (SDL_SetWindowFullscreen(gWindow, SDL_WINDOW_FULLSCREEN) != 0) return false;
    gModeChanged = true;
    return true;
}

// The picture onto the whole desktop at its aspect: black bars, then the scaled picture.
void presentLetterbox() {
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(gWindow, &w, &h);
    gLetterbox.presentScaled(w, h);
    SDL_GL_SwapWindow(gWindow);
}

// After the context exists: the window covers the desktop in its own mode.
bool enterDesktopFullscreen(int width, int height) {
    // The window covers the desktop by itself too: without a window manager the full-screen
    // request alone leaves it at its size while SDL reports the desktop's.
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        SDL_SetWindowBordered(gWindow, SDL_FALSE);
        SDL_SetWindowPosition(gWindow, 0, 0);
        SDL_SetWindowSize(gWindow, desktop.w, desktop.h);
    }
    if (SDL_SetWindowFullscreen(gWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0 &&
        gLetterbox.create(width, height) && gLetterbox.canPresent())
        return true;
    gLetterbox.destroy();
    SDL_SetWindowFullscreen(gWindow, 0);
    logLine("DISPLAY", "desktop", "full screen in the desktop's mode is not available; using a window");
    return false;
}

bool askWindowedFallback() {
    if (messageBox(kMsgFullscreenQuestion, kFullscreenCaption, MsgBoxKind::YesNo)) return true;
    showError(kMsgWillClose);
    return false;
}

// A 32-bit window asks for 8 bits of destination alpha: the composition's blend selectors include
// GL_DST_ALPHA and GL_ONE_MINUS_DST_ALPHA, which expect the cleared alpha (0) to be stored. Without
// alpha bits the destination alpha reads as 1 and some scene switches compose a black picture.
// Displays that offer no alpha visual get a window without it (see CreateDisplayWindow).
void setPixelFormatAttributes(int bits, bool withAlpha) {
    const int channel = bits == 16 ? 5 : 8;
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, withAlpha && bits == 32 ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

bool createContext() {
    gContext = SDL_GL_CreateContext(gWindow);
    if (!gContext) {
        DestroyDisplayWindow();
        showError(kMsgCreateContext);
        return false;
    }
    if (SDL_GL_MakeCurrent(gWindow, gContext) != 0) {
        DestroyDisplayWindow();
        showError(kMsgActivateContext);
        return false;
    }
    SDL_GL_SetSwapInterval(gVsync ? 1 : 0);
    return true;
}

}  // namespace

bool windowProcedure(const WindowEvent& event, WindowState& state) {
    switch (event.kind) {
        case WindowEventKind::Minimized:
            *state.windowActive = 0;
            break;
        case WindowEventKind::Restored:
        case WindowEventKind::Activated:
            *state.windowActive = 1;
            break;
        case WindowEventKind::KeyDown:
            if (event.virtualKey > 0 && event.virtualKey < kVirtualKeyCount) {
                state.keyDown[event.virtualKey] = 1;
                if (state.keyPressed) state.keyPressed[event.virtualKey] = 1;
            }
            break;
        case WindowEventKind::KeyUp:
            if (event.virtualKey > 0 && event.virtualKey < kVirtualKeyCount)
                state.keyDown[event.virtualKey] = 0;
            break;
        case WindowEventKind::Drag:
            if (state.dragX && state.dragY) {
                *state.dragX += event.dx;
                *state.dragY += event.dy;
            }
            break;
        case WindowEventKind::Wheel:
            if (state.wheel) *state.wheel += event.dy;
            break;
        case WindowEventKind::Close:
            return true;
        case WindowEventKind::ScreenSaver:  // swallowed: no screen saver while the show runs
        case WindowEventKind::Other:
            break;
    }
    return false;
}

int virtualKeyForSdlKey(int32_t sdlKeycode) {
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return 'A' + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return '0' + (sdlKeycode - SDLK_0);
    for (const KeyMapping& k : kKeyTable) {
        if (k.sdl == sdlKeycode) return k.vk;
    }
    return 0;
}

namespace {

bool gDisplayMissing = false;

// The user (or a test) asked for the offscreen driver by name.
bool offscreenRequested() {
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return driver && std::strstr(driver, "offscreen") != nullptr;
}

// One line instead of a run nobody sees: SDL falls back to its offscreen driver by itself when
// no real display opens.
bool reportNoDisplay(const char* reason) {
    const char* display = SDL_getenv("DISPLAY");
    std::fprintf(stderr,
                 "kgl: no display to show on (%s%s%s); run it on a desktop, or pass --batch to play "
                 "without one\n",
                 reason, display ? ", DISPLAY=" : "", display ? display : "");
    gDisplayMissing = true;
    return false;
}

// Without XDG_RUNTIME_DIR (and no absolute WAYLAND_DISPLAY) no Wayland compositor can be
// reached, yet SDL tries one when X11 fails and libwayland prints its own error line: the display
// drivers are then tried in SDL's order without Wayland. A driver the user names is left alone.
void skipUnreachableWayland() {
    if (SDL_GetHint(SDL_HINT_VIDEODRIVER) || SDL_getenv("XDG_RUNTIME_DIR")) return;
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (wayland && wayland[0] == '/') return;
    char list[256] = {};
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const char* name = SDL_GetVideoDriver(i);
        // The offscreen and dummy drivers stay out too: they are no display (see below).
        if (!name || std::strcmp(name, "wayland") == 0 || std::strcmp(name, "offscreen") == 0 ||
            std::strcmp(name, "dummy") == 0)
            continue;
        if (list[0]) SDL_strlcat(list, ",", sizeof list);
        SDL_strlcat(list, name, sizeof list);
    }
    if (list[0]) SDL_SetHint(SDL_HINT_VIDEODRIVER, list);
}

}  // namespace

bool initDisplaySystem(bool allowOffscreen) {
    setGLEntryPoints(SDL_GL_GetProcAddress, [] { return SDL_GL_GetCurrentContext() != nullptr; });
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    gDisplayMissing = false;
    skipUnreachableWayland();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        if (allowOffscreen || !displayIsOffscreen() || offscreenRequested()) return true;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return reportNoDisplay("only the offscreen driver started");
    }
    if (!allowOffscreen) return reportNoDisplay(SDL_GetError());
    logLine("DISPLAY", "video", "no display (%s); using the offscreen driver", SDL_GetError());
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool displayMissing() {
    return gDisplayMissing;
}

bool displayIsOffscreen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") == 0;
}

void quitDisplaySystem() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void setDisplayVsync(bool on) {
    gVsync = on;
}

void setDisplayDesktopFullscreen(bool on) {
    gDesktopFullscreen = on;
}

bool CreateDisplayWindow(const char* title, int width, int height, int bits, uint8_t& fullscreenMode) {
    if (!initDisplaySystem(false)) {
        showError(kMsgRegisterClass);
        return false;
    }
    setPixelFormatAttributes(bits, true);
    gWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!gWindow) {
        setPixelFormatAttributes(bits, false);
        gWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    }
    if (!gWindow) {
        DestroyDisplayWindow();
        showError(kMsgWindowCreation);
        return false;
    }
    applyWindowIcon(gWindow);
    const bool desktop = fullscreenMode && gDesktopFullscreen;
    if (fullscreenMode && !desktop && !enterFullscreen(width, height, bits)) {
        if (!askWindowedFallback()) {
            DestroyDisplayWindow();
            return false;
        }
        fullscreenMode = 0;
    }
    SDL_ShowCursor(SDL_DISABLE);
    if (!createContext()) return false;
    SDL_DisableScreenSaver();
    SDL_ShowWindow(gWindow);
    // Once the window is mapped: a hidden window's full-screen request only takes effect when a
    // window manager maps it, so without one the window kept its size while SDL reported the
    // desktop's, and the picture landed off centre.
    if (desktop && !enterDesktopFullscreen(width, height)) fullscreenMode = 0;
    SDL_RaiseWindow(gWindow);
    return true;
}

void DestroyDisplayWindow() {
    if (gWindow && gModeChanged) SDL_SetWindowFullscreen(gWindow, 0);  // back to the desktop mode
    gModeChanged = false;
    if (gContext && gLetterbox.ready()) {
        SDL_GL_MakeCurrent(gWindow, gContext);  // the framebuffer belongs to the window's context
        gLetterbox.destroy();
    }
    SDL_ShowCursor(SDL_ENABLE);
    if (gWindow) SDL_GL_MakeCurrent(gWindow, nullptr);
    if (gContext) SDL_GL_DeleteContext(gContext);
    if (gWindow) SDL_DestroyWindow(gWindow);
    gContext = nullptr;
    gWindow = nullptr;
    SDL_EnableScreenSaver();
}

void SwapDisplayBuffers() {
    if (gWindow && gLetterbox.ready()) {
        presentLetterbox();
        return;
    }
    if (gWindow) SDL_GL_SwapWindow(gWindow);
}

void SetDisplayTitle(const char* title) {
    if (gWindow) SDL_SetWindowTitle(gWindow, title);
}

DisplayMessage PeekDisplayMessage(WindowState& state) {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return DisplayMessage::None;
    if (e.type == SDL_QUIT) return DisplayMessage::Quit;
    if (windowProcedure(translateEvent(e), state)) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;  // PostQuitMessage: the loop reads it on a later turn
        SDL_PushEvent(&quit);
    }
    return DisplayMessage::Dispatched;
}

}  // namespace kgl
