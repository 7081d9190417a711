// Texture loading: material images of a scene (from files or packed in the scene file), the GL
// textures of a scene (the 66-slot scene texture table), placeholder images, and JpegTexture,
// a single JPEG used directly as one texture by a 2D effect.
// Decoding needs no GL; the Upload/Load operations that create textures need a current context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/kgl_jpeg.h"

namespace kgl {

class Scene3D;
class SceneMaterial;
struct MaterialSlot;

constexpr int kPlaceholderSize = 8;  // the checker shown for a missing or undecodable image
constexpr char kGlowImagePath[] = "escena/raw.dat";
constexpr char kRingImagePath[] = "escena/raw2.dat";

// Fills an RGB buffer of w * h pixels with a checker of 2-pixel squares (magenta, dark grey).
void FillChecker(uint8_t* pixels, int width, int height);
// Makes `pixels` an 8 x 8 checker image and sets the size.
void MakePlaceholder(std::vector<uint8_t>& pixels, int32_t& width, int32_t& height);

// Decodes a JPEG file into an owned buffer; a missing or undecodable file gives the 8 x 8
// checker and one "TEXTURE: [path] ..." line. Returns false when the placeholder was used.
bool DecodeImageFile(const std::string& path, std::vector<uint8_t>& pixels, int32_t& width, int32_t& height);
// The same over an in-memory JPEG stream (packed textures, K2D entries).
bool DecodeImageMemory(const uint8_t* data, size_t size, const std::string& name,
                       std::vector<uint8_t>& pixels, int32_t& width, int32_t& height);

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

// One JPEG as one texture for a 2D effect: two names generated, the first used.
class JpegTexture {
public:
    JpegTexture() = default;
    virtual ~JpegTexture() = default;

    bool Load(const char* path);
    void Bind() const;

    JpegReader reader;
    std::vector<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t textures[2] = {0, 0};
};

}  // namespace kgl
