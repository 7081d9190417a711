// Bytes files built in memory for the fuzz seeds and for targets that need a small valid input
// of their own (the scene-script target loads a scene and a lens-flare picture), made with the
// tests' own JPEG encoder, K2D builder and scene writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_k2d.h"
#include "tests/unit/kgl_test_scene.h"

namespace kgl_test {

using Bytes = std::vector<uint8_t>;

// A w x h gradient (components 3 = RGB, 1 = greyscale), quality 75.
inline Bytes GradientJpeg(int w, int h, int components, bool progressive, int restartRows = 0) {
    JpegOptions opt;
    opt.quality = 75;
    opt.progressive = progressive;
    opt.restartRows = restartRows;
    return EncodeJpeg(
        w, h, components, [](int x, int y, int k) { return static_cast<uint8_t>(x * 16 + y * 8 + k * 80); },
        opt);
}

// A scene file with two objects, a material, a camera, a targeted and an omni light and a shape;
// with `animated` every track holds lastFrame + 1 keys and the first object morphs, with `multi`
// the material has two sub-materials. Textures are packed.
inline Bytes testScene(bool animated, bool multi, int lastFrame) {
    const Bytes jpeg = GradientJpeg(4, 4, 3, false);
    TestScene s;
    s.lastFrame = static_cast<uint16_t>(lastFrame);
    s.packed = true;
    TestObject box;
    box.pivot[0] = 1;
    box.pivot[1] = 2;
    box.pivot[2] = 3;
    box.vertices = {0, 0, 0, 10, 0, 0, 0, 10, 0};
    box.texVerts = {0, 1, 0, 0.5f, 0.5f, 0, 1, 0, 0};
    box.texFaces = {0, 1, 2};
    TestObject sphere = box;
    sphere.name = "Sphere01";
    TestCamera camera;
    camera.eye[1] = -100;
    camera.eye[2] = 20;
    camera.angles[1] = 10;
    TestLight spot;
    spot.target = true;
    spot.pos[0] = spot.pos[1] = spot.pos[2] = 50;
    TestLight omni = spot;
    omni.target = false;
    if (animated) {
        box.position = box.rotation = box.scale = true;
        camera.eyeAnim = camera.targetAnim = spot.anim = spot.targetAnim = true;
        for (int k = 0; k <= lastFrame; ++k) {
            const float f = static_cast<float>(k);
            box.positionKeys.insert(box.positionKeys.end(), {f, 0, 0});
            box.rotationKeys.insert(box.rotationKeys.end(), {0, 0, 1, 0.1f});
            box.scaleKeys.insert(box.scaleKeys.end(), {1, 1, 1});
            for (int v = 0; v < 3; ++v) box.morph.insert(box.morph.end(), {static_cast<float>(v), f, 0});
            camera.fov.push_back(0.7854f);
            camera.eyeKeys.insert(camera.eyeKeys.end(), {0, -100.0f + f, 20});
            camera.eyeQuats.insert(camera.eyeQuats.end(), {0, 0, 0, 1});
            camera.targetKeys.insert(camera.targetKeys.end(), {0, f, 0});
            spot.keys.insert(spot.keys.end(), {50, 50, f});
            spot.targetKeys.insert(spot.targetKeys.end(), {0, 0, f});
        }
    }
    TestMaterial material;
    material.multi = multi;
    material.texture = "wall.jpg";
    material.packed = jpeg;
    if (multi) {
        material.subs.resize(2);
        material.subs[0].texture = "wall.jpg";
        material.subs[1].texture = "floor.jpg";
        for (TestSub& sub : material.subs) sub.packed = jpeg;
    }
    TestShape shape;
    shape.name = "Bline01";
    for (int i = 0; i < 4; ++i) shape.points.insert(shape.points.end(), {float(i), float(i * i), 0});
    s.objects = {box, sphere};
    s.materials = {material};
    s.cameras = {camera};
    s.lights = {spot, omni};
    s.shapes = {shape};
    return WriteScene(s);
}

}  // namespace kgl_test
