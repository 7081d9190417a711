// The effects that belong to a 3D scene: its 16 particle-system slots and one lens flare per
// light. They are kept here, beside the scene, and reached through the scene's address; the
// scene update and render call them through the four entry points at the end of this file
// (installed as the scene's effect hooks at start-up). Created when a scene first loads an
// effect, alive until the process ends.
#pragma once

#include <string>

#include "common/kgl_vec.h"
#include "scene/kgl_lensflare.h"
#include "scene/kgl_particle_emit.h"
#include "scene/kgl_scene3d.h"

namespace kgl {

constexpr int kFxScenes = 32;  // scenes that may carry effects (the engine's slots and a viewer)

class SceneEffects {
public:
    virtual ~SceneEffects() = default;

    const Scene3D* scene = nullptr;
    ParticleSystem particles[kParticleSlots];
    LensFlare flares[kMaxLights];
};

// The effects of `scene`; with `create` a record is made the first time (at load, never per
// frame). Null when the scene has none and `create` is false, or all kFxScenes are taken.
SceneEffects* EffectsOf(const Scene3D& scene, bool create);
// Forgets every record (tests, a viewer that reloads).
void ResetSceneEffects();

// Scene3D::LoadParticles: the particle flag, slot `slot` loaded from `path` at light `lightIndex`.
bool LoadParticles(Scene3D& scene, const std::string& path, int slot, int count, int lightIndex, int mode);
// "CORONAS:": loads the flare pictures of light `lightIndex` and turns its flare on.
bool LoadLensFlare(Scene3D& scene, int lightIndex, const std::string& path);
// Light `lightIndex`'s flare, or null.
LensFlare* LensFlareOf(Scene3D& scene, int lightIndex);

// Scene hooks. Update step: every particle system in use. Render (blending (source alpha, one)
// already set): every particle system in use. Glow pass: one light's lens flare. Glow: true
// while the light's flare keeps its glow from pulsing (the light is hidden).
void UpdateSceneParticles(Scene3D& scene);
void DrawSceneParticles(Scene3D& scene);
void DrawLightLensFlare(Scene3D& scene, SceneLight& light, const Vec3& eye, const Vec3& target);
bool LightGlowFrozen(const SceneLight& light);

// Hands the four entry points above to the scene update and render (once, at start-up).
void InstallSceneEffectHooks();

}  // namespace kgl
