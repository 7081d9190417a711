#include "scene/kgl_scene_textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "common/kgl_log.h"
#include "image/kgl_texture.h"
#include "scene/kgl_scene3d.h"

namespace kgl {

namespace {

void FinishSlot(SceneMaterial& m, int sub, bool decoded) {
    MaterialSlot& slot = m.slots[sub];
    slot.index = sub;
    slot.placeholder = !decoded;
    m.width = slot.width;
    m.height = slot.height;
}

bool ValidSlot(int sub) {
    return sub >= 0 && sub < kMaxMaterialSlots;
}

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
            logLine("SCENE", o.name, "material %u does not exist; using a plain grey material",
                    o.materialIndex);
        o.material = m;
        for (ObjectVertex& v : o.vertices)
            v.color = ColorRGBA{m->diffuse.r, m->diffuse.g, m->diffuse.b, 1.0f};
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
    glTexImage2D(GL_TEXTURE_2D, 0, 3, slot.width, slot.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 slot.pixels.data());
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, slot.width, slot.height, GL_RGB, GL_UNSIGNED_BYTE,
                      slot.pixels.data());
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

}  // namespace kgl
