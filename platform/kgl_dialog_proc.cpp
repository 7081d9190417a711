// The start-up dialog's template and procedure: check marks, flag toggles and the end result.
// No window here; kgl_dialog.cpp draws the same state.
#include <cstdio>

#include "platform/kgl_dialog.h"
#include "platform/kgl_msgbox.h"

namespace kgl {

const DialogControl kDialogControls[kDialogControlCount] = {
    {kIdGo, ControlKind::DefaultButton, "GO !", 189, 9, 38, 14, true},
    {kIdWindowed, ControlKind::CheckBox, "In a Window", 81, 47, 52, 10, true},
    {kIdShowLoop, ControlKind::CheckBox, "Show Loop", 81, 60, 46, 9, true},
    {kIdDetailMaps, ControlKind::CheckBox, "Detail Maps", 136, 47, 61, 10, true},
    {kIdLowChips, ControlKind::CheckBox, "Low Chips", 136, 59, 51, 10, true},
    {kIdQuit, ControlKind::Button, "Quit", 189, 26, 38, 14, true},
    {kIdAbout, ControlKind::Button, "About", 189, 43, 38, 13, true},
    {kIdRes1024, ControlKind::Radio, "1024x768", 85, 16, 48, 13, true},
    {kIdBits32, ControlKind::Radio, "32 bits", 7, 6, 36, 11, false},
    {kIdBits24, ControlKind::Radio, "24 bits", 7, 19, 35, 12, false},
    {kIdBits16, ControlKind::Radio, "16 bits", 7, 34, 34, 9, false},
    {kIdRes800, ControlKind::Radio, "800x600", 85, 30, 43, 10, true},
    {kIdRes640, ControlKind::Radio, "640x400", 138, 16, 43, 10, true},
    {kIdRes512, ControlKind::Radio, "512x384", 138, 14, 43, 14, false},
    {kIdRes400, ControlKind::Radio, "400x300", 138, 27, 43, 13, true},
    {kIdRes320, ControlKind::Radio, "320x200", 14, 35, 43, 10, false},
    {kIdStatic, ControlKind::GroupBox, "Select Resolution", 80, 6, 105, 38, true},
    {kIdStatic, ControlKind::GroupBox, "Color Depth", 7, 6, 63, 54, false},
    {kIdStatic, ControlKind::Picture, "", 7, 6, 88, 67, true},
};

namespace {

// Resolution index (0..5) to its radio button.
constexpr int kResolutionButtons[] = {kIdRes800, kIdRes640, kIdRes320, kIdRes1024, kIdRes512, kIdRes400};
constexpr int kResolutionButtonCount =
    static_cast<int>(sizeof(kResolutionButtons) / sizeof(kResolutionButtons[0]));

const char* const kAboutCaption = "About KGL";
const char* const kAboutText =
    "KGL KORVO Realtime OpenGL 3D/2D Engine\n"
    "version " KGL_VERSION
    " for SDL2 and OpenGL\n\n"
    "Engine, importer and effects: the kgl developers.\n"
    "Dialog drawn with Dear ImGui; music decoded by mpg123.";

int controlIndex(int id) {
    if (id == kIdStatic) return -1;
    for (int i = 0; i < kDialogControlCount; ++i) {
        if (kDialogControls[i].id == id) return i;
    }
    return -1;
}

int depthButton(int32_t colorBits) {
    if (colorBits == 16) return kIdBits16;
    if (colorBits == 24) return kIdBits24;
    return kIdBits32;
}

// BM_SETCHECK on the depth button matching colorBits; leaves the rest of the group alone.
void recheckDepth(DialogState& s) {
    setDialogCheck(s, depthButton(s.choices.colorBits), true);
}

void initDialog(DialogState& s) {
    // The check marks show the flags as they are (the command line may have preset them), so a
    // box is never checked while its option is off.
    for (bool& c : s.checked) c = false;
    const DialogChoices& c = s.choices;
    setDialogCheck(s, kIdWindowed, c.fullscreenMode == 0);
    setDialogCheck(s, kIdShowLoop, c.showLoop != 0);
    setDialogCheck(s, kIdLowChips, c.lowChips != 0);
    setDialogCheck(s, kIdDetailMaps, c.detailMaps != 0);
    if (c.resolutionIndex >= 0 && c.resolutionIndex < kResolutionButtonCount) {
        setDialogCheck(s, kResolutionButtons[c.resolutionIndex], true);
    }
    recheckDepth(s);
    s.endResult = -1;
}

void chooseResolution(DialogState& s, int id, int index, bool checkButton) {
    recheckDepth(s);
    if (checkButton) setDialogCheck(s, id, true);
    s.choices.resolutionIndex = index;
}

void toggle(uint8_t& flag) {
    flag = flag ? 0 : 1;
}

// What each control does when it is clicked: one row a control, applied by runCommand.
enum class CommandEffect { End, Resolution, Depth, Toggle, About };

struct CommandRow {
    int id;
    CommandEffect effect;
    int value;                     // End: the dialog's result; Resolution: index; Depth: bits
    bool check;                    // Resolution: the procedure checks the button itself
    uint8_t DialogChoices::*flag;  // Toggle: the choice it flips
};

// clang-format off
constexpr CommandRow kCommandRows[] = {
    {kIdGo,         CommandEffect::End,        1,  false, nullptr},
    {kIdQuit,       CommandEffect::End,        0,  false, nullptr},
    {kIdRes800,     CommandEffect::Resolution, 0,  true,  nullptr},
    {kIdRes640,     CommandEffect::Resolution, 1,  true,  nullptr},
    {kIdRes320,     CommandEffect::Resolution, 2,  true,  nullptr},
    {kIdRes1024,    CommandEffect::Resolution, 3,  false, nullptr},
    {kIdRes512,     CommandEffect::Resolution, 4,  false, nullptr},
    {kIdRes400,     CommandEffect::Resolution, 5,  false, nullptr},
    {kIdBits32,     CommandEffect::Depth,      32, false, nullptr},
    {kIdBits24,     CommandEffect::Depth,      24, false, nullptr},
    {kIdBits16,     CommandEffect::Depth,      16, false, nullptr},
    {kIdWindowed,   CommandEffect::Toggle,     0,  false, &DialogChoices::fullscreenMode},
    {kIdShowLoop,   CommandEffect::Toggle,     0,  false, &DialogChoices::showLoop},
    {kIdDetailMaps, CommandEffect::Toggle,     0,  false, &DialogChoices::detailMaps},
    {kIdLowChips,   CommandEffect::Toggle,     0,  false, &DialogChoices::lowChips},
    {kIdAbout,      CommandEffect::About,      0,  false, nullptr},
};
// clang-format on

void runCommand(DialogState& s, const CommandRow& row) {
    switch (row.effect) {
        case CommandEffect::End:
            s.endResult = row.value;
            break;
        case CommandEffect::Resolution:
            chooseResolution(s, row.id, row.value, row.check);
            break;
        case CommandEffect::Depth:
            s.choices.colorBits = row.value;
            break;
        case CommandEffect::Toggle:
            toggle(s.choices.*row.flag);
            break;
        case CommandEffect::About:
            messageBox(kAboutText, kAboutCaption, MsgBoxKind::Info);
            break;
    }
}

}  // namespace

bool dialogChecked(const DialogState& state, int id) {
    const int i = controlIndex(id);
    return i >= 0 && state.checked[i];
}

void setDialogCheck(DialogState& state, int id, bool on) {
    const int i = controlIndex(id);
    if (i >= 0) state.checked[i] = on;
}

int dialogProcedure(DialogState& s, DialogMessage message, int id) {
    if (message == DialogMessage::InitDialog) {
        initDialog(s);
        return 0;
    }
    for (const CommandRow& row : kCommandRows) {
        if (row.id == id) {
            runCommand(s, row);
            return 1;
        }
    }
    return 0;
}

void clickDialogControl(DialogState& s, int id) {
    const int i = controlIndex(id);
    if (i < 0) return;
    const DialogControl& c = kDialogControls[i];
    if (!c.shown) return;  // hidden controls are disabled too
    if (c.kind == ControlKind::CheckBox) s.checked[i] = !s.checked[i];
    if (c.kind == ControlKind::Radio) {
        for (int k = 0; k < kDialogControlCount; ++k) {
            if (kDialogControls[k].kind == ControlKind::Radio) s.checked[k] = false;  // one group
        }
        s.checked[i] = true;
    }
    dialogProcedure(s, DialogMessage::Command, id);
}

void makeDialogArtwork(uint8_t* rgba) {
    // A night sky over a grid floor with a ringed planet: drawn from a few formulas.
    for (int y = 0; y < kDialogArtHeight; ++y) {
        for (int x = 0; x < kDialogArtWidth; ++x) {
            const float fx = (x - 48.0f) / 48.0f;
            const float fy = (y - 40.0f) / 48.0f;
            float r = 10 + y * 0.6f, g = 8 + y * 0.3f, b = 40 + y * 1.2f;
            const float d2 = fx * fx + fy * fy;
            if (d2 < 0.16f) {  // the planet, lit from the top left
                const float light = 1.0f - (fx + fy + 0.8f) * 0.6f;
                r = 220 * light;
                g = 120 * light;
                b = 60 * light;
            }
            const float ring = fx * fx + (fy * 3.5f) * (fy * 3.5f);
            if (ring > 0.42f && ring < 0.55f && (fy > 0.0f || d2 >= 0.16f)) {
                r = 250;
                g = 220;
                b = 150;
            }
            if (y > 75) {  // the floor grid, lines converging on the horizon
                const float depth = 1.0f / ((y - 74) * 0.05f);
                const bool line = static_cast<int>(depth * 4.0f) % 4 == 0 ||
                                  static_cast<int>((x - 48) * (y - 74) * 0.02f + 100) % 3 == 0;
                if (line) {
                    r = 0;
                    g = 200;
                    b = 220;
                }
            }
            if ((x * 7 + y * 13) % 97 == 0 && y < 70 && d2 >= 0.2f) {
                r = g = b = 255;
            }  // stars
            uint8_t* p = rgba + (y * kDialogArtWidth + x) * 4;
            p[0] = static_cast<uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
            p[1] = static_cast<uint8_t>(g < 0 ? 0 : g > 255 ? 255 : g);
            p[2] = static_cast<uint8_t>(b < 0 ? 0 : b > 255 ? 255 : b);
            p[3] = 255;
        }
    }
}

}  // namespace kgl
