// A few lines of text over the window's picture (Dear ImGui), for kgl view's counts. Lives on the
// current window's GL context between startHud and stopHud; not interactive (the window's events
// go to the frame loop).
#pragma once

namespace kgl {

// False (nothing drawn later) when there is no current window and context.
bool startHud();
// Draws `text` in a small box at the top left; call after the picture, before the buffer swap.
void drawHud(const char* text);
void stopHud();

}  // namespace kgl
