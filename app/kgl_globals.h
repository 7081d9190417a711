// The process-wide values the entry routine, the window procedure and the frame loop share, and
// the two global objects (the loading picture, then the engine) that live for the whole process.
// Single-threaded: nothing here is locked.
#pragma once

#include <cstdint>

#include "platform/kgl_display.h"

namespace kgl {

class K2DImage;
class DemoEngine;

constexpr int kResolutionCount = 6;
constexpr int kMaxPathLength = 1024;

struct ResolutionSize {
    int32_t width;
    int32_t height;
};
// Resolution index of the dialog to display size. Index 1 is labelled "640x400" and opens 640 x 480.
constexpr ResolutionSize kResolutions[kResolutionCount] = {
    {800, 600}, {640, 480}, {320, 200}, {1024, 768}, {512, 384}, {400, 300},
};

extern uint8_t keyDown[kVirtualKeyCount];
extern uint8_t windowActive;
extern int32_t quitRequested;
extern uint8_t fullscreenMode;
extern uint8_t showLoop;
extern uint8_t lowChips;  // read by nothing; kept because the dialog offers it
extern uint8_t detailMaps;
extern int32_t resolutionIndex;
extern int32_t screenWidth;
extern int32_t screenHeight;
extern int32_t colorBits;

// --trace FILE: where the engine writes one line per performed action ("" when off).
extern char traceFilePath[kMaxPathLength];

K2DImage& loadingImage();
DemoEngine& engine();

}  // namespace kgl
