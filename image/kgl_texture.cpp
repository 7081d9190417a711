#include "image/kgl_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "common/kgl_log.h"
#include "scene/kgl_scene3d.h"

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

namespace {

void FinishSlot(SceneMaterial& m, int sub, bool decoded) {
    MaterialSlot& slot = m.slots[sub];
    slot.index = sub;
    slot.placeholder = !decoded;
    m.width = slot.width;
    m.height = slot.height;
}

bool ValidSlot(int sub) { return sub >= 0 && sub < kMaxMaterialSlots; }

}  // namespace

bool LoadTextureFile(SceneMaterial& m, int sub, const std::string& path) {
    if (!ValidSlot(sub)) return false;
    MaterialSlot& slot = m.slots[sub];
    const bool ok = DecodeImageFile(path, slot.pixels, slot.width, slot.height);
    FinishSlot(m, sub, ok);
    return ok;
}

bool LoadPackedTexture(SceneMaterial& m, int sub, const uint8_t* data, size_t size, const std::string& name) {
    if (!ValidSlot(sub)) return false;
    MaterialSlot& slot = m.slots[sub];
    const bool ok = DecodeImageMemory(data, size, name, slot.pixels, slot.width, slot.height);
    FinishSlot(m, sub, ok);
    return ok;
}

void AttachSceneMaterials(Scene3D& scene) {
    for (SceneObject& o : scene.objects) {
        SceneMaterial* m = &scene.fallbackMaterial;
        if (o.materialIndex < scene.materials.size())
            m = &scene.materials[o.materialIndex];
        else
            logLine("SCENE", o.name, "material %u does not exist; using a plain grey material", o.materialIndex);
        o.material = m;
        for (ObjectVertex& v : o.vertices) v.color = ColorRGBA{m->diffuse.r, m->diffuse.g, m->diffuse.b, 1.0f};
        if (!m->hasSubMaterials)
            for (ObjectFace& f : o.faces) f.materialId = 0;
        o.textureTable = scene.textureTable;
    }
}

namespace {

void UploadMipmapped(const MaterialSlot& slot) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, slot.width, slot.height, 0, GL_RGB, GL_UNSIGNED_BYTE, slot.pixels.data());
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, slot.width, slot.height, GL_RGB, GL_UNSIGNED_BYTE, slot.pixels.data());
}

// A slot that was never decoded (model-only load) is uploaded as the checker.
void EnsurePixels(MaterialSlot& slot) {
    const size_t need = static_cast<size_t>(slot.width) * static_cast<size_t>(slot.height) * 3;
    if (slot.width <= 0 || slot.height <= 0 || slot.pixels.size() < need) {
        MakePlaceholder(slot.pixels, slot.width, slot.height);
        slot.placeholder = true;
    }
}

void UploadSprite(uint32_t name, const char* path, std::vector<uint8_t>& pixels, int32_t& w, int32_t& h) {
    DecodeImageFile(path, pixels, w, h);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

}  // namespace

void UploadSceneTextures(Scene3D& scene, bool lightSprites) {
    glEnable(GL_TEXTURE_2D);
    int count = 0;
    for (const SceneMaterial& m : scene.materials) count += m.slotCount();
    if (count > kMaxMaterialTextures) {
        logLine("SCENE", "textures", "%d material textures, only %d fit; the rest share slot 0", count,
                kMaxMaterialTextures);
        count = kMaxMaterialTextures;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (count > 0) glGenTextures(count, scene.textureTable);
    scene.materialTextureCount = count;
    int next = 0;
    for (SceneMaterial& m : scene.materials) {
        for (int s = 0; s < m.slotCount() && s < kMaxMaterialSlots; ++s) {
            MaterialSlot& slot = m.slots[s];
            if (next >= count) {
                slot.tableIndex = 0;
                continue;
            }
            slot.tableIndex = next;
            EnsurePixels(slot);
            glBindTexture(GL_TEXTURE_2D, scene.textureTable[next]);
            UploadMipmapped(slot);
            ++next;
        }
    }
    AttachSceneMaterials(scene);
    if (!lightSprites) return;
    glGenTextures(2, scene.textureTable + kGlowTextureSlot);
    UploadSprite(scene.textureTable[kGlowTextureSlot], kGlowImagePath, scene.glowPixels, scene.glowWidth,
                 scene.glowHeight);
    UploadSprite(scene.textureTable[kRingTextureSlot], kRingImagePath, scene.ringPixels, scene.ringWidth,
                 scene.ringHeight);
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
