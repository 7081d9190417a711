// The scene-file loader on hostile bytes, model only: no images decoded, no logs, no GL. What
// loaded must hold together (counts, face and texture-face indices, track sizes), and the scene
// must then update frame by frame and take its materials without touching foreign memory.
// fuzz-seeds: scene
// fuzz-dict: "KORVO_GL3D\x20EngineSceneFile" "Camera" "\xe7\x03\x00\x00" "\x01\x00" "\xff\xff"
// fuzz-options: -max_len=65536
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz_common.h"
#include "image/kgl_texture.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_textures.h"

namespace {

constexpr int kFrames = 6;

void checkObject(const kgl::SceneObject& o) {
    const size_t V = o.vertices.size();
    if (static_cast<size_t>(o.vertexCount) != V || static_cast<size_t>(o.faceCount) != o.faces.size()) return;
    for (const kgl::ObjectFace& f : o.faces)
        if (f.a >= V || f.b >= V || f.c >= V) std::abort();
    for (const kgl::TextureFace& t : o.texFaces)
        for (uint16_t k : t.t)
            if (k >= static_cast<size_t>(o.texCoordCount) || k >= o.u.size()) std::abort();
    if (o.positionKeyCount > static_cast<int>(o.positionKeys.size()) ||
        o.rotationKeyCount > static_cast<int>(o.rotationKeys.size()) ||
        o.scaleKeyCount > static_cast<int>(o.scaleKeys.size()))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    kgl::SceneLoadOptions options;
    options.decodeTextures = false;
    options.writeLogs = false;
    auto scene = std::make_unique<kgl::Scene3D>();
    scene->LoadFromBytes(bytes, "fuzz.k3d", options);
    if (scene->objectCount != scene->objects.size() || scene->drawOrder.size() != scene->objects.size() ||
        scene->lights.size() > static_cast<size_t>(kgl::kMaxLights))
        std::abort();
    for (const kgl::SceneObject& o : scene->objects) checkObject(o);
    kgl::AttachSceneMaterials(*scene);
    for (int i = 0; i < kFrames; ++i) scene->Update();
    scene->SetForward(0);
    for (int i = 0; i < kFrames; ++i) scene->Update();
    return 0;
}
