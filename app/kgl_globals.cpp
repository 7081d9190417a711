// Storage of the process-wide values and the global objects.
#include "app/kgl_globals.h"

#include <new>

#include "engine/kgl_demoengine.h"
#include "image/kgl_k2d.h"

namespace kgl {

uint8_t keyDown[kVirtualKeyCount] = {};
uint8_t keyPressed[kVirtualKeyCount] = {};
uint8_t windowActive = 1;
int32_t quitRequested = 0;
int32_t mouseDragX = 0, mouseDragY = 0, mouseWheel = 0;
DialogChoices startChoices;
int32_t screenWidth = 800;
int32_t screenHeight = 600;

// Built on first use, so the sub-commands (convert, info, view) never pay for the engine's fixed
// arrays. The show asks for the loading image before the engine, so the engine is destroyed first.
K2DImage& loadingImage() {
    static K2DImage image;
    return image;
}
DemoEngine& engine() {
    static DemoEngine demoEngine;
    return demoEngine;
}
void renewEngine() {
    DemoEngine& e = engine();
    e.~DemoEngine();
    new (&e) DemoEngine();
}

}  // namespace kgl
