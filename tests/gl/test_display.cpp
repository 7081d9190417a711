// The display window on the offscreen driver: a current GL context of the requested size, the
// refused full-screen mode falling back to a window (non-interactive answer "Yes"), teardown.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"

TEST(DisplayWindow, OpensDrawsAndClosesOnTheOffscreenDriver) {
    ASSERT_TRUE(kgl::initDisplaySystem(true));
    kgl::setMessageBoxesInteractive(false);
    uint8_t fullscreen = 1;  // the offscreen display lists no modes: refused, so windowed
    ASSERT_TRUE(kgl::CreateDisplayWindow("kgl test", 400, 300, 32, fullscreen));
    EXPECT_EQ(fullscreen, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 300);
    // Destination alpha is stored: the composition's DST_ALPHA selectors depend on it.
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    EXPECT_EQ(alphaBits, 8);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(200, 150, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[1], 255);
    kgl::SwapDisplayBuffers();
    kgl::SetDisplayTitle("korvoGL 60.00 fps");

    uint8_t keys[kgl::kVirtualKeyCount] = {};
    uint8_t active = 1;
    kgl::WindowState ws;
    ws.keyDown = keys;
    ws.windowActive = &active;
    for (int i = 0; i < 100 && kgl::PeekDisplayMessage(ws) != kgl::DisplayMessage::None; ++i) {
    }
    EXPECT_EQ(active, 1);
    kgl::DestroyDisplayWindow();
    kgl::quitDisplaySystem();
}
