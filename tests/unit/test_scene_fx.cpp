// The effects a scene owns: its update moves the particle systems in use, a hidden lens flare
// holds its light's glow, and the loaders check their slot and light indices.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/kgl_random.h"
#include "scene/kgl_scene3d.h"

namespace {

class SceneFx : public ::testing::Test {
protected:
    void SetUp() override {
        scene.lights.resize(3);
        scene.cameras.resize(1);  // a scene without cameras does not update
    }
    kgl::Scene3D scene;
};

}  // namespace

TEST_F(SceneFx, UpdateMovesOnlySystemsInUse) {
    kgl::SeedRandom(5);
    scene.particles[2].CreateParticles(10, &scene.lights[1], 1);
    scene.particles[5].CreateParticles(10, &scene.lights[1], 1);
    scene.particles[5].inUse = 0;
    scene.Update();
    EXPECT_FLOAT_EQ(scene.particles[2].particles[0].life, 0.1f);
    EXPECT_FLOAT_EQ(scene.particles[5].particles[0].life, -0.4f);
}

TEST_F(SceneFx, HiddenFlareHoldsItsLightsGlow) {
    for (kgl::SceneLight& l : scene.lights) {
        l.positionFlag = 1;
        l.glowUpper1 = 100;
        l.glowUpStep = 5;
        l.glowSize1 = 10.0f;
    }
    scene.flares[2].ApplyVisibility(scene.lights[2], false);
    const float frozen = scene.lights[2].glowSize1;
    scene.Update();
    EXPECT_EQ(scene.lights[2].glowSize1, frozen);
    EXPECT_NE(scene.lights[1].glowSize1, 10.0f);
}

TEST_F(SceneFx, LoadersCheckTheirIndices) {
    EXPECT_FALSE(scene.LoadParticles("p.k2d", -1, 10, 0, 1));
    EXPECT_FALSE(scene.LoadParticles("p.k2d", 0, 10, 3, 1));
    EXPECT_EQ(scene.particlesInUse, 0);
    EXPECT_FALSE(scene.LoadLensFlare(3, "lens.k2d"));
    EXPECT_FALSE(scene.LoadLensFlare(-1, "lens.k2d"));
    EXPECT_EQ(scene.LensFlareOf(1), &scene.flares[1]);
    EXPECT_EQ(scene.LensFlareOf(3), nullptr);
}
