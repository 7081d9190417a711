// Test helpers for the ASE importer: the literal character-by-character token search (the
// reference the fast one must match), a walker that reads a converted scene file back field by
// field with every bound checked, and a scratch directory per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"
#include "import/kgl_import.h"
#include "scene/kgl_scenefile.h"

namespace kgl::testing_import {

// The running comparison exactly as described: one character at a time, the counter drops to 0
// on a mismatch and that character is not compared again.
inline size_t literalFindHit(const AseText& text, size_t from, size_t limit, const char* token) {
    const size_t len = std::strlen(token);
    size_t matched = 0;
    for (size_t i = from; i < limit; ++i) {
        matched = text.data()[i] == token[matched] ? matched + 1 : 0;
        if (matched == len) return i + 1;
    }
    return kAseNoHit;
}

inline int literalSkipToInBlock(AseText& text, const char* token) {
    const size_t len = std::strlen(token);
    size_t matched = 0;
    for (;;) {
        const int c = text.get();
        if (c == kAseEnd) return 0;
        if (c == '}') {
            text.get();
            return 2;
        }
        matched = c == static_cast<unsigned char>(token[matched]) ? matched + 1 : 0;
        if (matched == len) return 1;
    }
}

inline const AseScanOps& literalScan() {
    static const AseScanOps ops{literalFindHit, literalSkipToInBlock};
    return ops;
}

inline std::string scratchDir() {
    std::string pattern = ::testing::TempDir() + "kgl_import_XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const char* dir = mkdtemp(buf.data());
    return dir ? std::string(dir) + "/" : std::string();
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct K3dObject {
    std::string name;
    uint16_t flags[3] = {0, 0, 0};
    float pivot[3] = {0, 0, 0};
    uint16_t v = 0, f = 0, morph = 0, t = 0, material = 0;
    std::vector<float> vertices, texVertices, faceNormals, vertexNormals, morphFrames;
    std::vector<uint16_t> faces, texFaces;
    int32_t tracks[3] = {-1, -1, -1};
    std::vector<float> trackValues[3];
};

struct K3dMaterial {
    int32_t multi = 0;
    float colours[9] = {};
    float shine = 0, shineStrength = 0, transparency = 0, wireSize = 0, selfIllum = 0;
    uint16_t subCount = 0;
    std::vector<std::string> textures;
    std::vector<std::vector<uint8_t>> packed;
};

struct K3dCamera {
    std::string name;
    float eye[3] = {}, axis[3] = {}, target[3] = {};
    uint8_t fovFlag = 0, eyeFlag = 0, targetFlag = 0;
    std::vector<float> fov;
    int32_t posN = -1, rotN = -1, targetN = -1;
};

struct K3dLight {
    uint8_t type = 0, anim = 0, targetAnim = 0;
    float pos[3] = {}, target[3] = {}, colour[3] = {};
    float intensity = 0;
    int32_t n = -1, targetN = -1;
};

struct K3dShape {
    std::string name;
    float pivot[3] = {};
    std::vector<float> points;
};

struct K3dScene {
    SceneFileHeader header;
    std::vector<K3dObject> objects;
    std::vector<K3dMaterial> materials;
    std::vector<K3dCamera> cameras;
    std::vector<K3dLight> lights;
    std::vector<K3dShape> shapes;
};

class K3dWalker {
public:
    K3dWalker(const std::vector<uint8_t>& bytes, bool packed) : r_(bytes, "walk"), packed_(packed) {}

    // Reads every section in order; true when all of it fits and nothing is left over but the
    // header text's padding (a file is never shorter than the 69-character header text).
    bool walk(K3dScene& s) {
        if (!r_.header(s.header)) return false;
        last_ = s.header.frames.lastFrame;
        for (int i = 0; i < s.header.counts.objects && !r_.failed(); ++i) object(s.objects.emplace_back());
        for (int i = 0; i < s.header.counts.materials && !r_.failed(); ++i)
            material(s.materials.emplace_back());
        for (int i = 0; i < s.header.counts.cameras && !r_.failed(); ++i) camera(s.cameras.emplace_back());
        for (int i = 0; i < s.header.counts.lights && !r_.failed(); ++i) light(s.lights.emplace_back());
        for (int i = 0; i < s.header.counts.shapes && !r_.failed(); ++i) shape(s.shapes.emplace_back());
        const size_t end = r_.position() + r_.remaining();
        return !r_.failed() &&
               (r_.remaining() == 0 || (end == kSceneHeaderTextLength && r_.position() < end));
    }

private:
    void floats(std::vector<float>& out, size_t n, const char* what) {
        if (!r_.fits(n, 4, what)) return;
        out.resize(n);
        r_.floats(out.data(), n, what);
    }
    void shorts(std::vector<uint16_t>& out, size_t n, const char* what) {
        if (!r_.fits(n, 2, what)) return;
        out.resize(n);
        for (auto& x : out) r_.u16(x, what);
    }
    void track(int32_t& n, std::vector<float>& values, int width, int32_t max, const char* what) {
        if (r_.trackCount(n, 4 * width, max, what)) floats(values, static_cast<size_t>(n) * width, what);
    }
    void object(K3dObject& o) {
        r_.name(o.name, "object name");
        for (auto& f : o.flags) r_.u16(f, "track flag");
        r_.vec3(o.pivot, "pivot");
        r_.u16(o.v, "V");
        r_.u16(o.f, "F");
        r_.u16(o.morph, "morph");
        floats(o.vertices, o.v * 3u, "vertices");
        shorts(o.faces, o.f * 4u, "faces");
        r_.u16(o.t, "T");
        floats(o.texVertices, o.t * 3u, "tverts");
        shorts(o.texFaces, o.f * 3u, "tfaces");
        floats(o.faceNormals, o.f * 3u, "face normals");
        floats(o.vertexNormals, o.v * 3u, "vertex normals");
        r_.u16(o.material, "material");
        static const int kWidth[3] = {3, 4, 3};
        for (int k = 0; k < 3; ++k)
            if (o.flags[k]) track(o.tracks[k], o.trackValues[k], kWidth[k], last_ + 3, "object track");
        if (o.morph) floats(o.morphFrames, (last_ + 1u) * o.v * 3u, "morph");
    }
    void texture(K3dMaterial& m) {
        r_.name(m.textures.emplace_back(), "texture");
        if (!packed_) return;
        int32_t len = 0;
        if (!r_.i32(len, "packed length") || len < 0 || !r_.fits(static_cast<size_t>(len), 1, "packed")) {
            r_.fail("bad packed length");
            return;
        }
        auto& bytes = m.packed.emplace_back(static_cast<size_t>(len));
        r_.skip(0, "packed");
        for (auto& b : bytes) r_.u8(b, "packed");
    }
    void material(K3dMaterial& m) {
        r_.i32(m.multi, "multi");
        r_.floats(m.colours, 9, "colours");
        r_.f32(m.shine, "shine");
        r_.f32(m.shineStrength, "shine strength");
        r_.f32(m.transparency, "transparency");
        r_.f32(m.wireSize, "wire size");
        if (!m.multi) r_.f32(m.selfIllum, "self illum");
        r_.u16(m.subCount, "sub count");
        if (m.subCount > kMaxSubMaterials) r_.fail("too many sub-materials");
        if (!m.multi) {
            texture(m);
            return;
        }
        for (int i = 0; i < m.subCount && !r_.failed(); ++i) {
            float sub[11];
            r_.floats(sub, 11, "sub-material");
            texture(m);
        }
    }
    void camera(K3dCamera& c) {
        r_.name(c.name, "camera name");
        r_.vec3(c.eye, "eye");
        r_.vec3(c.axis, "axis");
        r_.vec3(c.target, "target");
        r_.u8(c.fovFlag, "fov flag");
        if (c.fovFlag) floats(c.fov, last_ + 1u, "fov");
        r_.u8(c.eyeFlag, "eye flag");
        std::vector<float> scratch;
        if (c.eyeFlag) {
            track(c.posN, scratch, 3, last_ + 3, "camera pos");
            track(c.rotN, scratch, 4, last_ + 3, "camera rot");
        }
        r_.u8(c.targetFlag, "target flag");
        if (c.targetFlag) track(c.targetN, scratch, 3, last_ + 3, "camera target");
    }
    void light(K3dLight& l) {
        r_.u8(l.type, "light type");
        if (l.type > 1) r_.fail("light type %u", l.type);
        r_.vec3(l.pos, "light pos");
        if (l.type == 1) r_.vec3(l.target, "light target");
        r_.vec3(l.colour, "light colour");
        r_.f32(l.intensity, "intensity");
        r_.u8(l.anim, "light anim");
        std::vector<float> scratch;
        if (l.anim) track(l.n, scratch, 3, last_ + 1, "light track");
        if (l.type == 1) {
            r_.u8(l.targetAnim, "light target anim");
            if (l.targetAnim) track(l.targetN, scratch, 3, last_ + 1, "light target track");
        }
    }
    void shape(K3dShape& s) {
        r_.name(s.name, "shape name");
        r_.vec3(s.pivot, "shape pivot");
        uint16_t n = 0;
        r_.u16(n, "shape points");
        floats(s.points, n * 3u, "shape points");
    }

    SceneFileReader r_;
    bool packed_;
    int last_ = 0;
};

inline bool walkK3d(const std::vector<uint8_t>& bytes, bool packed, K3dScene& out) {
    return K3dWalker(bytes, packed).walk(out);
}

// Converts `ase` (text) in a fresh scratch directory; returns Run's result and fills the outputs.
struct Conversion {
    int result = 0;
    ImportStatus status = ImportStatus::NothingToDo;
    std::string message, log, dir;
    std::vector<uint8_t> bytes;
    K3dScene scene;
    bool walked = false;
};

inline Conversion convertText(const std::string& ase, bool literal = false, bool pack = false,
                              const std::string& texdir = std::string(),
                              const std::string& dir = std::string(), bool repair = false) {
    Conversion c;
    c.dir = dir.empty() ? scratchDir() : dir;
    std::remove((c.dir + "out.k3d").c_str());
    std::remove((c.dir + "debug.log").c_str());
    writeText(c.dir + "in.ase", ase);
    AseImporter imp;
    imp.SetInputFile(c.dir + "in.ase");
    imp.SetOutputFile(c.dir + "out.k3d");
    imp.SetLogFile(c.dir + "debug.log");
    imp.SetTextureDir(texdir);
    imp.SetPackTextures(pack);
    imp.SetExitOnFatal(false);
    imp.SetRepair(repair);
    if (literal) imp.SetScanOps(literalScan());
    c.result = imp.Run();
    c.status = imp.status();
    c.message = imp.message();
    c.log = readText(c.dir + "debug.log");
    readFile(c.dir + "out.k3d", c.bytes);
    if (c.result == 0) c.walked = walkK3d(c.bytes, pack, c.scene);
    if (dir.empty()) std::filesystem::remove_all(c.dir);  // everything needed has been read
    return c;
}

}  // namespace kgl::testing_import
