// How the platform layer runs for one process, handed over in one struct by the command that
// opens a window, before anything of the display exists.
#pragma once

namespace kgl {

struct PlatformOptions {
    bool batch = false;              // no modal boxes; with no display, fall back to the offscreen driver
    bool vsync = true;               // wait for the vertical blank on the swaps of the window made next
    bool desktopFullscreen = false;  // full screen keeps the desktop's mode (black bars)
    double fixedStepMs = 0.0;        // 0: real time; else every advanceFixedTick() adds this many ms
};

// Applies the options and starts the video system. False when no video driver could start.
bool startPlatform(const PlatformOptions& options);

// Shuts the video system down (after DestroyDisplayWindow).
void stopPlatform();

}  // namespace kgl
