// Storage of the process-wide values and the global objects. The loading image is defined before
// the engine in this one file, so it is constructed first and destroyed last.
#include "app/kgl_globals.h"

#include "engine/kgl_demoengine.h"
#include "image/kgl_k2d.h"

namespace kgl {

uint8_t keyDown[kVirtualKeyCount] = {};
uint8_t windowActive = 1;
int32_t quitRequested = 0;
int32_t mouseDragX = 0, mouseDragY = 0, mouseWheel = 0;
DialogChoices startChoices;
int32_t screenWidth = 800;
int32_t screenHeight = 600;

namespace {
K2DImage gLoadingImage;
DemoEngine gEngine;
}  // namespace

K2DImage& loadingImage() {
    return gLoadingImage;
}
DemoEngine& engine() {
    return gEngine;
}

}  // namespace kgl
