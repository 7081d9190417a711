// The part of the message boxes that every command has: the stderr line and the choice of
// modality. The modal box itself needs the display (kgl_msgbox_modal.cpp), which startPlatform
// installs, so the commands that open no window link no SDL.
#include "platform/kgl_msgbox.h"

#include <cstdio>

namespace kgl {

namespace {
bool gInteractive = false;
ModalMessageBox gModal = nullptr;
}  // namespace

void setMessageBoxesInteractive(bool interactive) {
    gInteractive = interactive;
}
bool messageBoxesInteractive() {
    return gInteractive;
}

void setModalMessageBox(ModalMessageBox box) {
    gModal = box;
}

bool messageBox(const char* text, const char* caption, MsgBoxKind kind) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (!gInteractive || !gModal) return true;
    return gModal(text, caption, kind);
}

}  // namespace kgl
