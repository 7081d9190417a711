// Loading the effects a scene owns: its particle systems and its lights' lens flares. The scene
// update moves and the scene render draws them (kgl_scene_update.cpp, kgl_scene_render.cpp).
#include "common/kgl_log.h"
#include "scene/kgl_scene3d.h"

namespace kgl {

bool Scene3D::LoadParticles(const std::string& path, int slot, int count, int lightIndex, int mode) {
    return LoadSceneParticles(*this, particles, kParticleSlots, path, slot, count, lightIndex, mode);
}

bool Scene3D::LoadLensFlare(int lightIndex, const std::string& path) {
    if (lightIndex < 0 || lightIndex >= static_cast<int>(lights.size()) || lightIndex >= kMaxLights) {
        logLine("LENSFLARE", path.c_str(), "the scene has no light %d", lightIndex);
        return false;
    }
    return flares[lightIndex].Load(lights[static_cast<size_t>(lightIndex)], path);
}

LensFlare* Scene3D::LensFlareOf(int lightIndex) {
    if (lightIndex < 0 || lightIndex >= static_cast<int>(lights.size()) || lightIndex >= kMaxLights)
        return nullptr;
    return &flares[lightIndex];
}

}  // namespace kgl
