// Scene loader: fills a Scene3D from a scene file walked field by field. Reads the whole file
// into memory first, so every read is bounded; a damaged file keeps the records read before the
// damage. No GL here: material images are decoded into memory and uploaded later.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"
#include "common/kgl_random.h"
#include "image/kgl_texture.h"
#include "platform/kgl_glext.h"
#include "platform/kgl_msgbox.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_textures.h"
#include "scene/kgl_scenefile.h"

namespace kgl {
namespace {

constexpr char kVertexLogName[] = "VERTEXS.LOG";
constexpr uint32_t kGlLight0 = 0x4000;  // GL_LIGHT0
// Smallest byte sizes of records, to test counts against the remaining bytes before allocating.
constexpr size_t kMinObjectBytes = 2 + 6 + 12 + 4 + 2 + 2 + 2;
constexpr size_t kMinMaterialBytes = 4 + 36 + 16 + 2 + 2;
constexpr size_t kMinCameraBytes = 2 + 36 + 3;
constexpr size_t kMinLightBytes = 1 + 12 + 12 + 4 + 1;
constexpr size_t kMinShapeBytes = 2 + 12 + 2;
// Capacities of one scene.
constexpr int kMaxSceneObjects = 1024;
constexpr int kMaxSceneMaterials = 256;
constexpr int kMaxSceneCameras = 64;
constexpr int kMaxSceneShapes = 256;
// Track tables are sized from the header's last frame, not from the data, so their total is
// bounded: a fixed allowance plus a multiple of the file size (a real track holds about one key
// per frame, so a sound file never comes near it).
constexpr size_t kTrackAllowanceBytes = size_t(16) << 20;
constexpr size_t kTrackBytesPerFileByte = 16;

// File (x, y, z), Z-up, to model (x, z, -y), Y-up.
Vec3 ToModel(const float f[3]) {
    return Vec3{f[0], f[2], -f[1]};
}

bool ReadPoint(SceneFileReader& in, Vec3& out, const char* what) {
    float f[3];
    if (!in.vec3(f, what)) return false;
    out = ToModel(f);
    return true;
}

// "\nVert %d X:%f Y:%f Z:%f " (every vertex of every object is logged: printf would take a good
// part of the loading time).
void LogVertex(FILE* log, int i, const Vec3& p) {
    if (!log) return;
    char line[32 + 3 * kFixedChars];
    char* out = line + std::snprintf(line, 32, "\nVert %d X:", i);
    out = putFixed(out, p.x);
    std::memcpy(out, " Y:", 3);
    out = putFixed(out + 3, p.y);
    std::memcpy(out, " Z:", 3);
    out = putFixed(out + 3, p.z);
    *out++ = ' ';
    std::fwrite(line, 1, static_cast<size_t>(out - line), log);
}

}  // namespace

void Scene3D::ResetForLoad() {
    objectCount = cameraCount = materialCount = lightCount = shapeCount = 0;
    objects.clear();
    cameras.clear();
    materials.clear();
    lights.clear();
    shapes.clear();
    drawOrder.clear();
    farFactor = kDefaultFarFactor;
    nearPlane = kDefaultNearPlane;
    up = Vec3{0.0f, 1.0f, 0.0f};
    frameStep = 1;
    forward = 1;
    firstFrame = 0;
    currentFrame = 0.0f;
    activeCamera = 0;
}

void Scene3D::SetAmbience(const ColorRGBA& ambient, const ColorRGBA& diffuse, const ColorRGBA& specular,
                          float shininess) {
    ambienceAmbient = ColorRGBA{ambient.r, ambient.g, ambient.b, 1.0f};
    ambienceDiffuse = ColorRGBA{diffuse.r, diffuse.g, diffuse.b, 1.0f};
    ambienceSpecular = specular;
    ambienceShininess = shininess;
}

SceneObject* Scene3D::FindObject(const char* exactName) {
    for (SceneObject& o : objects)
        if (std::strcmp(o.name, exactName) == 0) return &o;
    return nullptr;
}

bool Scene3D::Load(const std::string& path, const SceneLoadOptions& options) {
    ResetForLoad();
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes)) {
        messageBox("K3D Scene File Not Founde.", "K3D Loading ERROR", MsgBoxKind::Info);
        logLine("K3D", path.c_str(), "not found");  // the message box does not name the file
        return false;
    }
    return LoadFromBytes(bytes, path, options);
}

