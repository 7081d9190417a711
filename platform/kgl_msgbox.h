// Message boxes with the system's own texts and captions. Every box is also written to stderr as
// "CAPTION: text". A box is modal only when there is a display and the run is interactive.
#pragma once

namespace kgl {

enum class MsgBoxKind { Info, Error, YesNo };

// Chooses whether boxes may be shown modally (off under --batch and the offscreen driver).
void setMessageBoxesInteractive(bool interactive);
bool messageBoxesInteractive();

// Shows a box. For YesNo returns true for "Yes" (a non-interactive run answers "Yes").
// For the other kinds the return value is true.
bool messageBox(const char* text, const char* caption, MsgBoxKind kind);

// The modal box on the display (SDL's, else one drawn with ImGui; "Yes" under the offscreen
// driver). startPlatform installs it; until then every box is its stderr line only.
bool modalMessageBox(const char* text, const char* caption, MsgBoxKind kind);
using ModalMessageBox = bool (*)(const char* text, const char* caption, MsgBoxKind kind);
void setModalMessageBox(ModalMessageBox box);

}  // namespace kgl
