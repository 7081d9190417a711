// Test helper: writes scene files record by record with SceneFileWriter, from a description of
// each record that starts from small valid values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/kgl_scenefile.h"

namespace kgl_test {

struct TestObject {
    std::string name = "Box01";
    float pivot[3] = {0, 0, 0};
    std::vector<float> vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};  // file x, y, z
    std::vector<uint16_t> faces = {0, 1, 2, 0};                 // a, b, c, material id
    std::vector<float> texVerts = {0, 0, 0};
    std::vector<uint16_t> texFaces = {0, 0, 0};
    uint16_t material = 0;
    float normal[3] = {0, 0, 1};                               // every face and vertex normal
    std::vector<float> positionKeys, rotationKeys, scaleKeys;  // 3, 4, 3 floats per key
    bool position = false, rotation = false, scale = false;
    std::vector<float> morph;  // (L + 1) * V * 3, or empty
};

struct TestSub {
    float colors[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    float strength = 0.5f, selfIllum = 0.0f;
    std::string texture = "tex.jpg";
    std::vector<uint8_t> packed;
};

struct TestMaterial {
    bool multi = false;
    float colors[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    float shine = 0.1f, strength = 0.25f, transparency = 0.0f, wire = 2.0f, selfIllum = 0.0f;
    std::string texture = "tex.jpg";
    std::vector<uint8_t> packed;
    std::vector<TestSub> subs;
};

struct TestCamera {
    std::string name = "Camera01";
    float eye[3] = {0, -10, 0}, angles[3] = {0, 0, 0}, target[3] = {0, 0, 0};
    std::vector<float> fov;  // L + 1 values or empty
    std::vector<float> eyeKeys, eyeQuats, targetKeys;
    bool eyeAnim = false, targetAnim = false;
};

struct TestLight {
    bool target = false;
    float pos[3] = {1, 2, 3}, targetPos[3] = {0, 0, 0}, color[3] = {0.4f, 0.4f, 0.4f};
    float intensity = 1.0f;
    std::vector<float> keys, targetKeys;
    bool anim = false, targetAnim = false;
};

struct TestShape {
    std::string name = "Bez01";
    float pivot[3] = {0, 0, 0};
    std::vector<float> points;
};

struct TestScene {
    uint16_t lastFrame = 4, frameSpeed = 30, ticksPerFrame = 160;
    bool packed = false;
    std::vector<TestObject> objects;
    std::vector<TestMaterial> materials;
    std::vector<uint8_t> gapBeforeCameras;  // bytes written between materials and cameras
    std::vector<TestCamera> cameras;
    std::vector<TestLight> lights;
    std::vector<TestShape> shapes;
};

inline void WriteFloats(kgl::SceneFileWriter& w, const float* f, size_t n) {
    for (size_t i = 0; i < n; ++i) w.f32(f[i]);
}

inline void WriteTrack(kgl::SceneFileWriter& w, const std::vector<float>& keys, size_t perKey) {
    const size_t at = w.beginTrack();
    WriteFloats(w, keys.data(), keys.size());
    w.endTrack(at, static_cast<int32_t>(keys.size() / perKey));
}

inline void WriteObject(kgl::SceneFileWriter& w, const TestObject& o) {
    w.name(o.name);
    w.u16(o.position);
    w.u16(o.rotation);
    w.u16(o.scale);
    WriteFloats(w, o.pivot, 3);
    w.u16(static_cast<uint16_t>(o.vertices.size() / 3));
    w.u16(static_cast<uint16_t>(o.faces.size() / 4));
    w.u16(o.morph.empty() ? 0 : 1);
    WriteFloats(w, o.vertices.data(), o.vertices.size());
    for (uint16_t v : o.faces) w.u16(v);
    w.u16(static_cast<uint16_t>(o.texVerts.size() / 3));
    WriteFloats(w, o.texVerts.data(), o.texVerts.size());
    for (uint16_t v : o.texFaces) w.u16(v);
    const size_t normals = o.faces.size() / 4 + o.vertices.size() / 3;  // faces', then vertices'
    for (size_t i = 0; i < normals; ++i) WriteFloats(w, o.normal, 3);
    w.u16(o.material);
    if (o.position) WriteTrack(w, o.positionKeys, 3);
    if (o.rotation) WriteTrack(w, o.rotationKeys, 4);
    if (o.scale) WriteTrack(w, o.scaleKeys, 3);
    WriteFloats(w, o.morph.data(), o.morph.size());
}

inline void WriteTexture(kgl::SceneFileWriter& w, bool packed, const std::string& name,
                         const std::vector<uint8_t>& data) {
    w.name(name);
    if (packed) w.packedTexture(data);
}

inline void WriteMaterial(kgl::SceneFileWriter& w, const TestMaterial& m, bool packed) {
    w.i32(m.multi ? 1 : 0);
    WriteFloats(w, m.colors, 9);
    w.f32(m.shine);
    w.f32(m.strength);
    w.f32(m.transparency);
    w.f32(m.wire);
    if (!m.multi) w.f32(m.selfIllum);
    w.u16(static_cast<uint16_t>(m.subs.size()));
    if (!m.multi) {
        WriteTexture(w, packed, m.texture, m.packed);
        return;
    }
    for (const TestSub& s : m.subs) {
        WriteFloats(w, s.colors, 9);
        w.f32(s.strength);
        w.f32(s.selfIllum);
        WriteTexture(w, packed, s.texture, s.packed);
    }
}

inline void WriteCamera(kgl::SceneFileWriter& w, const TestCamera& c) {
    w.name(c.name);
    WriteFloats(w, c.eye, 3);
    WriteFloats(w, c.angles, 3);
    WriteFloats(w, c.target, 3);
    w.u8(c.fov.empty() ? 0 : 1);
    WriteFloats(w, c.fov.data(), c.fov.size());
    w.u8(c.eyeAnim);
    if (c.eyeAnim) {
        WriteTrack(w, c.eyeKeys, 3);
        WriteTrack(w, c.eyeQuats, 4);
    }
    w.u8(c.targetAnim);
    if (c.targetAnim) WriteTrack(w, c.targetKeys, 3);
}

inline void WriteLight(kgl::SceneFileWriter& w, const TestLight& l) {
    w.u8(l.target);
    WriteFloats(w, l.pos, 3);
    if (l.target) WriteFloats(w, l.targetPos, 3);
    WriteFloats(w, l.color, 3);
    w.f32(l.intensity);
    w.u8(l.anim);
    if (l.anim) WriteTrack(w, l.keys, 3);
    if (!l.target) return;
    w.u8(l.targetAnim);
    if (l.targetAnim) WriteTrack(w, l.targetKeys, 3);
}

inline std::vector<uint8_t> WriteScene(const TestScene& s) {
    kgl::SceneFileWriter w;
    w.writeHeaderText();
    w.writeFrameValues(s.lastFrame, s.frameSpeed, s.ticksPerFrame);
    for (const TestObject& o : s.objects) WriteObject(w, o);
    for (const TestMaterial& m : s.materials) WriteMaterial(w, m, s.packed);
    w.raw(s.gapBeforeCameras.data(), s.gapBeforeCameras.size());
    for (const TestCamera& c : s.cameras) WriteCamera(w, c);
    for (const TestLight& l : s.lights) WriteLight(w, l);
    for (const TestShape& sh : s.shapes) {
        w.name(sh.name);
        WriteFloats(w, sh.pivot, 3);
        w.u16(static_cast<uint16_t>(sh.points.size() / 3));
        WriteFloats(w, sh.points.data(), sh.points.size());
    }
    kgl::SceneFileCounts c;
    c.objects = static_cast<uint16_t>(s.objects.size());
    c.cameras = static_cast<uint16_t>(s.cameras.size());
    c.lastFrameCopy = s.lastFrame;
    c.materials = static_cast<uint16_t>(s.materials.size());
    c.lights = static_cast<uint16_t>(s.lights.size());
    c.sampleCounter = s.lastFrame + 1;
    c.shapes = static_cast<uint16_t>(s.shapes.size());
    w.writeCounts(c);
    return w.bytes();
}

}  // namespace kgl_test