bool Scene3D::LoadFromBytes(const std::vector<uint8_t>& bytes, const std::string& fileName,
                            const SceneLoadOptions& options) {
    ResetForLoad();
    ambienceShininess = 0.5f;
    ambienceSpecular = ColorRGBA{0.0f, 0.0f, 0.0f, 0.0f};
    ambienceDiffuse = ColorRGBA{0.5f, 0.3f, 0.2f, 1.0f};
    ambienceAmbient = ColorRGBA{0.7f, 0.2f, 0.1f, 1.0f};
    SceneFileReader in(bytes, fileName);
    SceneFileHeader h;
    if (!in.header(h)) return false;
    lastFrame = h.frames.lastFrame;
    frameSpeed = h.frames.frameSpeed;
    ticksPerFrame = h.frames.ticksPerFrame;
    lastFrameCopy = h.counts.lastFrameCopy;
    sampleCounter = h.counts.sampleCounter;
    objectCount = h.counts.objects;
    materialCount = h.counts.materials;
    cameraCount = h.counts.cameras;
    lightCount = h.counts.lights;
    shapeCount = h.counts.shapes;
    const bool ok = LoadSections(in, options);
    // Counts always describe what was actually loaded.
    objectCount = static_cast<uint16_t>(objects.size());
    materialCount = static_cast<uint16_t>(materials.size());
    cameraCount = static_cast<uint16_t>(cameras.size());
    lightCount = static_cast<uint16_t>(lights.size());
    shapeCount = static_cast<uint16_t>(shapes.size());
    drawOrder.resize(objects.size());
    return ok && !in.failed();
}

bool Scene3D::LoadSections(SceneFileReader& in, const SceneLoadOptions& options) {
    trackBytes_ = 0;
    trackBudget_ = kTrackAllowanceBytes + kTrackBytesPerFileByte * in.size();
    if (!LoadObjects(in, options) || !LoadMaterials(in, options)) return false;
    // The camera section is found by the first camera's name; a file without the word carries
    // on from where the materials ended, which is where the cameras start in a sound file.
    size_t cameraStart = 0;
    if (in.findCameraSection(cameraStart)) in.seek(cameraStart, "the camera section");
    if (!LoadCameras(in)) return false;
    extent = Vec3{kSceneExtent, kSceneExtent, kSceneExtent};
    return LoadLights(in) && LoadShapes(in, options);
}

// ---- objects ----

bool Scene3D::LoadObjects(SceneFileReader& in, const SceneLoadOptions& options) {
    const int n = objectCount;
    if (n > kMaxSceneObjects) {
        in.fail("%d objects, at most %d fit a scene", n, kMaxSceneObjects);
        return false;
    }
    if (!in.fits(n, kMinObjectBytes, "objects")) return false;
    objects.resize(n);
    drawOrder.resize(n);
    for (int i = 0; i < n; ++i) {
        if (!LoadObject(in, objects[i], options)) {
            objects.resize(i);
            return false;
        }
        drawOrder[i] = i;
    }
    return true;
}

bool Scene3D::LoadObject(SceneFileReader& in, SceneObject& o, const SceneLoadOptions& options) {
    // Each object learns the context's extensions once, as it is loaded; without a context (scene
    // summaries, tests of the reader) it keeps multitexture off.
    if (glContextCurrent()) o.ProbeGLExtensions();
    std::string name;
    if (!in.name(name, "an object name")) return false;
    if (name.size() >= kObjectNameSize)
        logLine("SCENE", in.fileName().c_str(), "object name \"%s\" cut to %d characters", name.c_str(),
                kObjectNameSize - 1);
    std::snprintf(o.name, sizeof o.name, "%s", name.c_str());
    uint16_t vertexCount16 = 0, faceCount16 = 0;
    if (!in.u16(o.positionFlag, "object flags") || !in.u16(o.rotationFlag, "object flags") ||
        !in.u16(o.scaleFlag, "object flags") || !ReadPoint(in, o.pivot, "an object pivot") ||
        !in.u16(vertexCount16, "an object") || !in.u16(faceCount16, "an object") ||
        !in.u16(o.morphFlag, "an object"))
        return false;
    o.vertexCount = vertexCount16;
    o.faceCount = faceCount16;
    FILE* log = options.writeLogs ? std::fopen(kVertexLogName, "w") : nullptr;
    bool ok = LoadObjectGeometry(in, o, log) && LoadObjectTracks(in, o, log);
    if (log) std::fclose(log);
    return ok;
}

