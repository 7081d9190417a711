// In-memory scene of the show generator and its ASE text exporter. Scenes are built in the
// engine's Y-up frame; the exporter writes them Z-up, in the line layout of the modelling
// package's ASCII export with sampled keys (one sample per frame), which the importer reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgl {
namespace showgen {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 v3(float x, float y, float z) {
    return V3{x, y, z};
}
inline V3 operator+(V3 a, V3 b) {
    return v3(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline V3 operator-(V3 a, V3 b) {
    return v3(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline V3 operator*(V3 a, float k) {
    return v3(a.x * k, a.y * k, a.z * k);
}
V3 cross(V3 a, V3 b);
float dot(V3 a, V3 b);
float length(V3 a);
V3 normalize(V3 a);

struct Face {
    int a = 0, b = 0, c = 0;
    int mtl = 0;  // sub-material id
};

// A triangle mesh with one texture coordinate per vertex (u, v in 0..1).
struct Mesh {
    std::vector<V3> v;
    std::vector<float> u, w;  // texture u and v per vertex
    std::vector<Face> f;

    int addVertex(V3 p, float tu, float tv);
    void addFace(int a, int b, int c, int mtl = 0);
    void append(const Mesh& other);
    void translate(V3 d);
    void flipWinding();
};

struct Material {
    std::string name;
    V3 ambient = v3(0.2f, 0.2f, 0.2f), diffuse = v3(0.8f, 0.8f, 0.8f), specular = v3(0.9f, 0.9f, 0.9f);
    float shine = 0.25f, shineStrength = 0.4f, transparency = 0.0f, selfIllum = 0.0f;
    std::string texture;  // bare file name of the diffuse bitmap
    std::vector<Material> subs;
};

struct RotKey {
    V3 axis = v3(0, 1, 0);
    float angle = 0;  // radians, increment over the previous key
};

struct Object {
    std::string name;
    Mesh mesh;  // vertex positions at frame 0, world space
    V3 pivot;   // node position at frame 0
    int material = 0;
    std::vector<V3> posTrack;            // absolute pivot per frame (empty: none)
    std::vector<RotKey> rotTrack;        // per-frame rotation increments (empty: none)
    std::vector<V3> scaleTrack;          // per-frame scale (empty: none)
    std::vector<std::vector<V3>> morph;  // per-frame vertex positions (empty: none)
};

struct Camera {
    std::string name;  // the first camera's name must begin with "Camera"
    V3 eye, target;
    float fovRadians = 0.7854f;
    float targetDistance = 100.0f;          // unique per camera
    std::vector<V3> eyeTrack, targetTrack;  // per frame (empty: static)
};

struct Light {
    std::string name;
    bool targeted = false;
    V3 pos, target;
    V3 colour = v3(1, 1, 1);
    float intensity = 1.0f;
    std::vector<V3> posTrack;  // per frame (empty: static)
};

struct Shape {
    std::string name;  // the importer keeps shapes whose name begins with "B"
    V3 pivot;
    std::vector<V3> points;
};

struct Scene {
    std::string name;
    int lastFrame = 200;
    int frameSpeed = 30;
    int ticksPerFrame = 160;
    std::vector<Material> materials;
    std::vector<Object> objects;
    std::vector<Camera> cameras;
    std::vector<Light> lights;
    std::vector<Shape> shapes;
};

std::string exportAse(const Scene& scene);

}  // namespace showgen
}  // namespace kgl
