// Seams through which the effects subsystem plugs particle systems and lens flares into the scene
// update and render. Each hook is a plain function pointer, null until the effects code installs
// it at start-up; a null hook does nothing.
#pragma once

namespace kgl {

class Scene3D;
class SceneLight;
struct Vec3;

struct SceneFxHooks {
    // Scene update: moves every particle system of the scene that is in use.
    void (*updateParticles)(Scene3D& scene) = nullptr;
    // Scene render, after the objects (blending already GL_SRC_ALPHA, GL_ONE): draws every
    // particle system in use.
    void (*drawParticles)(Scene3D& scene) = nullptr;
    // Glow pass: the light's lens flare, when its lens flare is on.
    void (*drawLensFlare)(Scene3D& scene, SceneLight& light, const Vec3& eye, const Vec3& target) = nullptr;
    // True while the light's lens flare freezes its glow pulsation.
    bool (*glowFrozen)(const SceneLight& light) = nullptr;
};

void SetSceneFxHooks(const SceneFxHooks& hooks);
const SceneFxHooks& sceneFxHooks();

}  // namespace kgl
