// "kgl view" draws through the show's off-screen target: the scene's GL state is set in the
// off-screen context and the window only receives the composed picture.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "app/kgl_view.h"
#include "fx/kgl_motion_blur.h"
#include "platform/kgl_test_context.h"
#include "scene/kgl_scenefile.h"

TEST(ViewOffscreen, SceneStateLivesInTheOffscreenContext) {
    std::string dir = testing::TempDir() + "kgl_viewfx_XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    kgl::SceneFileWriter w;  // an empty scene: no objects, cameras or lights
    w.writeHeaderText();
    w.writeFrameValues(10, 30, 160);
    kgl::SceneFileCounts counts;
    ASSERT_TRUE(w.writeCounts(counts));
    ASSERT_TRUE(w.save(dir + "/empty.k3d"));

    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(120, 90));
    kgl::ViewSession session;
    kgl::ViewOptions o;
    o.file = dir + "/empty.k3d";
    ASSERT_TRUE(session.open(o, 120, 90));
    ASSERT_TRUE(session.blur().offscreen());
    EXPECT_EQ(session.blur().outWidth, 120);
    EXPECT_FALSE(glIsEnabled(GL_RESCALE_NORMAL));  // the window's context keeps its own state
    session.blur().beginCapture();
    EXPECT_TRUE(glIsEnabled(GL_RESCALE_NORMAL));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 512);
    session.blur().endCapture();
    session.update();
    session.draw();
    unsigned char px[4] = {1, 1, 1, 1};
    glReadPixels(60, 45, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0] + px[1] + px[2], 0);  // the empty picture composed over the window
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    (void)!std::system(("rm -rf '" + dir + "'").c_str());
}
