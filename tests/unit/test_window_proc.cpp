// The window procedure's mapping: active flag, held keys, close, and the SDL key translation;
// where a desktop full-screen picture lands.
#include <gtest/gtest.h>

#include "platform/kgl_display.h"
#include "platform/kgl_framebuffer.h"

namespace {

using namespace kgl;

struct WindowProcTest : testing::Test {
    void SetUp() override {
        state.keyDown = keys;
        state.windowActive = &active;
    }
    bool send(WindowEventKind kind, int vk = 0) {
        WindowEvent e;
        e.kind = kind;
        e.virtualKey = vk;
        return windowProcedure(e, state);
    }
    uint8_t keys[kVirtualKeyCount] = {};
    uint8_t active = 1;
    WindowState state;
};

TEST_F(WindowProcTest, MinimiseAndRestoreDriveTheActiveFlag) {
    send(WindowEventKind::Minimized);
    EXPECT_EQ(active, 0);
    send(WindowEventKind::Restored);
    EXPECT_EQ(active, 1);
    send(WindowEventKind::Minimized);
    send(WindowEventKind::Activated);
    EXPECT_EQ(active, 1);
}

TEST_F(WindowProcTest, HeldKeyStaysDownThroughRepeatsUntilReleasedAndTheTapStaysLatched) {
    uint8_t pressed[kVirtualKeyCount] = {};
    state.keyPressed = pressed;
    for (int i = 0; i < 5; ++i) {
        send(WindowEventKind::KeyDown, kVkEscape);  // auto-repeat sends more key-downs
        EXPECT_EQ(keys[kVkEscape], 1);
    }
    send(WindowEventKind::KeyUp, kVkEscape);
    EXPECT_EQ(keys[kVkEscape], 0);
    EXPECT_EQ(pressed[kVkEscape], 1);  // a press released before the next frame still counts
}

TEST_F(WindowProcTest, OutOfRangeKeysAreIgnoredAndCloseQuits) {
    send(WindowEventKind::KeyDown, 0);
    send(WindowEventKind::KeyDown, 256);
    send(WindowEventKind::KeyDown, -3);
    for (uint8_t k : keys) EXPECT_EQ(k, 0);
    EXPECT_FALSE(send(WindowEventKind::ScreenSaver));
    EXPECT_FALSE(send(WindowEventKind::Other));
    EXPECT_TRUE(send(WindowEventKind::Close));
}

TEST(KeyMapping, SdlKeysBecomeWin32VirtualKeys) {
    EXPECT_EQ(virtualKeyForSdlKey(27), 27);    // Escape
    EXPECT_EQ(virtualKeyForSdlKey('\r'), 13);  // Return
    EXPECT_EQ(virtualKeyForSdlKey(' '), 32);
    EXPECT_EQ(virtualKeyForSdlKey('a'), 'A');
    EXPECT_EQ(virtualKeyForSdlKey('z'), 'Z');
    EXPECT_EQ(virtualKeyForSdlKey('0'), '0');
    EXPECT_EQ(virtualKeyForSdlKey('9'), '9');
    const int32_t scancodeMask = 1 << 30;                    // SDL key codes of keys without a character
    EXPECT_EQ(virtualKeyForSdlKey(58 | scancodeMask), 112);  // F1
    EXPECT_EQ(virtualKeyForSdlKey(69 | scancodeMask), 123);  // F12
    EXPECT_EQ(virtualKeyForSdlKey(80 | scancodeMask), 37);   // Left
    EXPECT_EQ(virtualKeyForSdlKey(82 | scancodeMask), 38);   // Up
    EXPECT_EQ(virtualKeyForSdlKey(79 | scancodeMask), 39);   // Right
    EXPECT_EQ(virtualKeyForSdlKey(81 | scancodeMask), 40);   // Down
    EXPECT_EQ(virtualKeyForSdlKey(0x12345), 0);
}

// The picture at its own aspect, centred, with black bars: wider desktops get bars left and right,
// taller ones above and below; a matching aspect fills the screen.
TEST(Letterbox, PictureKeepsItsAspectCentredOnTheDesktop) {
    struct Case {
        int w, h, screenW, screenH, x, y, width, height;
    };
    // clang-format off
    const Case cases[] = {
        {800, 600, 1280, 1024,   0,  32, 1280, 960},  // 4:3 on 5:4: bars above and below
        {800, 600, 1920, 1080, 240,   0, 1440, 1080}, // 4:3 on 16:9: bars left and right
        {640, 480, 1280,  960,   0,   0, 1280, 960},  // same aspect: no bars
        {800, 600,    0,    0,   0,   0,    0,   0},  // no screen: nothing drawn
    };
    // clang-format on
    for (const Case& c : cases) {
        const LetterboxRect r = letterboxRect(c.w, c.h, c.screenW, c.screenH);
        EXPECT_EQ(r.x, c.x) << c.screenW << "x" << c.screenH;
        EXPECT_EQ(r.y, c.y) << c.screenW << "x" << c.screenH;
        EXPECT_EQ(r.width, c.width) << c.screenW << "x" << c.screenH;
        EXPECT_EQ(r.height, c.height) << c.screenW << "x" << c.screenH;
    }
}

}  // namespace
