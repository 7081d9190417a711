// kgl info for scene files and K2D pictures: a plain-text summary read with the show's own
// readers (the scene model without images or logs; the shared K2D entry walk).
#include <cctype>
#include <cstring>
#include <string>

#include "app/kgl_info.h"
#include "common/kgl_bytes.h"
#include "image/kgl_jpeg.h"
#include "image/kgl_k2d.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scenefile.h"

namespace kgl {
namespace {

bool HasSceneMagic(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= kSceneMagicLength &&
           std::memcmp(bytes.data(), kSceneMagic, kSceneMagicLength) == 0;
}

bool EndsWithK2D(const char* path) {
    const size_t n = std::strlen(path);
    if (n < 4) return false;
    std::string ext(path + n - 4);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".k2d";
}

void PrintObjects(const Scene3D& s, FILE* out) {
    for (const SceneObject& o : s.objects) {
        std::fprintf(out, "object \"%s\" vertices %d faces %d material %u", o.name, o.vertexCount,
                     o.faceCount, o.materialIndex);
        if (o.hasPositionTrack()) std::fprintf(out, " position");
        if (o.hasRotationTrack()) std::fprintf(out, " rotation");
        if (o.hasScaleTrack()) std::fprintf(out, " scale");
        if (o.hasMorphTrack()) std::fprintf(out, " morph");
        std::fprintf(out, "\n");
    }
}

void PrintCamerasLightsShapes(const Scene3D& s, FILE* out) {
    for (const SceneCamera& c : s.cameras) {
        std::fprintf(out, "camera \"%s\"", c.name.c_str());
        if (c.fovFlag == 1) std::fprintf(out, " fov");
        if (c.positionFlag == 1) std::fprintf(out, " eye");
        if (c.targetFlag == 1) std::fprintf(out, " target");
        std::fprintf(out, "\n");
    }
    for (const SceneLight& l : s.lights)
        std::fprintf(out, "light %s%s\n", l.hasTarget ? "target" : "omni",
                     l.positionFlag == 1 || l.targetFlag == 1 ? " animated" : "");
    for (const BezierShape& b : s.shapes)
        std::fprintf(out, "shape \"%s\" points %d\n", b.name.c_str(), b.count);
}

}  // namespace

int infoScene(const char* path, bool packed, FILE* out) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes) || !HasSceneMagic(bytes)) return kNotMyKind;
    Scene3D scene;
    scene.SetTexturePath("", packed);
    SceneLoadOptions options;
    options.decodeTextures = false;
    options.writeLogs = false;
    const bool ok = scene.LoadFromBytes(bytes, path, options);
    std::fprintf(out, "objects %u\ncameras %u\nmaterials %u\nlights %u\nshapes %u\n", scene.objectCount,
                 scene.cameraCount, scene.materialCount, scene.lightCount, scene.shapeCount);
    std::fprintf(out, "lastframe %d\nframespeed %d\nticksperframe %d\n", scene.lastFrame, scene.frameSpeed,
                 scene.ticksPerFrame);
    PrintObjects(scene, out);
    PrintCamerasLightsShapes(scene, out);
    return ok ? 0 : 1;
}

namespace {

// A K2D file has no magic: it is taken as one when its entries walk to the end of the file and
// each holds a JPEG stream.
bool LooksLikeK2D(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kK2DEntriesOffset + 2 || bytes[kK2DEntriesOffset + 1] == 0) return false;
    ByteReader in(bytes);
    in.seek(kK2DEntriesOffset + 1);
    uint8_t count = 0;
    in.u8(count);
    for (int i = 0; i < count; ++i) {
        uint8_t nameLength = 0, slot = 0;
        int32_t length = 0;
        if (!in.u8(nameLength) || !in.skip(nameLength) || !in.u8(slot) || !in.i32(length)) return false;
        if (length < 2 || static_cast<size_t>(length) > in.remaining()) return false;
        if (bytes[in.position()] != 0xff || bytes[in.position() + 1] != 0xd8) return false;
        if (!in.skip(static_cast<size_t>(length))) return false;
        if (i + 1 < count && !in.skip(1)) return false;
    }
    return in.remaining() <= 1;
}

}  // namespace

int infoK2D(const char* path, FILE* out) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes)) return kNotMyKind;
    if (!LooksLikeK2D(bytes) && !EndsWithK2D(path)) return kNotMyKind;
    const int declared = bytes.size() > kK2DEntriesOffset + 1 ? bytes[kK2DEntriesOffset + 1] : 0;
    std::fprintf(out, "entries %d\n", declared);
    const int seen = WalkK2D(bytes, path, [&](const K2DEntry& e) {
        JpegReader reader;
        reader.SetName(std::string(path) + ":" + e.name);
        int w = 0, h = 0;
        if (reader.ProbeMemory(e.data, e.size)) {
            w = reader.Width();
            h = reader.Height();
        }
        std::fprintf(out, "entry \"%s\" slot %u bytes %zu %dx%d\n", e.name.c_str(), e.slot, e.size, w, h);
        return true;
    });
    return seen == declared ? 0 : 1;
}

}  // namespace kgl
