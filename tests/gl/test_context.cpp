#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/kgl_glext.h"
#include "platform/kgl_test_context.h"

TEST(HeadlessContext, ClearsAndReadsBack) {
    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(64, 64));
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    EXPECT_TRUE(kgl::hasGLExtension("GL_ARB_multitexture"));
    EXPECT_FALSE(kgl::hasGLExtension("GL_NV_register_combiners"));
    EXPECT_FALSE(kgl::hasGLExtension("GL_ARB_multi"));  // a prefix is not a token
}
