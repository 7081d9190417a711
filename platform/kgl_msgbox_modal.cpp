// The modal message box on the display (see setModalMessageBox in kgl_msgbox.h).
#include <SDL.h>

#include <cstring>

#include "platform/kgl_imgui_box.h"
#include "platform/kgl_msgbox.h"

namespace kgl {

bool modalMessageBox(const char* text, const char* caption, MsgBoxKind kind) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "offscreen") == 0) return true;

    SDL_MessageBoxData box{};
    box.title = caption;
    box.message = text;
    if (kind == MsgBoxKind::YesNo) {
        static const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        };
        box.flags = SDL_MESSAGEBOX_WARNING;
        box.numbuttons = 2;
        box.buttons = buttons;
    } else {
        static const SDL_MessageBoxButtonData ok[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"},
        };
        box.flags = kind == MsgBoxKind::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        box.numbuttons = 1;
        box.buttons = ok;
    }
    int pressed = 1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        // The system box could not be shown (SDL's X11 box needs a helper program that is often
        // missing): draw one ourselves; with no display at all, the default answer.
        return imguiMessageBox(text, caption, kind, true);
    }
    return pressed == 1;
}

}  // namespace kgl
