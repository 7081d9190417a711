#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "common/kgl_random.h"
#include "fx/kgl_scene_fx.h"
#include "scene/kgl_scene_fx_hooks.h"

namespace {

class SceneFx : public ::testing::Test {
protected:
    void SetUp() override {
        kgl::ResetSceneEffects();
        scene.lights.resize(3);
        other.lights.resize(2);
    }
    void TearDown() override { kgl::ResetSceneEffects(); }
    kgl::Scene3D scene;
    kgl::Scene3D other;
};

}  // namespace

TEST_F(SceneFx, RecordsAreMadeOncePerSceneAndFoundByAddress) {
    EXPECT_EQ(kgl::EffectsOf(scene, false), nullptr);
    kgl::SceneEffects* fx = kgl::EffectsOf(scene, true);
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(kgl::EffectsOf(scene, true), fx);
    EXPECT_EQ(kgl::EffectsOf(scene, false), fx);
    EXPECT_NE(kgl::EffectsOf(other, true), fx);
    EXPECT_EQ(kgl::LensFlareOf(scene, 1), &fx->flares[1]);
    EXPECT_EQ(kgl::LensFlareOf(scene, 3), nullptr);
}

TEST_F(SceneFx, UpdateMovesOnlySystemsInUse) {
    kgl::SceneEffects* fx = kgl::EffectsOf(scene, true);
    ASSERT_NE(fx, nullptr);
    kgl::SeedRandom(5);
    fx->particles[2].CreateParticles(10, &scene.lights[1], 1);
    fx->particles[5].CreateParticles(10, &scene.lights[1], 1);
    fx->particles[5].inUse = 0;
    kgl::UpdateSceneParticles(scene);
    EXPECT_FLOAT_EQ(fx->particles[2].particles[0].life, 0.1f);
    EXPECT_FLOAT_EQ(fx->particles[5].particles[0].life, -0.4f);
    kgl::UpdateSceneParticles(other);  // a scene without effects: nothing to do
}

TEST_F(SceneFx, GlowFrozenFollowsTheLightsFlare) {
    kgl::SceneEffects* fx = kgl::EffectsOf(scene, true);
    ASSERT_NE(fx, nullptr);
    EXPECT_FALSE(kgl::LightGlowFrozen(scene.lights[2]));
    fx->flares[2].ApplyVisibility(scene.lights[2], false);
    EXPECT_TRUE(kgl::LightGlowFrozen(scene.lights[2]));
    EXPECT_FALSE(kgl::LightGlowFrozen(scene.lights[1]));
    EXPECT_FALSE(kgl::LightGlowFrozen(other.lights[0]));
    kgl::SceneLight loose;
    EXPECT_FALSE(kgl::LightGlowFrozen(loose));
}

// Through the hooks the scene's own update moves its particle systems.
TEST_F(SceneFx, InstalledHooksReachTheScenesEffects) {
    const kgl::SceneFxHooks saved = kgl::sceneFxHooks();
    kgl::InstallSceneEffectHooks();
    EXPECT_EQ(kgl::sceneFxHooks().updateParticles, &kgl::UpdateSceneParticles);
    EXPECT_EQ(kgl::sceneFxHooks().glowFrozen, &kgl::LightGlowFrozen);
    kgl::SceneEffects* fx = kgl::EffectsOf(scene, true);
    ASSERT_NE(fx, nullptr);
    fx->particles[0].CreateParticles(4, &scene.lights[0], 1);
    kgl::sceneFxHooks().updateParticles(scene);
    EXPECT_FLOAT_EQ(fx->particles[0].particles[3].life, 0.1f);
    fx->flares[0].ApplyVisibility(scene.lights[0], false);
    EXPECT_TRUE(kgl::sceneFxHooks().glowFrozen(scene.lights[0]));
    kgl::SetSceneFxHooks(saved);
}

TEST_F(SceneFx, LoadersCheckTheirIndices) {
    EXPECT_FALSE(kgl::LoadParticles(scene, "p.k2d", -1, 10, 0, 1));
    EXPECT_FALSE(kgl::LoadParticles(scene, "p.k2d", 0, 10, 3, 1));
    EXPECT_EQ(scene.particlesInUse, 0);
    EXPECT_FALSE(kgl::LoadLensFlare(scene, 3, "lens.k2d"));
    EXPECT_FALSE(kgl::LoadLensFlare(scene, -1, "lens.k2d"));
}
