// Text boxes over the window's picture (Dear ImGui): the show's HUD and kgl view's counts. Lives
// on the current window's GL context between startHud and stopHud; not interactive (the window's
// events go to the frame loop). startHud makes the font and sizes every buffer for the longest
// texts, so drawing allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kgl {

constexpr size_t kHudTextSize = 1024;  // the longest text a box shows, with its terminator
constexpr int kHudBoxCount = 2;        // boxes drawn at once

enum class HudCorner : uint8_t { TopLeft, BottomRight };

struct HudBox {
    const char* text = nullptr;  // lines separated by '\n'; nullptr or "": no box
    HudCorner corner = HudCorner::TopLeft;
};

// `width` x `height`: the picture's size in pixels. The font grows by whole steps with the height
// (13 pixels up to 1079 rows, 26 from 1080), so the text reads the same at 640x480 and at
// 1920x1080. False (nothing drawn later) when there is no current window and context.
bool startHud(int width, int height);
// Draws up to kHudBoxCount boxes over the picture: call after the picture, before the buffer
// swap. Leaves the GL state as it found it.
void drawHudBoxes(const HudBox* boxes, int count);
// One box at the top left.
void drawHud(const char* text);
void stopHud();

// Heap calls made by the HUD's Dear ImGui since the process started (for the allocation check).
int64_t hudAllocations();
// The text scale in use: 1, or 2 from 1080 rows on.
int hudScale();

}  // namespace kgl
