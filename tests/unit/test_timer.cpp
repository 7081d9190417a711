// DemoTimer over a scripted counter (1 count = 1 ms) and over the real clock.
#include <gtest/gtest.h>

#include "sync/kgl_timer.h"

namespace {

int64_t gCounter = 0;
int64_t scripted() {
    return gCounter;
}
int64_t stepping() {
    return gCounter += 1;
}  // every read advances 1 ms (drives the warm-up)

// A 1 kHz counter that advances during the warm-up, then only when the test moves it.
void startScripted(kgl::DemoTimer& t) {
    t.counterFrequency = 1000;
    t.readCounter = stepping;
    gCounter = 0;
    t.Start(0, 6);
    t.readCounter = scripted;
}

}  // namespace

TEST(DemoTimer, FirstTickAfterStartIsNegativeThenAlternates) {
    kgl::DemoTimer t;
    startScripted(t);
    EXPECT_FALSE(t.Due());
    t.Tick();  // immediately: measured against the last warm-up read
    EXPECT_LT(t.delta, 0.0f);
    EXPECT_FALSE(t.Due());
    gCounter += 10;  // 10 ms: +100 outweighs the first tick's -1/0.02 = -50
    t.Tick();
    EXPECT_NEAR(t.delta, 0.010f, 1e-6f);
    EXPECT_TRUE(t.Due());
    EXPECT_FALSE(t.Due());
}

TEST(DemoTimer, TwoTicksTenMillisecondsApartAddOneHundred) {
    kgl::DemoTimer t;
    startScripted(t);
    gCounter += 100;
    t.Tick();
    t.rateSum = 0.0f;
    gCounter += 10;
    t.Tick();
    EXPECT_NEAR(t.rateSum, 100.0f, 1e-3f);
}

TEST(DemoTimer, RealClockStartsAndTicks) {
    kgl::DemoTimer t;
    t.Start(0, 6);
    t.Tick();
    t.Tick();
    EXPECT_GE(t.elapsed, 0.0f);
}