bool Scene3D::LoadObjectGeometry(SceneFileReader& in, SceneObject& o, FILE* log) {
    const size_t V = o.vertexCount, F = o.faceCount;
    // Vertices and vertex normals 24 bytes each; faces, texture faces and face normals 26 each.
    if (!in.fits(V * 24 + F * 26, 1, "object geometry")) return false;
    o.vertices.assign(V, ObjectVertex());
    o.restPositions.assign(V, Vec3());
    o.absolutePositions.assign(V, Vec3());
    o.faces.assign(F, ObjectFace());
    if (log)
        std::fprintf(log, "\n************************************\n%s PIVOT! X:%f Y:%f Z:%f ", o.name,
                     o.pivot.x, o.pivot.y, o.pivot.z);
    for (size_t i = 0; i < V; ++i) {
        Vec3 p;
        ReadPoint(in, p, "vertices");
        o.vertices[i].pos = o.restPositions[i] = o.absolutePositions[i] = p;
        o.vertices[i].color = ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f};
        LogVertex(log, static_cast<int>(i), p);
    }
    if (log) std::fprintf(log, "\n\n");
    for (ObjectFace& f : o.faces) {
        in.u16(f.a, "faces");
        in.u16(f.b, "faces");
        in.u16(f.c, "faces");
        in.u16(f.materialId, "faces");
        if (f.a >= V || f.b >= V || f.c >= V) {
            in.fail("object \"%s\": a face names vertex %u of %zu", o.name, std::max({f.a, f.b, f.c}), V);
            return false;
        }
    }
    uint16_t T = 0;
    if (!in.u16(T, "texture vertex count") || !in.fits(T, 12, "texture vertices")) return false;
    o.texCoordCount = T;
    o.u.assign(T, 0.0f);
    o.v.assign(T, 0.0f);
    o.w.assign(T, 0.0f);
    for (size_t i = 0; i < T; ++i) {
        in.f32(o.u[i], "texture vertices");
        in.f32(o.v[i], "texture vertices");
        in.f32(o.w[i], "texture vertices");
    }
    if (!in.fits(F * 18 + V * 12 + 2, 1, "object faces")) return false;
    o.texFaces.assign(F, TextureFace());
    for (TextureFace& t : o.texFaces) {
        for (uint16_t& k : t.t) in.u16(k, "texture faces");
        if (t.t[0] >= T || t.t[1] >= T || t.t[2] >= T) {
            in.fail("object \"%s\": a texture face names texture vertex %u of %u", o.name,
                    std::max({t.t[0], t.t[1], t.t[2]}), T);
            return false;
        }
    }
    for (ObjectFace& f : o.faces) ReadPoint(in, f.normal, "face normals");
    for (ObjectVertex& v : o.vertices) ReadPoint(in, v.normal, "vertex normals");
    return in.u16(o.materialIndex, "an object material index");
}

bool Scene3D::ReserveTrackBytes(SceneFileReader& in, size_t bytes) {
    if (bytes > trackBudget_ - trackBytes_) {
        in.fail("animation for %d frames is more than a scene can hold", lastFrame);
        return false;
    }
    trackBytes_ += bytes;
    return true;
}

