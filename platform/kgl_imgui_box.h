// A message box drawn with Dear ImGui in a window of its own: the fallback when the system's
// message box cannot be shown (SDL's X11 box needs a helper that many desktops lack). Modal:
// returns once a button, Enter or Escape has answered it; restores the GL and ImGui contexts
// that were current before.
#pragma once

#include "platform/kgl_msgbox.h"

namespace kgl {

// Returns true for "Yes"/"OK", false for "No"; -1-like failures (no window) return `fallback`.
bool imguiMessageBox(const char* text, const char* caption, MsgBoxKind kind, bool fallback);

}  // namespace kgl
