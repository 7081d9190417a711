// Model files built in memory for the fuzz seeds and for targets that need a small valid input
// of their own (the scene-script target loads a scene and a lens-flare picture): JPEGs encoded
// with libjpeg, K2D picture files, and scene files written field by field with SceneFileWriter.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it needs size_t and FILE

#include "scene/kgl_scenefile.h"

namespace kglfuzz {

using Model = std::vector<uint8_t>;

// A w x h gradient (components 3 = RGB, 1 = greyscale).
inline Model encodeJpeg(int w, int h, int components, bool progressive, int restartRows = 0) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 75, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    c.restart_in_rows = restartRows;
    jpeg_start_compress(&c, TRUE);
    Model row(static_cast<size_t>(w) * components);
    while (c.next_scanline < c.image_height) {
        const int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < components; ++k)
                row[static_cast<size_t>(x) * components + k] = static_cast<uint8_t>(x * 16 + y * 8 + k * 80);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Model bytes(out, out + size);
    std::free(out);
    jpeg_destroy_compress(&c);
    return bytes;
}

struct K2DModelEntry {
    std::string name;
    uint8_t slot;
    Model data;
};

// Header (28 bytes, not interpreted), one skipped byte, the count, then per entry the name
// length and name, slot, int32 length, the bytes and one further byte.
inline Model buildK2D(const std::vector<K2DModelEntry>& entries) {
    Model out(28, 'h');
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(entries.size()));
    for (const K2DModelEntry& e : entries) {
        out.push_back(static_cast<uint8_t>(e.name.size()));
        out.insert(out.end(), e.name.begin(), e.name.end());
        out.push_back(e.slot);
        const uint32_t n = static_cast<uint32_t>(e.data.size());
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
        out.insert(out.end(), e.data.begin(), e.data.end());
        out.push_back(0xee);
    }
    return out;
}

// ---- scene files written field by field ----

inline void vec(kgl::SceneFileWriter& w, float x, float y, float z) { w.vec3(x, y, z); }

// A triangle object with every track; `lastFrame` sets the track lengths.
inline void writeObject(kgl::SceneFileWriter& w, const char* name, bool animated, int lastFrame) {
    w.name(name);
    const uint16_t flag = animated ? 1 : 0;
    w.u16(flag);
    w.u16(flag);
    w.u16(flag);
    vec(w, 1, 2, 3);           // pivot
    w.u16(3);                  // vertices
    w.u16(1);                  // faces
    w.u16(flag);               // morph
    vec(w, 0, 0, 0);
    vec(w, 10, 0, 0);
    vec(w, 0, 10, 0);
    for (uint16_t v : {0, 1, 2, 0}) w.u16(v);  // face a, b, c, material id
    w.u16(3);                  // texture vertices
    for (int i = 0; i < 3; ++i) {
        w.f32(i * 0.5f);
        w.f32(1.0f - i * 0.5f);
        w.f32(0.0f);
    }
    for (uint16_t t : {0, 1, 2}) w.u16(t);
    vec(w, 0, 0, 1);           // face normal
    for (int i = 0; i < 3; ++i) vec(w, 0, 0, 1);
    w.u16(0);                  // material index
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
    w.f32(0.1f);   // not used
    w.f32(0.4f);   // shininess strength
    w.f32(0.25f);  // transparency
    w.f32(1.0f);   // wire width
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