bool Scene3D::LoadObjectTracks(SceneFileReader& in, SceneObject& o, FILE* log) {
    const int32_t capacity = lastFrame + kObjectTrackExtra;
    if (o.hasTransformTrack() || o.hasMorphTrack()) o.trackCapacity = capacity;
    if (o.hasTransformTrack()) {
        // Animated objects keep their vertices relative to the pivot; the renderer translates.
        for (size_t i = 0; i < o.vertices.size(); ++i) {
            Vec3& p = o.vertices[i].pos;
            p = Vec3{p.x - o.pivot.x, p.y - o.pivot.y, p.z - o.pivot.z};
            o.restPositions[i] = p;
            LogVertex(log, static_cast<int>(i), p);
        }
    }
    int32_t n = 0;
    if (o.hasPositionTrack()) {
        if (!in.trackCount(n, 12, capacity, "a position track") || !ReserveTrackBytes(in, capacity * 12u))
            return false;
        o.positionKeys.assign(capacity, Vec3());
        for (int32_t k = 0; k < n; ++k) ReadPoint(in, o.positionKeys[k], "position keys");
        o.positionKeyCount = n;
    }
    if (o.hasRotationTrack()) {
        if (!in.trackCount(n, 16, capacity, "a rotation track") || !ReserveTrackBytes(in, capacity * 16u))
            return false;
        o.rotationKeys.assign(capacity, RotationKey());
        for (int32_t k = 0; k < n; ++k) {
            float f[4];
            in.floats(f, 4, "rotation keys");
            // The axis is taken as absolute values before the axis conversion.
            const float a[3] = {std::fabs(f[0]), std::fabs(f[1]), std::fabs(f[2])};
            o.rotationKeys[k].axis = ToModel(a);
            o.rotationKeys[k].angle = f[3] * kRadiansToDegrees;
        }
        o.rotationKeyCount = n;
        o.initialRotation[0] = o.initialRotation[1] = o.rotationKeys[0];
        o.rotationAngle = 0.0f;
        o.rotationAxis = Vec3();
    }
    if (o.hasScaleTrack()) {
        if (!in.trackCount(n, 12, capacity, "a scale track") || !ReserveTrackBytes(in, capacity * 12u))
            return false;
        o.scaleKeys.assign(capacity, Vec3{1.0f, 1.0f, 1.0f});
        for (int32_t k = 0; k < n; ++k) {
            float f[3];
            in.vec3(f, "scale keys");
            o.scaleKeys[k] = Vec3{f[0], f[2], f[1]};  // x, z, y without negation
        }
        o.scaleKeyCount = n;
    }
    if (o.hasMorphTrack()) {
        // No count is stored: one frame of vertices per frame 0..L, as read (no axis change).
        const size_t values = (static_cast<size_t>(lastFrame) + 1) * o.vertices.size();
        if (!in.fits(values, 12, "morph frames")) return false;
        o.morphKeys.assign(values, Vec3());
        for (Vec3& p : o.morphKeys) {
            float f[3];
            in.vec3(f, "morph frames");
            p = Vec3{f[0], f[1], f[2]};
        }
    }
    return !in.failed();
}

// ---- materials ----

bool Scene3D::LoadMaterials(SceneFileReader& in, const SceneLoadOptions& options) {
    const int n = materialCount;
    if (n > kMaxSceneMaterials) {
        in.fail("%d materials, at most %d fit a scene", n, kMaxSceneMaterials);
        return false;
    }
    if (!in.fits(n, kMinMaterialBytes, "materials")) return false;
    materials.resize(n);
    textureSlotsRead_ = 0;
    for (int i = 0; i < n; ++i) {
        SceneMaterial& m = materials[i];
        m.index = i;
        m.texturesPacked = texturesPacked;
        m.texturePath = texturePath;
        if (!LoadMaterial(in, m, options)) {
            materials.resize(i);
            return false;
        }
    }
    return true;
}

namespace {

bool ReadColor(SceneFileReader& in, ColorRGBA& c, const char* what) {
    float f[3];
    if (!in.vec3(f, what)) return false;
    c = ColorRGBA{f[0], f[1], f[2], 1.0f};
    return true;
}

}  // namespace

bool Scene3D::LoadMaterial(SceneFileReader& in, SceneMaterial& m, const SceneLoadOptions& options) {
    int32_t multi = 0;
    float skipped = 0, strength = 0, transparency = 0, selfIllum = 0;
    uint8_t subCount = 0;
    if (!in.i32(multi, "a material") || !ReadColor(in, m.ambient, "material colours") ||
        !ReadColor(in, m.diffuse, "material colours") || !ReadColor(in, m.specular, "material colours") ||
        !in.f32(skipped, "a material") || !in.f32(strength, "a material") ||
        !in.f32(transparency, "a material") || !in.f32(m.wireWidth, "a material"))
        return false;
    m.hasSubMaterials = multi == 1 ? 1 : 0;
    m.shininess = strength * 80.0f;
    m.opacity = 1.0f - transparency;
    if (!m.hasSubMaterials && !in.f32(selfIllum, "a material")) return false;
    if (!in.u8(subCount, "a sub-material count") || !in.skip(1, "a sub-material count")) return false;
    if (subCount > kMaxMaterialSlots) {
        in.fail("material %d has %u sub-materials, at most %d", m.index, subCount, kMaxMaterialSlots);
        return false;
    }
    m.subMaterialCount = subCount;
    if (!m.hasSubMaterials) return LoadMaterialSlot(in, m, 0, options);
    for (int s = 0; s < subCount; ++s) {
        if (!ReadColor(in, m.ambient, "sub-material colours") ||
            !ReadColor(in, m.diffuse, "sub-material colours") ||
            !ReadColor(in, m.specular, "sub-material colours") || !in.f32(strength, "a sub-material") ||
            !in.f32(selfIllum, "a sub-material"))
            return false;
        m.shininess = strength * 100.0f;
        if (!LoadMaterialSlot(in, m, s, options)) return false;
    }
    return true;
}

