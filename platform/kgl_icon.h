// The window icon of the show and the start-up dialog: our own artwork (a ringed planet on a night
// sky, like the dialog's picture), drawn in code so no image file has to travel with the program.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace kgl {

constexpr int kWindowIconSize = 32;  // pixels per side

// Fills kWindowIconSize x kWindowIconSize RGBA pixels, top row first; the corners are transparent.
void makeWindowIcon(uint8_t* rgba);

// Sets the icon on a window of ours (the display window and the dialog).
void applyWindowIcon(SDL_Window* window);

}  // namespace kgl
