#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/kgl_offscreen.h"
#include "platform/kgl_test_context.h"

namespace {

void readPixel(int x, int y, unsigned char px[4]) {
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
}

}  // namespace

// The target draws into its own 512 x 512 buffer and keeps its GL state apart from the window's.
TEST(OffscreenTarget, DrawsApartFromTheWindowAndSharesTextures) {
    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(160, 120));
    kgl::OffscreenTarget target;
    ASSERT_TRUE(target.create(gl.sdlWindow(), gl.sdlContext()));
    ASSERT_TRUE(target.ready());

    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    target.makeCurrent();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 512);
    EXPECT_EQ(viewport[3], 512);
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    EXPECT_EQ(stencilBits, 8);
    glEnable(GL_BLEND);  // stays with the off-screen context
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    readPixel(500, 500, px);  // beyond the window's extent, inside the target's
    EXPECT_EQ(px[0], 255);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, 512, 512, 0);

    target.makeWindowCurrent();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    readPixel(10, 10, px);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[2], 255);
    EXPECT_TRUE(glIsTexture(tex));  // made in the target, visible in the window's context
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, tex);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 512);
    glDeleteTextures(1, &tex);
}

TEST(OffscreenTarget, WithoutAWindowContextFallsBackToDirectDrawing) {
    kgl::OffscreenTarget target;
    EXPECT_FALSE(target.create(nullptr, nullptr));
    EXPECT_FALSE(target.ready());
    target.makeCurrent();  // no-ops in direct mode
    target.makeWindowCurrent();
}
