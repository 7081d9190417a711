// The show's HUD over a picture at the smallest and the largest size it is read at: each box sits
// in its corner inside the window without covering the other, the text doubles at 1920x1080, and
// drawing allocates nothing once the HUD has started. (That it leaves the GL state as it found it
// is checked on the show's own pictures by tests/e2e/hud_capture.sh.)
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/kgl_show_hud.h"
#include "platform/kgl_hud.h"
#include "platform/kgl_test_context.h"
#include "sync/kgl_soundsys.h"

namespace {

struct Rect {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // inclusive, top row 0; empty when x1 < 0
    bool overlaps(const Rect& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

constexpr uint8_t kClear[3] = {51, 102, 153};

// The pixels that differ from the clear colour, as one rectangle.
Rect changedArea(int w, int h) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    Rect r;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!std::memcmp(&px[(static_cast<size_t>(y) * w + x) * 3], kClear, 3)) continue;
            const int row = h - 1 - y;
            r = Rect{std::min(r.x0, x), std::min(r.y0, row), std::max(r.x1, x), std::max(r.y1, row)};
        }
    }
    return r;
}

// Everything the main box can show, at its longest.
kgl::ShowHudInfo fullInfo() {
    kgl::ShowHudInfo in;
    in.positionBytes = 14112000;
    in.framesPerSecond = 59.9;
    in.scene = 3;
    in.camera = 2;
    in.overlayScene = 6;
    in.overlayCamera = 1;
    in.recentCount = kgl::ShowHudInfo::kRecentActions;
    for (int i = 0; i < in.recentCount; ++i) {
        in.recentActions[i] = 61;  // the longest name
        in.recentPositions[i] = 14000000 - 100000 * i;
    }
    in.nextMarkAction = 61;
    in.nextMarkBytes = 14500000;
    in.nextMarkInSeconds = 2.2;
    in.paused = in.recording = in.loopSet = true;
    in.loopFromSeconds = 75.0;
    in.loopToSeconds = 90.5;
    in.typedAction = 88;
    std::memset(in.message, 'm', sizeof in.message - 1);
    return in;
}

struct HudSize {
    int width, height, scale;
};

class ShowHudDraw : public testing::TestWithParam<HudSize> {};

TEST_P(ShowHudDraw, BoxesStayInTheirCorners) {
    const HudSize p = GetParam();
    kgl::HeadlessGL gl;
    ASSERT_TRUE(gl.create(p.width, p.height));
    ASSERT_TRUE(kgl::startHud(p.width, p.height));
    const int64_t started = kgl::hudAllocations();
    EXPECT_EQ(kgl::hudScale(), p.scale);
    kgl::SoundSystem sound;
    sound.sampleRate = 44100;
    kgl::ShowHudInfo info = fullInfo();
    char text[kgl::kHudTextSize];
    kgl::formatHudText(info, sound, text, sizeof text);
    const kgl::HudBox main{text, kgl::HudCorner::TopLeft};
    const kgl::HudBox keys{kgl::hudKeyList(), kgl::HudCorner::BottomRight};

    Rect area[2];
    const kgl::HudBox* alone[2] = {&main, &keys};
    for (int i = 0; i < 2; ++i) {
        glClearColor(kClear[0] / 255.0f, kClear[1] / 255.0f, kClear[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        kgl::drawHudBoxes(alone[i], 1);
        area[i] = changedArea(p.width, p.height);
        ASSERT_GE(area[i].x1, 0) << "box " << i << " not drawn";
    }
    const int margin = 8 * p.scale;
    EXPECT_EQ(area[0].x0, margin);
    EXPECT_EQ(area[0].y0, margin);
    EXPECT_EQ(area[1].x1, p.width - 1 - margin);
    EXPECT_EQ(area[1].y1, p.height - 1 - margin);
    EXPECT_FALSE(area[0].overlaps(area[1])) << "the key list covers the main box";
    EXPECT_LT(area[0].x1, p.width * 7 / 10);  // small: the picture stays visible
    EXPECT_LT(area[0].y1, p.height / 2);

    // Other texts of any length up to the longest: no heap call after the start.
    const kgl::HudBox both[2] = {main, keys};
    for (int frame = 0; frame < 4; ++frame) {
        info.positionBytes += 5880;
        info.recentCount = frame;
        info.message[frame * 20] = '\0';
        kgl::formatHudText(info, sound, text, sizeof text);
        kgl::drawHudBoxes(both, frame % 2 + 1);
    }
    EXPECT_EQ(kgl::hudAllocations(), started);
    kgl::stopHud();
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShowHudDraw, testing::Values(HudSize{640, 480, 1}, HudSize{1920, 1080, 2}),
                         [](const testing::TestParamInfo<HudSize>& p) {
                             return std::to_string(p.param.width) + "x" + std::to_string(p.param.height);
                         });

}  // namespace
