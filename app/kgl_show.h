// The entry routine of the show: dialog, window, loading screen, engine set-up, music and event
// track, the frame loop and the shut-down, in that order. Called once by main().
#pragma once

#include "app/kgl_cmdline.h"

namespace kgl {

// Window title at creation.
constexpr const char* kWindowTitle = "KGL KORVO Realtime OpenGL 3D/2D Engine =";

// Plays the show; returns the process exit status (0 also when the dialog is cancelled, 1 when
// the display cannot be opened, 2 when the data folder is missing).
int runShow(const ShowOptions& options);

}  // namespace kgl
