// Images as textures: JPEG decoding into owned buffers, placeholder images, and JpegTexture, a
// single JPEG used directly as one texture by a 2D effect. The scene's own textures (materials,
// the scene texture table) live in scene/kgl_scene_textures.h.
// Decoding needs no GL; JpegTexture::Load creates textures and needs a current context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/kgl_jpeg.h"

namespace kgl {

constexpr int kPlaceholderSize = 8;  // the checker shown for a missing or undecodable image

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
