// The start-up dialog: resolution and option choices before the window opens. The control list
// and the dialog procedure are plain data and functions (testable without a window); the modal
// run draws them with Dear ImGui in a small borderless window of its own.
#pragma once

#include <cstdint>

namespace kgl {

// Control ids of the dialog template.
constexpr int kIdGo = 1;
constexpr int kIdQuit = 2;
constexpr int kIdRes800 = 1002;
constexpr int kIdRes640 = 1003;
constexpr int kIdRes320 = 1004;
constexpr int kIdWindowed = 1006;
constexpr int kIdAbout = 1007;
constexpr int kIdLowChips = 1008;
constexpr int kIdRes1024 = 1009;
constexpr int kIdRes512 = 1010;
constexpr int kIdRes400 = 1011;
constexpr int kIdBits24 = 1012;
constexpr int kIdBits16 = 1013;
constexpr int kIdDetailMaps = 1014;
constexpr int kIdShowLoop = 1015;
constexpr int kIdBits32 = 1016;
constexpr int kIdStatic = -1;

// Dialog size in dialog units.
constexpr int kDialogWidthDlu = 234;
constexpr int kDialogHeightDlu = 79;
// Its size on screen: 1.5 x 1.625 pixels per unit (the 8-point dialog font at 96 dpi).
constexpr int kDialogWidthPx = kDialogWidthDlu * 3 / 2;     // 351
constexpr int kDialogHeightPx = kDialogHeightDlu * 13 / 8;  // 128

enum class ControlKind { DefaultButton, Button, CheckBox, Radio, GroupBox, Picture };

struct DialogControl {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    bool shown;               // hidden controls are also disabled
};

constexpr int kDialogControlCount = 19;
extern const DialogControl kDialogControls[kDialogControlCount];

// The start-up choices the dialog edits, with their start values (the frame loop's flags).
struct DialogChoices {
    uint8_t fullscreenMode = 1;
    uint8_t showLoop = 0;
    uint8_t lowChips = 0;
    uint8_t detailMaps = 1;
    int32_t resolutionIndex = 0;
    int32_t colorBits = 32;
};

struct DialogState {
    DialogChoices choices;
    bool checked[kDialogControlCount] = {};
    int endResult = -1;  // EndDialog value; -1 while the dialog is open
};

enum class DialogMessage { InitDialog, Command };

// The dialog procedure. Returns non-zero for a handled command, 0 otherwise (and for InitDialog).
int dialogProcedure(DialogState& state, DialogMessage message, int commandId);

// A mouse click or key press on a control: auto check boxes toggle and auto radio buttons take the
// group's check (as the system's buttons do) before the command reaches the dialog procedure.
void clickDialogControl(DialogState& state, int id);

bool dialogChecked(const DialogState& state, int id);
void setDialogCheck(DialogState& state, int id, bool on);

// Called after each drawn dialog frame with the dialog's GL context current (for screenshots).
struct DialogFrameHook {
    void (*afterDraw)(void* context, int width, int height) = nullptr;
    void* context = nullptr;
};

// Runs the dialog modally: 1 for "GO !" (or Enter), 0 for "Quit" (or Escape, or closing it).
// Under the offscreen driver there is nobody to ask: the preset choices are taken at once.
// -1 when the dialog window cannot be opened (said on stderr).
int RunStartupDialog(DialogChoices& choices, const DialogFrameHook& hook);

// The dialog's picture: artwork generated in code, RGBA, kDialogArtWidth x kDialogArtHeight.
constexpr int kDialogArtWidth = 96;
constexpr int kDialogArtHeight = 105;
void makeDialogArtwork(uint8_t* rgba);

}  // namespace kgl