bool Scene3D::LoadMaterialSlot(SceneFileReader& in, SceneMaterial& m, int slot,
                               const SceneLoadOptions& options) {
    std::string name;
    if (!in.name(name, "a texture name")) return false;
    if (++textureSlotsRead_ > kMaxMaterialTextures) {
        in.fail("more than %d material textures", kMaxMaterialTextures);
        return false;
    }
    m.textureNames.push_back(name);
    m.slots[slot].index = slot;
    if (!m.texturesPacked) {
        if (options.decodeTextures) LoadTextureFile(m, slot, m.texturePath + name);
        return true;
    }
    int32_t length = 0;
    if (!in.i32(length, "a packed texture length")) return false;
    if (length < 0 || static_cast<size_t>(length) > in.remaining()) {
        in.fail("packed texture \"%s\" of %d bytes runs past the end of the file", name.c_str(), length);
        return false;
    }
    const size_t start = in.position();
    if (options.decodeTextures)
        LoadPackedTexture(m, slot, in.data() + start, static_cast<size_t>(length),
                          in.fileName() + ":" + name);
    // Continue after the stored length, whatever the decoder consumed.
    return in.seek(start + static_cast<size_t>(length), "a packed texture");
}

// ---- cameras ----

bool Scene3D::LoadCameras(SceneFileReader& in) {
    const int n = cameraCount;
    if (n > kMaxSceneCameras) {
        in.fail("%d cameras, at most %d fit a scene", n, kMaxSceneCameras);
        return false;
    }
    if (!in.fits(n, kMinCameraBytes, "cameras")) return false;
    cameras.resize(n);
    for (int i = 0; i < n; ++i) {
        if (!LoadCamera(in, cameras[i])) {
            cameras.resize(i);
            return false;
        }
    }
    return true;
}

bool Scene3D::LoadCamera(SceneFileReader& in, SceneCamera& c) {
    const int32_t capacity = lastFrame + kCameraTrackExtra;
    if (!in.name(c.name, "a camera name") || !ReadPoint(in, c.eye, "a camera eye") ||
        !in.f32(c.angleY, "camera angles") || !in.f32(c.angleX, "camera angles") ||
        !in.f32(c.roll, "camera angles") || !ReadPoint(in, c.target, "a camera target") ||
        !in.u8(c.fovFlag, "a camera"))
        return false;
    if (c.fovFlag == 1) {
        const size_t frames = static_cast<size_t>(lastFrame) + 1;
        if (!in.fits(frames, 4, "field-of-view keys")) return false;
        c.fovKeys.assign(frames, 0.0f);
        for (float& f : c.fovKeys) {
            in.f32(f, "field-of-view keys");
            f *= kFovRadiansToDegrees;
        }
        c.fov = c.fovKeys[0];
    }
    int32_t n = 0;
    if (!in.u8(c.positionFlag, "a camera")) return false;
    if (c.positionFlag == 1) {
        if (!in.trackCount(n, 12, capacity, "a camera position track") ||
            !ReserveTrackBytes(in, capacity * 28u))
            return false;
        c.positionKeys.assign(capacity, CameraKey());
        for (int32_t k = 0; k < n; ++k) ReadPoint(in, c.positionKeys[k].pos, "camera position keys");
        c.positionKeyCount = n;
        if (!in.trackCount(n, 16, capacity, "a camera rotation track")) return false;
        for (int32_t k = 0; k < n; ++k) in.floats(c.positionKeys[k].quat, 4, "camera rotation keys");
        c.rotationKeyCount = n;
    }
    if (!in.u8(c.targetFlag, "a camera")) return false;
    if (c.targetFlag == 1) {
        if (!in.trackCount(n, 12, capacity, "a camera target track") ||
            !ReserveTrackBytes(in, capacity * 12u))
            return false;
        c.targetKeys.assign(capacity, Vec3());
        for (int32_t k = 0; k < n; ++k) ReadPoint(in, c.targetKeys[k], "camera target keys");
        c.targetKeyCount = n;
    }
    return !in.failed();
}

// ---- lights ----

