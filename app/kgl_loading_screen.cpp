#include "app/kgl_loading_screen.h"

#include "image/kgl_k2d.h"

namespace kgl {

void drawLoadingScreen(K2DImage&, int, int) {}

}  // namespace kgl
