// The start-up dialog procedure: initial check marks, every command's effect on the choices and
// the check marks, and the radio group with its depth button re-check.
#include <gtest/gtest.h>

#include "platform/kgl_dialog.h"
#include "platform/kgl_icon.h"

namespace {

using namespace kgl;

DialogState openDialog(const DialogChoices& c = DialogChoices{}) {
    DialogState s;
    s.choices = c;
    EXPECT_EQ(dialogProcedure(s, DialogMessage::InitDialog, 0), 0);
    return s;
}

TEST(DialogProc, InitialChecksShowTheFlagsAsTheyAre) {
    DialogState s = openDialog();
    EXPECT_FALSE(dialogChecked(s, kIdWindowed));  // full screen by default
    EXPECT_FALSE(dialogChecked(s, kIdLowChips));
    EXPECT_FALSE(dialogChecked(s, kIdShowLoop));
    EXPECT_TRUE(dialogChecked(s, kIdDetailMaps));
    EXPECT_TRUE(dialogChecked(s, kIdRes800));
    EXPECT_TRUE(dialogChecked(s, kIdBits32));
    EXPECT_EQ(s.endResult, -1);

    DialogChoices preset;  // as the command line leaves them
    preset.fullscreenMode = 0;
    preset.showLoop = 1;
    preset.detailMaps = 0;
    preset.resolutionIndex = 5;
    DialogState p = openDialog(preset);
    EXPECT_TRUE(dialogChecked(p, kIdWindowed));
    EXPECT_TRUE(dialogChecked(p, kIdShowLoop));
    EXPECT_FALSE(dialogChecked(p, kIdDetailMaps));
    EXPECT_TRUE(dialogChecked(p, kIdRes400));
    EXPECT_FALSE(dialogChecked(p, kIdRes800));
    EXPECT_EQ(p.choices.resolutionIndex, 5);
}

TEST(DialogProc, CheckBoxesToggleTheirFlagAndMarkTogether) {
    DialogState s = openDialog();
    clickDialogControl(s, kIdWindowed);
    EXPECT_EQ(s.choices.fullscreenMode, 0);
    EXPECT_TRUE(dialogChecked(s, kIdWindowed));
    clickDialogControl(s, kIdWindowed);
    EXPECT_EQ(s.choices.fullscreenMode, 1);
    EXPECT_FALSE(dialogChecked(s, kIdWindowed));

    clickDialogControl(s, kIdShowLoop);
    clickDialogControl(s, kIdDetailMaps);
    clickDialogControl(s, kIdLowChips);
    EXPECT_EQ(s.choices.showLoop, 1);
    EXPECT_EQ(s.choices.detailMaps, 0);
    EXPECT_EQ(s.choices.lowChips, 1);
    EXPECT_TRUE(dialogChecked(s, kIdShowLoop));
    EXPECT_FALSE(dialogChecked(s, kIdDetailMaps));
    EXPECT_TRUE(dialogChecked(s, kIdLowChips));
}

TEST(DialogProc, ResolutionButtonsSetTheIndexAndRecheckTheDepthButton) {
    struct Case {
        int id;
        int index;
    };
    const Case cases[] = {{kIdRes1024, 3}, {kIdRes640, 1}, {kIdRes400, 5}, {kIdRes800, 0}};
    DialogState s = openDialog();
    for (const Case& c : cases) {
        clickDialogControl(s, c.id);
        EXPECT_EQ(s.choices.resolutionIndex, c.index) << c.id;
        EXPECT_TRUE(dialogChecked(s, c.id)) << c.id;
        EXPECT_TRUE(dialogChecked(s, kIdBits32)) << "depth button re-checked after " << c.id;
        EXPECT_EQ(s.choices.colorBits, 32);
        int checkedResolutions = 0;
        for (int id : {kIdRes800, kIdRes640, kIdRes320, kIdRes1024, kIdRes512, kIdRes400}) {
            checkedResolutions += dialogChecked(s, id) ? 1 : 0;
        }
        EXPECT_EQ(checkedResolutions, 1) << c.id;
    }
}

TEST(DialogProc, HiddenControlsIgnoreClicksButTheProcedureHandlesTheirCommands) {
    DialogState s = openDialog();
    clickDialogControl(s, kIdRes512);  // hidden and disabled: nothing happens
    EXPECT_EQ(s.choices.resolutionIndex, 0);
    EXPECT_NE(dialogProcedure(s, DialogMessage::Command, kIdBits16), 0);
    EXPECT_EQ(s.choices.colorBits, 16);
    dialogProcedure(s, DialogMessage::Command, kIdRes320);
    EXPECT_EQ(s.choices.resolutionIndex, 2);
    EXPECT_TRUE(dialogChecked(s, kIdBits16));  // the depth button matching colorBits
    EXPECT_TRUE(dialogChecked(s, kIdRes320));
    dialogProcedure(s, DialogMessage::Command, kIdBits24);
    dialogProcedure(s, DialogMessage::Command, kIdRes512);
    EXPECT_EQ(s.choices.resolutionIndex, 4);
    EXPECT_EQ(s.choices.colorBits, 24);
    EXPECT_TRUE(dialogChecked(s, kIdBits24));
}

TEST(DialogProc, GoQuitAboutAndUnknownCommands) {
    DialogState s = openDialog();
    EXPECT_NE(dialogProcedure(s, DialogMessage::Command, kIdAbout), 0);
    EXPECT_EQ(s.endResult, -1);
    EXPECT_EQ(dialogProcedure(s, DialogMessage::Command, 4242), 0);
    EXPECT_EQ(dialogProcedure(s, DialogMessage::Command, kIdStatic), 0);
    clickDialogControl(s, kIdGo);
    EXPECT_EQ(s.endResult, 1);
    DialogState q = openDialog();
    clickDialogControl(q, kIdQuit);
    EXPECT_EQ(q.endResult, 0);
}

TEST(DialogTemplate, FitsTheDialogAndHasTheShownControls) {
    int shown = 0;
    for (const DialogControl& c : kDialogControls) {
        EXPECT_LE(c.x + c.width, kDialogWidthDlu) << c.text;
        EXPECT_LE(c.y + c.height, kDialogHeightDlu) << c.text;
        shown += c.shown ? 1 : 0;
    }
    EXPECT_EQ(shown, 13);
    // On screen at the dialog font's 1.5 x 1.625 pixels per unit.
    EXPECT_EQ(kDialogWidthPx, 351);
    EXPECT_EQ(kDialogHeightPx, 128);
}

TEST(DialogArtwork, IsOpaqueAndNotFlat) {
    static uint8_t px[kDialogArtWidth * kDialogArtHeight * 4];
    makeDialogArtwork(px);
    int distinct = 0;
    for (int i = 4; i < kDialogArtWidth * kDialogArtHeight * 4; i += 4) {
        EXPECT_EQ(px[i + 3], 255);
        if (px[i] != px[0] || px[i + 1] != px[1] || px[i + 2] != px[2]) ++distinct;
    }
    EXPECT_GT(distinct, 1000);
}

TEST(WindowIcon, HasTransparentCornersAndAnOpaquePicture) {
    uint8_t px[kWindowIconSize * kWindowIconSize * 4];
    makeWindowIcon(px);
    auto alpha = [&](int x, int y) { return px[(y * kWindowIconSize + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(kWindowIconSize - 1, kWindowIconSize - 1), 0);
    EXPECT_EQ(alpha(kWindowIconSize / 2, kWindowIconSize / 2), 255);
    int distinct = 0;
    const uint8_t* centre = px + (16 * kWindowIconSize + 16) * 4;
    for (int i = 0; i < kWindowIconSize * kWindowIconSize * 4; i += 4)
        if (px[i] != centre[0] || px[i + 2] != centre[2]) ++distinct;
    EXPECT_GT(distinct, 200);
}

}  // namespace
