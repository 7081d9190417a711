// The loading screen drawn once at start-up, before the show is built.
#pragma once

namespace kgl {

class K2DImage;

// Draws the black quad and the loading picture "escena/load.k2d" with the window's context
// current. The caller swaps buffers afterwards.
void drawLoadingScreen(K2DImage& image, int screenWidth, int screenHeight);

}  // namespace kgl
