// The textures of a 3D scene: material images (from files or packed in the scene file), the GL
// textures of the 66-slot scene texture table, and the linking of objects to their materials.
// Decoding needs no GL; UploadSceneTextures needs a current context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kgl {

class Scene3D;
class SceneMaterial;

constexpr char kGlowImagePath[] = "escena/raw.dat";
constexpr char kRingImagePath[] = "escena/raw2.dat";

// Material textures (called by the scene loader for a plain material (sub 0) or per sub-material).
// The path is the scene's texture path followed directly by the texture name (no separator).
bool LoadTextureFile(SceneMaterial& material, int sub, const std::string& path);
// `data` is the packed texture's bytes (just after its length field), `size` its stored length.
bool LoadPackedTexture(SceneMaterial& material, int sub, const uint8_t* data, size_t size,
                       const std::string& name);

// Links every object to its material and the scene texture table (no GL): vertex colours become
// the material's diffuse colour with alpha 1.0; plain materials reset face material ids to 0.
// An object whose material index is out of range gets the scene's fallback material (one line).
void AttachSceneMaterials(Scene3D& scene);

// Creates the scene's GL textures: material images into slots 0.. in material / sub-material
// order (mipmapped), "escena/raw.dat" into slot 64 and "escena/raw2.dat" into slot 65, then
// attaches the materials. Needs a current GL context. Without `lightSprites` the two sprite
// slots stay empty (a viewer that draws no glows needs no show files).
void UploadSceneTextures(Scene3D& scene, bool lightSprites = true);

}  // namespace kgl
