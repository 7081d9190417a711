// Model files built in memory for the fuzz seeds and for targets that need a small valid input
// of their own (the scene-script target loads a scene and a lens-flare picture): JPEGs encoded
// with libjpeg, K2D picture files, and scene files written field by field with SceneFileWriter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/kgl_scenefile.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_k2d.h"

namespace kglfuzz {

using Model = std::vector<uint8_t>;

// A w x h gradient (components 3 = RGB, 1 = greyscale), quality 75.
inline Model encodeJpeg(int w, int h, int components, bool progressive, int restartRows = 0) {
    kgl_test::JpegOptions opt;
    opt.quality = 75;
    opt.progressive = progressive;
    opt.restartRows = restartRows;
    return kgl_test::EncodeJpeg(
        w, h, components, [](int x, int y, int k) { return static_cast<uint8_t>(x * 16 + y * 8 + k * 80); },
        opt);
}

using K2DModelEntry = kgl_test::K2DTestEntry;

inline Model buildK2D(const std::vector<K2DModelEntry>& entries) {
    return kgl_test::BuildK2D(entries);
}

// ---- scene files written field by field ----

inline void vec(kgl::SceneFileWriter& w, float x, float y, float z) {
    w.vec3(x, y, z);
}

// A triangle object with every track; `lastFrame` sets the track lengths.
inline void writeObject(kgl::SceneFileWriter& w, const char* name, bool animated, int lastFrame) {
    w.name(name);
    const uint16_t flag = animated ? 1 : 0;
    w.u16(flag);
    w.u16(flag);
    w.u16(flag);
    vec(w, 1, 2, 3);  // pivot
    w.u16(3);         // vertices
    w.u16(1);         // faces
    w.u16(flag);      // morph
    vec(w, 0, 0, 0);
    vec(w, 10, 0, 0);
    vec(w, 0, 10, 0);
    for (uint16_t v : {0, 1, 2, 0}) w.u16(v);  // face a, b, c, material id
    w.u16(3);                                  // texture vertices
    for (int i = 0; i < 3; ++i) {
        w.f32(i * 0.5f);
        w.f32(1.0f - i * 0.5f);
        w.f32(0.0f);
    }
    for (uint16_t t : {0, 1, 2}) w.u16(t);
    vec(w, 0, 0, 1);  // face normal
    for (int i = 0; i < 3; ++i) vec(w, 0, 0, 1);
    w.u16(0);  // material index
    if (!animated) return;
    w.i32(lastFrame + 1);
    for (int k = 0; k <= lastFrame; ++k) vec(w, float(k), 0, 0);
    w.i32(lastFrame + 1);
    for (int k = 0; k <= lastFrame; ++k) {
        vec(w, 0, 0, 1);
        w.f32(0.1f);
    }
    w.i32(lastFrame + 1);
    for (int k = 0; k <= lastFrame; ++k) vec(w, 1, 1, 1);
    for (int k = 0; k <= lastFrame; ++k)
        for (int v = 0; v < 3; ++v) vec(w, float(v), float(k), 0);
}

inline void writeMaterial(kgl::SceneFileWriter& w, const Model& jpeg, bool multi) {
    w.i32(multi ? 1 : 0);
    for (int c = 0; c < 3; ++c) vec(w, 0.2f * c, 0.5f, 0.8f);
    w.f32(0.1f);              // not used
    w.f32(0.4f);              // shininess strength
    w.f32(0.25f);             // transparency
    w.f32(1.0f);              // wire width
    if (!multi) w.f32(0.0f);  // self illumination
    w.u8(multi ? 2 : 0);
    w.u8(0);
    const int slots = multi ? 2 : 1;
    for (int s = 0; s < slots; ++s) {
        if (multi) {
            for (int c = 0; c < 3; ++c) vec(w, 0.3f, 0.3f, 0.3f);
            w.f32(0.5f);
            w.f32(0.0f);
        }
        w.name(s == 0 ? "wall.jpg" : "floor.jpg");
        w.packedTexture(jpeg);
    }
}

inline void writeCamera(kgl::SceneFileWriter& w, const char* name, bool animated, int lastFrame) {
    w.name(name);
    vec(w, 0, -100, 20);
    w.f32(0.0f);
    w.f32(10.0f);
    w.f32(0.0f);
    vec(w, 0, 0, 0);
    w.u8(animated ? 1 : 0);  // field of view track
    if (animated)
        for (int k = 0; k <= lastFrame; ++k) w.f32(0.7854f);
    w.u8(animated ? 1 : 0);  // position and rotation tracks
    if (animated) {
        w.i32(lastFrame + 1);
        for (int k = 0; k <= lastFrame; ++k) vec(w, 0, -100.0f + k, 20);
        w.i32(lastFrame + 1);
        for (int k = 0; k <= lastFrame; ++k) {
            vec(w, 0, 0, 0);
            w.f32(1.0f);
        }
    }
    w.u8(animated ? 1 : 0);  // target track
    if (animated) {
        w.i32(lastFrame + 1);
        for (int k = 0; k <= lastFrame; ++k) vec(w, 0, float(k), 0);
    }
}

inline void writeLight(kgl::SceneFileWriter& w, bool targeted, bool animated, int lastFrame) {
    w.u8(targeted ? 1 : 0);
    vec(w, 50, 50, 50);
    if (targeted) vec(w, 0, 0, 0);
    vec(w, 1.0f, 0.9f, 0.8f);
    w.f32(1.0f);
    w.u8(animated ? 1 : 0);
    if (animated) {
        w.i32(lastFrame + 1);
        for (int k = 0; k <= lastFrame; ++k) vec(w, 50, 50, float(k));
    }
    if (!targeted) return;
    w.u8(animated ? 1 : 0);
    if (animated) {
        w.i32(lastFrame + 1);
        for (int k = 0; k <= lastFrame; ++k) vec(w, 0, 0, float(k));
    }
}

inline void writeShape(kgl::SceneFileWriter& w, const char* name, int points) {
    w.name(name);
    vec(w, 0, 0, 0);
    w.u16(static_cast<uint16_t>(points));
    for (int i = 0; i < points; ++i) vec(w, float(i), float(i * i), 0);
}

inline Model testScene(bool animated, bool multi, int lastFrame) {
    const Model jpeg = encodeJpeg(4, 4, 3, false);
    kgl::SceneFileWriter w;
    w.writeHeaderText();
    w.writeFrameValues(static_cast<uint16_t>(lastFrame), 30, 160);
    writeObject(w, "Box01", animated, lastFrame);
    writeObject(w, "Sphere01", false, lastFrame);
    writeMaterial(w, jpeg, multi);
    writeCamera(w, "Camera01", animated, lastFrame);
    writeLight(w, true, animated, lastFrame);
    writeLight(w, false, false, lastFrame);
    writeShape(w, "Bline01", 4);
    kgl::SceneFileCounts counts;
    counts.objects = 2;
    counts.cameras = 1;
    counts.lastFrameCopy = static_cast<uint16_t>(lastFrame);
    counts.materials = 1;
    counts.lights = 2;
    counts.sampleCounter = static_cast<uint16_t>(lastFrame + 1);
    counts.shapes = 1;
    w.writeCounts(counts);
    return w.bytes();
}

}  // namespace kglfuzz
