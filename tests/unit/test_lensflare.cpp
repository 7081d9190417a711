#include <gtest/gtest.h>

#include <memory>

#include "scene/kgl_lensflare.h"
#include "scene/kgl_scene3d.h"

using kgl::LensFlare;
using kgl::Vec3;

TEST(LensFlare, ElementFourAtTheViewCentreAndSevenAtTheMirrorPoint) {
    LensFlare::Geometry g;
    ASSERT_TRUE(LensFlare::ComputeGeometry({0, 0, 0}, {0, 0, -10}, {3, 2, -5}, g));
    const Vec3 q = LensFlare::ElementCentre(g, 0.0f);  // element 4's position
    EXPECT_FLOAT_EQ(q.x, 0.0f);
    EXPECT_FLOAT_EQ(q.y, 0.0f);
    EXPECT_FLOAT_EQ(q.z, -1.0f);
    const Vec3 l = LensFlare::ElementCentre(g, 1.0f);  // the light's point in the plane through Q
    EXPECT_NEAR(l.x, 0.6f, 1e-6f);
    EXPECT_NEAR(l.y, 0.4f, 1e-6f);
    EXPECT_NEAR(l.z, -1.0f, 1e-6f);
    const Vec3 m = LensFlare::ElementCentre(g, -1.0f);  // element 7's position
    EXPECT_NEAR(m.x, -0.6f, 1e-6f);
    EXPECT_NEAR(m.y, -0.4f, 1e-6f);
    EXPECT_NEAR(m.z, -1.0f, 1e-6f);
    EXPECT_NEAR(g.side.x * g.along.x + g.side.y * g.along.y + g.side.z * g.along.z, 0.0f, 1e-6f);

    auto flare = std::make_unique<LensFlare>();
    kgl::SceneLight light;
    flare->SetDefaults(light);
    EXPECT_FLOAT_EQ(flare->elements[4].position, 0.0f);
    EXPECT_FLOAT_EQ(flare->elements[7].position, -1.0f);
}

TEST(LensFlare, LightDeadAheadStacksTheElementsOnTheCentre) {
    LensFlare::Geometry g;
    ASSERT_TRUE(LensFlare::ComputeGeometry({0, 0, 0}, {0, 0, -10}, {0, 0, -5}, g));
    const float len = g.along.x * g.along.x + g.along.y * g.along.y + g.along.z * g.along.z;
    EXPECT_NEAR(len, 1.0f, 1e-6f);  // a real direction, so the quads keep their size
    const float side = g.side.x * g.side.x + g.side.y * g.side.y + g.side.z * g.side.z;
    EXPECT_NEAR(side, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(LensFlare::ElementCentre(g, -1.0f).z, -1.0f);
}

TEST(LensFlare, LightBehindOrBesideTheEyeHasNoFlareLine) {
    LensFlare::Geometry g;
    EXPECT_FALSE(LensFlare::ComputeGeometry({0, 0, 0}, {0, 0, -10}, {1, 0, 5}, g));
    EXPECT_FALSE(LensFlare::ComputeGeometry({0, 0, 0}, {0, 0, -10}, {1, 0, 0}, g));
}

TEST(LensFlare, DepthEqualCountsAsVisible) {
    EXPECT_TRUE(LensFlare::DepthVisible(0.5f, 0.5));
    EXPECT_TRUE(LensFlare::DepthVisible(1.0f, 0.75));
    EXPECT_FALSE(LensFlare::DepthVisible(0.25f, 0.5));
}

TEST(LensFlare, DefaultsTakeTheDiffuseColour) {
    auto flare = std::make_unique<LensFlare>();
    kgl::SceneLight light;
    light.diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    flare->SetDefaults(light);
    EXPECT_EQ(flare->elements[0].texture, 2);
    EXPECT_FLOAT_EQ(flare->elements[2].size, 0.2f);
    EXPECT_FLOAT_EQ(flare->elements[7].r, 0.76f);
    EXPECT_FLOAT_EQ(flare->elements[7].g, 0.49f);
    EXPECT_FLOAT_EQ(flare->elements[7].b, 0.195f);
    EXPECT_FLOAT_EQ(flare->elements[3].a, 1.0f);
    flare->SetOn(light, 1);  // nothing loaded: no effect
    EXPECT_EQ(light.lensFlareOn, 0);
}

TEST(LensFlare, HiddenFadesToZeroAndFreezesTheGlow) {
    auto flare = std::make_unique<LensFlare>();
    kgl::SceneLight light;
    light.limitCopies[0] = 10.0f;  // upper1
    light.limitCopies[2] = 2.0f;   // lower1
    light.limitCopies[3] = 1.0f;   // lower2
    light.glowSize1 = 20.0f;
    light.glowSize2 = 9.0f;
    flare->SetDefaults(light);
    flare->ApplyVisibility(light, true);
    EXPECT_FLOAT_EQ(flare->elements[0].a, 0.7f);  // new elements start at 1, capped at 0.7
    EXPECT_EQ(flare->glowFrozen, 0);

    flare->ApplyVisibility(light, false);
    EXPECT_EQ(flare->glowFrozen, 1);
    EXPECT_EQ(light.glowRising1, 0);
    EXPECT_EQ(light.glowRising2, 0);
    EXPECT_FLOAT_EQ(light.glowSize1, 12.0f);
    EXPECT_FLOAT_EQ(light.glowSize2, 1.0f);  // not below the second lower bound
    EXPECT_NEAR(flare->elements[0].a, 0.65f, 1e-6f);
    int frames = 1;
    while (flare->elements[0].a > 0.0f && frames < 100) {
        flare->ApplyVisibility(light, false);
        ++frames;
    }
    EXPECT_EQ(frames, 14);
    EXPECT_FLOAT_EQ(light.glowSize1, 2.0f);
    flare->ApplyVisibility(light, false);
    EXPECT_FLOAT_EQ(flare->elements[5].a, 0.0f);
    flare->ApplyVisibility(light, true);
    EXPECT_EQ(flare->glowFrozen, 0);
    EXPECT_NEAR(flare->elements[5].a, 0.05f, 1e-6f);
}
