// The update-step schedule and the frame-rate title cadence, driven by a fake tick source.
#include <gtest/gtest.h>

#include <cstring>

#include "app/kgl_loop_timing.h"

namespace {

uint32_t gFakeTick = 0;
uint32_t fakeTicks() {
    return gFakeTick;
}

int gSteps = 0;
bool gEndShow = false;
bool countStep(void*) {
    ++gSteps;
    return gEndShow;
}

struct LoopTimingTest : testing::Test {
    void SetUp() override {
        gFakeTick = 0;
        gSteps = 0;
        gEndShow = false;
    }
    bool turn(uint32_t tick, int32_t rate = 30) {
        gFakeTick = tick;
        bool ended = false;
        const bool ran =
            kgl::runUpdateStep(timing, fakeTicks, rate, kgl::UpdateStepHooks{countStep, nullptr}, ended);
        lastEnded = ended;
        return ran;
    }
    kgl::LoopTiming timing;
    bool lastEnded = false;
};

TEST_F(LoopTimingTest, FirstStepRunsAtOnceEvenAtTickZero) {
    EXPECT_TRUE(turn(0));
    EXPECT_EQ(gSteps, 1);
    EXPECT_FALSE(turn(0));  // not due again at the same tick
}

TEST_F(LoopTimingTest, SlowTurnRunsOnlyOneStepAndNextIsDueOnePeriodAfterIt) {
    ASSERT_TRUE(turn(1000));
    // A 50 ms turn at 30 steps per second (33.33 ms period): one step, no catch-up.
    EXPECT_TRUE(turn(1050));
    EXPECT_EQ(gSteps, 2);
    EXPECT_FLOAT_EQ(timing.lastStepTick, 1050.0f);
    EXPECT_FALSE(turn(1083));  // 33 ms after the step that ran: not yet
    EXPECT_TRUE(turn(1084));   // 34 ms: due
    EXPECT_EQ(gSteps, 3);
}

TEST_F(LoopTimingTest, RateChangesThePeriodAndBadRatesDoNotDivideByZero) {
    ASSERT_TRUE(turn(100, 20));
    EXPECT_FALSE(turn(149, 20));
    EXPECT_TRUE(turn(150, 20));
    EXPECT_FALSE(turn(151, 0));  // a zero rate counts as one step per second
    EXPECT_TRUE(turn(1150, -5));
}

TEST_F(LoopTimingTest, ShowEndIsReportedAndTheStepStillCounts) {
    gEndShow = true;
    EXPECT_TRUE(turn(0));
    EXPECT_TRUE(lastEnded);
    EXPECT_TRUE(timing.stepped);
}

TEST(TitleCadence, FirstStepSetsTheTitleThenEveryTwoSeconds) {
    kgl::LoopTiming t;
    char title[kgl::kTitleSize] = {};
    t.titleFrames = 10;
    EXPECT_TRUE(kgl::refreshTitle(t, 500, title, sizeof title));  // the first update step
    EXPECT_STREQ(title, "korvoGL 20.00 fps");
    EXPECT_FALSE(kgl::refreshTitle(t, 1000, title, sizeof title));
    EXPECT_FALSE(kgl::refreshTitle(t, 2400, title, sizeof title));  // 1.14 units: not yet
    t.titleFrames = 100;
    EXPECT_TRUE(kgl::refreshTitle(t, 2502, title, sizeof title));
    EXPECT_STREQ(title, "korvoGL 49.95 fps");
    EXPECT_EQ(t.titleFrames, 0u);
    EXPECT_FLOAT_EQ(t.titleAccumulator, 0.0f);
    EXPECT_FALSE(kgl::refreshTitle(t, 4000, title, sizeof title));
}

}  // namespace
