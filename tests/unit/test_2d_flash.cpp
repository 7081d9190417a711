#include <gtest/gtest.h>

#include "fx/kgl_2d_flash.h"

using kgl::ScreenFlash;

TEST(ScreenFlash, DefaultsSetupAndColour) {
    ScreenFlash f;
    EXPECT_EQ(f.active, 0);
    EXPECT_EQ(f.fadeEnabled, 1);
    EXPECT_EQ(f.finished, 1);
    EXPECT_EQ(f.smooth, 1);
    EXPECT_FLOAT_EQ(f.maskGrowX, 1.5f);
    f.setup(800, 600);
    EXPECT_FLOAT_EQ(f.orthoWidth, 800);
    EXPECT_FLOAT_EQ(f.height, 600);
    // The masked quad is 4.5 units larger than the flash after setup.
    EXPECT_FLOAT_EQ(f.width + f.maskGrowX, 804.5f);
    EXPECT_FLOAT_EQ(f.height + f.maskGrowY, 604.5f);
    f.setColour(0.2f, 0.3f, 0.4f);
    EXPECT_FLOAT_EQ(f.fadeInSpeed, 0.14f);
    EXPECT_FLOAT_EQ(f.fadeOutSpeed, 0.14f);
    EXPECT_FLOAT_EQ(f.blue, 0.4f);
}

TEST(ScreenFlash, FadeTurnsAtTheTwentiethUpdateAndEndsEightLater) {
    ScreenFlash f;
    f.setup(800, 600);
    f.setColour(1, 1, 1);
    f.setFadeInSpeed(0.05f);
    f.setFadeOutSpeed(0.14f);
    f.start();
    int turnedAt = 0;
    for (int i = 1; i <= 40 && !turnedAt; ++i) {
        f.update();
        if (f.descending) turnedAt = i;
    }
    EXPECT_EQ(turnedAt, 20);
    EXPECT_GT(f.alpha, 1.0f);  // not clamped on the way up
    int offAfter = 0;
    for (int i = 1; i <= 40 && f.active; ++i) {
        f.update();
        offAfter = i;
    }
    EXPECT_EQ(offAfter, 8);
    EXPECT_EQ(f.active, 0);
    EXPECT_EQ(f.finished, 1);
    EXPECT_FLOAT_EQ(f.alpha, 0.0f);
}

TEST(ScreenFlash, StartWhileActiveChangesNothing) {
    ScreenFlash f;
    f.setColour(1, 0, 0);
    f.start();
    f.update();
    f.update();
    const float alpha = f.alpha;
    f.start();
    EXPECT_FLOAT_EQ(f.alpha, alpha);
    EXPECT_EQ(f.finished, 0);
}

TEST(ScreenFlash, DisabledFadeHoldsTheAlpha) {
    ScreenFlash f;
    f.setColour(1, 0, 0);
    f.start();
    f.update();
    f.setFadeEnabled(0);
    for (int i = 0; i < 50; ++i) f.update();
    EXPECT_FLOAT_EQ(f.alpha, 0.14f);
    EXPECT_EQ(f.active, 1);
}

TEST(ScreenFlash, HoldKeepsItActiveAtAlphaZeroUntilStop) {
    ScreenFlash f;
    f.setColour(1, 1, 1);
    f.setHold(1);
    f.start();
    for (int i = 0; i < 100; ++i) f.update();
    EXPECT_EQ(f.active, 1);
    EXPECT_EQ(f.finished, 1);
    EXPECT_FLOAT_EQ(f.alpha, 0.0f);
    f.stop();
    EXPECT_EQ(f.active, 0);
    EXPECT_EQ(f.finished, 0);
    f.shift(3, -2);
    f.shift(1, 1);
    EXPECT_FLOAT_EQ(f.offsetX, 4);
    EXPECT_FLOAT_EQ(f.offsetY, -1);
}
