#include "fx/kgl_scene_fx.h"

#include <memory>

#include "common/kgl_log.h"
#include "scene/kgl_scene_fx_hooks.h"

namespace kgl {
namespace {

std::unique_ptr<SceneEffects>& record(int i) {
    static std::unique_ptr<SceneEffects> records[kFxScenes];
    return records[i];
}

// Index of `light` in its scene's light array, or -1.
int lightIndexIn(const Scene3D& scene, const SceneLight& light) {
    if (scene.lights.empty()) return -1;
    const SceneLight* first = scene.lights.data();
    if (&light < first || &light >= first + scene.lights.size()) return -1;
    return static_cast<int>(&light - first);
}

// The flare of `light` when the scene carries effects and the light is one of its first kMaxLights.
LensFlare* flareOf(const Scene3D& scene, const SceneLight& light) {
    SceneEffects* fx = EffectsOf(scene, false);
    const int i = lightIndexIn(scene, light);
    return (fx && i >= 0 && i < kMaxLights) ? &fx->flares[i] : nullptr;
}

}  // namespace

SceneEffects* EffectsOf(const Scene3D& scene, bool create) {
    int freeSlot = -1;
    for (int i = 0; i < kFxScenes; ++i) {
        if (record(i) && record(i)->scene == &scene) return record(i).get();
        if (!record(i) && freeSlot < 0) freeSlot = i;
    }
    if (!create) return nullptr;
    if (freeSlot < 0) {
        logLine("EFFECTS", "scene", "more than %d scenes carry effects; this one gets none", kFxScenes);
        return nullptr;
    }
    record(freeSlot) = std::make_unique<SceneEffects>();
    record(freeSlot)->scene = &scene;
    return record(freeSlot).get();
}

void ResetSceneEffects() {
    for (int i = 0; i < kFxScenes; ++i) record(i).reset();
}

bool LoadParticles(Scene3D& scene, const std::string& path, int slot, int count, int lightIndex, int mode) {
    SceneEffects* fx = EffectsOf(scene, true);
    if (!fx) return false;
    return LoadSceneParticles(scene, fx->particles, kParticleSlots, path, slot, count, lightIndex, mode);
}

bool LoadLensFlare(Scene3D& scene, int lightIndex, const std::string& path) {
    if (lightIndex < 0 || lightIndex >= static_cast<int>(scene.lights.size()) || lightIndex >= kMaxLights) {
        logLine("LENSFLARE", path.c_str(), "the scene has no light %d", lightIndex);
        return false;
    }
    SceneEffects* fx = EffectsOf(scene, true);
    if (!fx) return false;
    return fx->flares[lightIndex].Load(scene.lights[static_cast<size_t>(lightIndex)], path);
}

LensFlare* LensFlareOf(Scene3D& scene, int lightIndex) {
    if (lightIndex < 0 || lightIndex >= static_cast<int>(scene.lights.size())) return nullptr;
    return flareOf(scene, scene.lights[static_cast<size_t>(lightIndex)]);
}

void UpdateSceneParticles(Scene3D& scene) {
    SceneEffects* fx = EffectsOf(scene, false);
    if (!fx) return;
    for (ParticleSystem& ps : fx->particles) {
        if (ps.inUse) ps.Update();
    }
}

void DrawSceneParticles(Scene3D& scene) {
    SceneEffects* fx = EffectsOf(scene, false);
    if (!fx) return;
    for (ParticleSystem& ps : fx->particles) {
        if (ps.inUse) ps.Draw();
    }
}

void DrawLightLensFlare(Scene3D& scene, SceneLight& light, const Vec3& eye, const Vec3& target) {
    LensFlare* flare = flareOf(scene, light);
    if (flare && flare->imagesLoaded && light.lensFlareOn) flare->Draw(light, eye, target);
}

// The light does not know its scene: look through the scenes that carry effects.
bool LightGlowFrozen(const SceneLight& light) {
    for (int i = 0; i < kFxScenes; ++i) {
        if (!record(i)) continue;
        const Scene3D& scene = *record(i)->scene;
        const int index = lightIndexIn(scene, light);
        if (index >= 0) return index < kMaxLights && record(i)->flares[index].glowFrozen;
    }
    return false;
}

void InstallSceneEffectHooks() {
    SceneFxHooks hooks;
    hooks.updateParticles = UpdateSceneParticles;
    hooks.drawParticles = DrawSceneParticles;
    hooks.drawLensFlare = DrawLightLensFlare;
    hooks.glowFrozen = LightGlowFrozen;
    SetSceneFxHooks(hooks);
}

}  // namespace kgl
