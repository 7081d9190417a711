#include "image/kgl_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "common/kgl_log.h"

namespace kgl {

void FillChecker(uint8_t* pixels, int width, int height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool light = ((x / 2) + (y / 2)) % 2 == 0;  // 2-pixel squares
            uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * 3;
            p[0] = light ? 255 : 40;
            p[1] = light ? 0 : 40;
            p[2] = light ? 255 : 40;
        }
    }
}

void MakePlaceholder(std::vector<uint8_t>& pixels, int32_t& width, int32_t& height) {
    width = kPlaceholderSize;
    height = kPlaceholderSize;
    pixels.assign(static_cast<size_t>(width) * height * 3, 0);
    FillChecker(pixels.data(), width, height);
}

bool DecodeImageFile(const std::string& path, std::vector<uint8_t>& pixels, int32_t& width, int32_t& height) {
    JpegReader reader;
    reader.SetName(path);
    if (!reader.ProbeFile(path.c_str())) {
        logLine("TEXTURE", path.c_str(), "missing or not a JPEG image; using a placeholder");
        MakePlaceholder(pixels, width, height);
        return false;
    }
    pixels.assign(reader.ByteSize(), 0);
    if (!reader.DecodeFile(path.c_str(), pixels.data(), pixels.size())) {
        logLine("TEXTURE", path.c_str(), "cannot be decoded; using a placeholder");
        MakePlaceholder(pixels, width, height);
        return false;
    }
    width = reader.Width();
    height = reader.Height();
    return true;
}

bool DecodeImageMemory(const uint8_t* data, size_t size, const std::string& name,
                       std::vector<uint8_t>& pixels, int32_t& width, int32_t& height) {
    JpegReader reader;
    reader.SetName(name);
    if (!reader.ProbeMemory(data, size)) {
        logLine("TEXTURE", name.c_str(), "not a JPEG image; using a placeholder");
        MakePlaceholder(pixels, width, height);
        return false;
    }
    pixels.assign(reader.ByteSize(), 0);
    if (!reader.DecodeMemory(data, size, pixels.data(), pixels.size())) {
        logLine("TEXTURE", name.c_str(), "cannot be decoded; using a placeholder");
        MakePlaceholder(pixels, width, height);
        return false;
    }
    width = reader.Width();
    height = reader.Height();
    return true;
}

bool JpegTexture::Load(const char* path) {
    FILE* f = std::fopen(path, "rb");
    bool ok = false;
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (f) {
        reader.SetName(path);
        const long start = std::ftell(f);
        if (reader.ProbeStream(f)) {
            pixels.assign(reader.ByteSize(), 0);
            std::fseek(f, start, SEEK_SET);
            ok = reader.DecodeStream(f, pixels.data(), pixels.size());
            width = reader.Width();
            height = reader.Height();
        }
        std::fclose(f);
    }
    if (!ok) {
        logLine("TEXTURE", path, "missing or undecodable; using a placeholder");
        MakePlaceholder(pixels, width, height);
    }
    glGenTextures(2, textures);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return ok;
}

void JpegTexture::Bind() const {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
}

}  // namespace kgl