bool Scene3D::LoadLights(SceneFileReader& in) {
    const int n = lightCount;
    if (!in.fits(n, kMinLightBytes, "lights")) return false;
    if (n > kMaxLights)
        logLine("SCENE", in.fileName().c_str(), "%d lights, only the first %d are used", n, kMaxLights);
    lights.resize(n < kMaxLights ? n : kMaxLights);
    SceneLight spare;  // lights past the capacity are read and dropped
    for (int i = 0; i < n; ++i) {
        SceneLight& l = i < kMaxLights ? lights[i] : spare;
        l = SceneLight();
        l.index = i < kMaxLights ? i : 0;
        if (!LoadLight(in, l)) {
            if (i < kMaxLights) lights.resize(i);
            return false;
        }
        l.extent = Vec4{extent.x, extent.y, extent.z, 1.0f};
    }
    return true;
}

void Scene3D::InitLightGlow(SceneLight& l) {
    l.flare = 0;
    l.flareRadius = 120.0f;
    l.glowAngle = l.ringAngle = 0.0f;
    l.glowUpper1 = 21 + Random() % 50;
    l.glowSize1 = static_cast<float>(21 + Random() % l.glowUpper1);
    l.glowUpper2 = 40 + Random() % 50;
    l.glowSize2 = static_cast<float>(Random() % l.glowUpper2);
    l.glowRising1 = l.glowRising2 = 1;
}

bool Scene3D::LoadLight(SceneFileReader& in, SceneLight& l) {
    const int32_t capacity = lastFrame + kLightTrackExtra;
    l.spotCutoff = 90.0f;
    l.spotExponent = 1.15f;
    Vec3 p;
    if (!in.u8(l.hasTarget, "a light") || !ReadPoint(in, p, "a light position")) return false;
    l.position = Vec4{p.x, p.y, p.z, 1.0f};
    if (l.hasTarget) {
        if (!ReadPoint(in, p, "a light target")) return false;
        l.target = Vec4{p.x, p.y, p.z, 1.0f};
    }
    float c[3], s = 0.0f;
    if (!in.vec3(c, "a light colour") || !in.f32(s, "a light intensity")) return false;
    const float extra = std::fabs(1.0f - s);
    l.ambient = ColorRGBA{c[0], c[1], c[2], 1.0f};
    l.diffuse = ColorRGBA{1.25f * c[0], 1.25f * c[1], 1.25f * c[2], 1.0f};
    l.specular = ColorRGBA{c[0] + extra, c[1] + extra, c[2] + extra, 1.0f};
    InitLightGlow(l);
    l.glLight = kGlLight0 + static_cast<uint32_t>(l.index);
    int32_t n = 0;
    if (!in.u8(l.positionFlag, "a light")) return false;
    if (l.positionFlag == 1) {
        if (!in.trackCount(n, 12, capacity, "a light position track") ||
            !ReserveTrackBytes(in, capacity * 16u))
            return false;
        l.positionKeys.assign(capacity, Vec4());
        for (int32_t k = 0; k < n; ++k) {
            ReadPoint(in, p, "light position keys");
            l.positionKeys[k] = Vec4{p.x, p.y, p.z, 1.0f};
        }
        l.positionKeyCount = n;
    }
    if (!l.hasTarget) return !in.failed();
    if (!in.u8(l.targetFlag, "a light")) return false;
    if (l.targetFlag == 1) {
        if (!in.trackCount(n, 12, capacity, "a light target track") || !ReserveTrackBytes(in, capacity * 12u))
            return false;
        l.targetKeys.assign(capacity, Vec3());
        for (int32_t k = 0; k < n; ++k) ReadPoint(in, l.targetKeys[k], "light target keys");
        l.targetKeyCount = n;
    }
    return !in.failed();
}

// ---- shapes ----

bool Scene3D::LoadShapes(SceneFileReader& in, const SceneLoadOptions& options) {
    const int n = shapeCount;
    if (n > kMaxSceneShapes) {
        in.fail("%d shapes, at most %d fit a scene", n, kMaxSceneShapes);
        return false;
    }
    if (!in.fits(n, kMinShapeBytes, "shapes")) return false;
    shapes.resize(n);
    for (int i = 0; i < n; ++i) {
        shapes[i].index = static_cast<uint8_t>(i);
        if (!shapes[i].read(in, options.writeLogs)) {
            shapes.resize(i);
            return false;
        }
    }
    return true;
}

}  // namespace kgl
