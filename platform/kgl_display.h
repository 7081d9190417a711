// The display window with its GL compatibility context (stands in for the Win32 window, the
// display-mode change and WGL). One window per process, owned by this module from
// CreateDisplayWindow until DestroyDisplayWindow. The window procedure writes the frame loop's
// key table and active flag, which live in app/ and are handed in through WindowState.
#pragma once

#include <cstdint>

namespace kgl {

constexpr int kVirtualKeyCount = 256;  // keyDown is indexed by Win32 virtual-key code
constexpr int kVkEscape = 27;
constexpr int kVkReturn = 13;
constexpr int kVkSpace = 32;

// The frame loop's values the window procedure writes.
struct WindowState {
    uint8_t* keyDown = nullptr;  // kVirtualKeyCount bytes
    // Optional, kVirtualKeyCount bytes: set on every press and left set after the release, so a
    // tap that is over before the frame loop looks still counts; the loop clears it each turn.
    uint8_t* keyPressed = nullptr;
    uint8_t* windowActive = nullptr;
    // Mouse movement with the left button held and wheel steps, added up until the reader takes
    // them (kgl view); null: not collected.
    int32_t* dragX = nullptr;
    int32_t* dragY = nullptr;
    int32_t* wheel = nullptr;
};

// A window message, already translated from the system's event.
enum class WindowEventKind {
    Other,
    KeyDown,
    KeyUp,
    Minimized,
    Restored,
    Activated,
    Close,
    ScreenSaver,
    Drag,
    Wheel
};

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::Other;
    int virtualKey = 0;  // KeyDown / KeyUp only; 0 when the key has no virtual-key code
    int dx = 0, dy = 0;  // Drag: pixels moved; Wheel: dy steps (positive away from the user)
};

// The window procedure. Returns true when it posted the quit message (on Close).
bool windowProcedure(const WindowEvent& event, WindowState& state);

// Win32 virtual-key code of an SDL key code, 0 for keys without one.
int virtualKeyForSdlKey(int32_t sdlKeycode);

// Starts the video system. With allowOffscreen, a machine with no display falls back to the
// offscreen driver (said once on stderr). Without it, no display (or only the offscreen driver
// that nobody asked for by SDL_VIDEODRIVER) is one line on stderr and false, and displayMissing()
// is true. False when no video driver could start.
bool initDisplaySystem(bool allowOffscreen);
bool displayMissing();
bool displayIsOffscreen();
// Shuts the video system down at process end (after DestroyDisplayWindow).
void quitDisplaySystem();

// Vsync for the window created next (on by default).
void setDisplayVsync(bool on);
// Full screen for the window created next keeps the desktop's mode: the window covers the
// desktop, the program draws into a framebuffer of the asked size, and every swap scales it onto
// the desktop at its aspect with black bars. No mode change, no fallback question.
void setDisplayDesktopFullscreen(bool on);

// Opens the window: a real display-mode change when fullscreenMode is 1, with the fallback
// question when the display refuses the mode. fullscreenMode is updated to the mode in use.
// On failure the reason has been shown and everything made is torn down.
bool CreateDisplayWindow(const char* title, int width, int height, int bits, uint8_t& fullscreenMode);
void DestroyDisplayWindow();

void SwapDisplayBuffers();
void SetDisplayTitle(const char* title);

// Result of one message poll of the frame loop (PeekMessage).
enum class DisplayMessage { None, Quit, Dispatched };

// Takes at most one pending message; dispatches it to the window procedure.
DisplayMessage PeekDisplayMessage(WindowState& state);

}  // namespace kgl
