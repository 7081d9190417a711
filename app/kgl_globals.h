// The process-wide values the entry routine, the window procedure and the frame loop share, and
// the two global objects (the loading picture, then the engine), built on first use by the show
// and kept until the process ends.
// Single-threaded: nothing here is locked.
#pragma once

#include <cstdint>

#include "platform/kgl_dialog.h"
#include "platform/kgl_display.h"

namespace kgl {

class K2DImage;
class DemoEngine;

constexpr int kResolutionCount = 6;

struct ResolutionSize {
    int32_t width;
    int32_t height;
};
// Resolution index of the dialog to display size. Index 1 is labelled "640x400" and opens 640 x 480.
constexpr ResolutionSize kResolutions[kResolutionCount] = {
    {800, 600}, {640, 480}, {320, 200}, {1024, 768}, {512, 384}, {400, 300},
};

extern uint8_t keyDown[kVirtualKeyCount];
extern uint8_t keyPressed[kVirtualKeyCount];  // pressed since the last loop turn (held or not)
extern uint8_t windowActive;
extern int32_t quitRequested;
// Left-button drag and wheel steps since the viewer last took them (see WindowState).
extern int32_t mouseDragX, mouseDragY, mouseWheel;
// The start-up choices: fullscreenMode, showLoop, lowChips (read by nothing; the dialog offers
// it), detailMaps, resolutionIndex and colorBits, with their start values. Preset by the command
// line, edited by the dialog, read when the window opens and the show is built.
extern DialogChoices startChoices;
extern int32_t screenWidth;
extern int32_t screenHeight;

K2DImage& loadingImage();
DemoEngine& engine();
// Destroys the engine and builds a fresh one in its place (author mode: the show built again);
// references to engine() stay valid.
void renewEngine();

}  // namespace kgl
