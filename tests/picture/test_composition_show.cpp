// The fast composition draws the same picture as the straightforward one: frames of the default
// show at 800 x 600 (plain composition, the two-layer blur, the drifting seven-layer blur and a
// wave grid) are composed both ways from the same captured picture and compared over the whole
// window: the mean difference stays within 1/255 per channel and no pixel is off by more than 8.
// Frames between the samples are directed and updated but not drawn, to keep the run short.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/gl/kgl_test_show.h"

namespace {

constexpr double kFps = 30.0;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
// Seconds of show: plain, two-layer blur, seven-layer drifting blur, wave grid 0 with plain.
constexpr double kSamples[] = {10.0, 17.0, 19.5, 25.0, 28.0, 31.5, 41.0};

void readWindow(std::vector<unsigned char>& out) {
    out.assign(static_cast<size_t>(kWidth) * kHeight * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, out.data());
}

struct Difference {
    double mean[3] = {};
    int worst = 0;
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    Difference d;
    long sum[3] = {};
    for (size_t i = 0; i < a.size(); ++i) {
        const int diff = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        sum[i % 3] += diff;
        d.worst = std::max(d.worst, diff);
    }
    for (int c = 0; c < 3; ++c)
        d.mean[c] = static_cast<double>(sum[c]) / (static_cast<double>(a.size()) / 3.0);
    return d;
}

TEST(CompositionShow, FastPathMatchesTheStraightforwardOne) {
    kgl_test::ShowRun run;
    if (!run.enter()) GTEST_SKIP() << "no default show in KGL_SHOW_DIR";
    unsetenv("KGL_STRAIGHT_COMPOSE");
    unsetenv("KGL_SHARP_COMPOSE");
    run.start(kWidth, kHeight, kFps);
    ASSERT_FALSE(HasFatalFailure());
    kgl::DemoEngine& e = kgl::engine();
    std::vector<unsigned char> fast;
    std::vector<unsigned char> straight;
    int64_t frame = 0;
    int blurred = 0;
    for (double at : kSamples) {
        const int64_t target = static_cast<int64_t>(at * kFps);
        for (; frame < target - 1; ++frame) run.step(frame, false, false);
        run.step(frame++, true, false);  // one drawn frame before: the drift and captures settle
        e.render();
        readWindow(fast);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e.motionBlur.redrawLast(true);
        readWindow(straight);
        const Difference d = compare(fast, straight);
        // The same frame as the straightforward run draws it, anisotropic sampling included.
        e.motionBlur.straightComposition = 1;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e.motionBlur.redrawLast(true);
        readWindow(straight);
        e.motionBlur.straightComposition = 0;
        const Difference a = compare(fast, straight);
        kgl::SwapDisplayBuffers();
        run.step(frame++, false, false);
        blurred += e.motionBlurOn;
        std::printf(
            "CompositionShow: %5.1f s %-7s vs layer quads: mean %.3f %.3f %.3f of 255, largest %d; "
            "vs anisotropic quads: mean %.3f %.3f %.3f, largest %d\n",
            at, e.motionBlurOn ? "blurred" : "plain", d.mean[0], d.mean[1], d.mean[2], d.worst, a.mean[0],
            a.mean[1], a.mean[2], a.worst);
        for (const Difference* x : {&d, &a}) {
            for (double m : x->mean) EXPECT_LE(m, 1.0) << "at " << at << " s";
            EXPECT_LE(x->worst, 8) << "at " << at << " s";
        }
    }
    EXPECT_GE(blurred, 4) << "the samples no longer fall on the blurred sections";
}

}  // namespace
