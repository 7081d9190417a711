// A frame drawn with a real context, captured to PNG the way --capture does, and read back.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include "app/kgl_capture.h"
#include "platform/kgl_test_context.h"
#include "tests/unit/kgl_test_files.h"

TEST(FrameCapture, DrawnFrameIsWrittenTopRowFirstAndReadsBack) {
    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(64, 48));
    glViewport(0, 0, 64, 48);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 64, 0, 48, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1.0f, 0.0f, 0.0f, 0.0f);  // alpha 0 must not make the picture see-through
    glBegin(GL_QUADS);                  // the bottom half in GL terms
    glVertex2f(0, 0);
    glVertex2f(64, 0);
    glVertex2f(64, 24);
    glVertex2f(0, 24);
    glEnd();

    const std::string dir = kgl_test::MakeTempDir("kglcap");
    ASSERT_FALSE(dir.empty());
    const std::string frames = dir + "/frames";
    kgl::FrameCapture capture;
    ASSERT_TRUE(capture.open(frames.c_str(), 64, 48));
    ASSERT_TRUE(capture.captureFrame());
    ASSERT_TRUE(capture.captureFrame());
    EXPECT_EQ(capture.framesWritten(), 2);

    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load((frames + "/frame-000001.png").c_str(), &w, &h, &n, 4);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    const unsigned char* top = px + (2 * w + 10) * 4;
    const unsigned char* bottom = px + ((h - 3) * w + 10) * 4;
    EXPECT_EQ(top[2], 255);  // blue clear colour at the top
    EXPECT_EQ(top[0], 0);
    EXPECT_EQ(bottom[0], 255);  // red quad at the bottom
    EXPECT_EQ(bottom[3], 255);
    stbi_image_free(px);

    // One swap in three, files numbered by swap: 0, 3, 6 of seven swaps.
    const std::string sampled = dir + "/sampled";
    kgl::FrameCapture every;
    ASSERT_TRUE(every.open(sampled.c_str(), 64, 48, 3));
    for (int i = 0; i < 7; ++i) EXPECT_EQ(every.captureFrame(), i % 3 == 0) << i;
    EXPECT_EQ(every.framesWritten(), 3);
    for (const char* name : {"/frame-000000.png", "/frame-000003.png", "/frame-000006.png"})
        EXPECT_EQ(access((sampled + name).c_str(), F_OK), 0) << name;
    EXPECT_NE(access((sampled + "/frame-000001.png").c_str(), F_OK), 0);
}
