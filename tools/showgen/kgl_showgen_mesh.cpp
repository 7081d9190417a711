// Mesh primitives of the show generator.
#include "kgl_showgen_mesh.h"

#include <cmath>

namespace kgl {
namespace showgen {

Mesh makeSphere(float radius, int segments, int rings) {
    Mesh m;
    for (int r = 0; r <= rings; ++r) {
        float phi = kPi * static_cast<float>(r) / rings;
        for (int s = 0; s <= segments; ++s) {
            float th = 2.0f * kPi * static_cast<float>(s) / segments;
            V3 p = v3(std::sin(phi) * std::cos(th), std::cos(phi), std::sin(phi) * std::sin(th)) * radius;
            m.addVertex(p, static_cast<float>(s) / segments, static_cast<float>(r) / rings);
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            int a = r * (segments + 1) + s, b = a + segments + 1;
            if (r != 0) m.addFace(a, a + 1, b);
            if (r != rings - 1) m.addFace(a + 1, b + 1, b);
        }
    }
    return m;
}

Mesh makeTorus(float major, float minor, int segments, int sides) {
    Mesh m;
    for (int i = 0; i <= segments; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / segments;
        for (int j = 0; j <= sides; ++j) {
            float b = 2.0f * kPi * static_cast<float>(j) / sides;
            float rr = major + minor * std::cos(b);
            m.addVertex(v3(rr * std::cos(a), minor * std::sin(b), rr * std::sin(a)),
                        static_cast<float>(i) / segments, static_cast<float>(j) / sides);
        }
    }
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            int a = i * (sides + 1) + j, b = a + sides + 1;
            m.addFace(a, a + 1, b);
            m.addFace(a + 1, b + 1, b);
        }
    }
    return m;
}

Mesh makeTube(const std::vector<V3>& path, const std::function<float(int)>& radius, int sides) {
    Mesh m;
    int n = static_cast<int>(path.size());
    V3 up = v3(0, 1, 0);
    for (int i = 0; i < n; ++i) {
        V3 t = normalize(path[std::min(i + 1, n - 1)] - path[std::max(i - 1, 0)]);
        V3 ref = std::fabs(dot(t, up)) > 0.9f ? v3(1, 0, 0) : up;
        V3 nx = normalize(cross(t, ref));
        V3 ny = cross(nx, t);
        float r = radius(i);
        for (int j = 0; j <= sides; ++j) {
            float a = 2.0f * kPi * static_cast<float>(j) / sides;
            V3 p = path[i] + nx * (std::cos(a) * r) + ny * (std::sin(a) * r);
            m.addVertex(p, static_cast<float>(j) / sides, static_cast<float>(i) / std::max(1, n - 1));
        }
    }
    for (int i = 0; i + 1 < n; ++i) {
        for (int j = 0; j < sides; ++j) {
            int a = i * (sides + 1) + j, b = a + sides + 1;
            m.addFace(a, b, a + 1);
            m.addFace(a + 1, b, b + 1);
        }
    }
    return m;
}

Mesh makeBox(V3 size, int mtlMod) {
    Mesh m;
    V3 h = size * 0.5f;
    const V3 normals[6] = {v3(1, 0, 0), v3(-1, 0, 0), v3(0, 1, 0), v3(0, -1, 0), v3(0, 0, 1), v3(0, 0, -1)};
    for (int k = 0; k < 6; ++k) {
        V3 n = normals[k];
        V3 a = std::fabs(n.y) > 0.5f ? v3(1, 0, 0) : v3(0, 1, 0);
        V3 b = cross(n, a);
        int base = static_cast<int>(m.v.size());
        const float cs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : cs) {
            V3 p = n + a * c[0] + b * c[1];
            m.addVertex(v3(p.x * h.x, p.y * h.y, p.z * h.z), (c[0] + 1) * 0.5f, (c[1] + 1) * 0.5f);
        }
        int mtl = mtlMod > 0 ? k % mtlMod : 0;
        // Wind counter-clockwise seen from outside (normal = cross(b - a, c - a)).
        if (dot(cross(a, b), n) > 0) {
            m.addFace(base, base + 1, base + 2, mtl);
            m.addFace(base, base + 2, base + 3, mtl);
        } else {
            m.addFace(base, base + 2, base + 1, mtl);
            m.addFace(base, base + 3, base + 2, mtl);
        }
    }
    return m;
}

Mesh makeQuad(float width, float height) {
    Mesh m;
    m.addVertex(v3(-width / 2, -height / 2, 0), 0, 1);
    m.addVertex(v3(width / 2, -height / 2, 0), 1, 1);
    m.addVertex(v3(width / 2, height / 2, 0), 1, 0);
    m.addVertex(v3(-width / 2, height / 2, 0), 0, 0);
    m.addFace(0, 1, 2);
    m.addFace(0, 2, 3);
    return m;
}

Mesh makeDisc(float inner, float outer, int segments) {
    Mesh m;
    for (int side = 0; side < 2; ++side) {
        int base = static_cast<int>(m.v.size());
        float y = side == 0 ? 0.15f : -0.15f;
        for (int i = 0; i <= segments; ++i) {
            float a = 2.0f * kPi * static_cast<float>(i) / segments;
            float c = std::cos(a), s = std::sin(a);
            m.addVertex(v3(c * inner, y, s * inner), 0.5f + 0.5f * c * inner / outer,
                        0.5f + 0.5f * s * inner / outer);
            m.addVertex(v3(c * outer, y, s * outer), 0.5f + 0.5f * c, 0.5f + 0.5f * s);
        }
        for (int i = 0; i < segments; ++i) {
            int a = base + i * 2;
            if (side == 0) {
                m.addFace(a, a + 2, a + 1);
                m.addFace(a + 1, a + 2, a + 3);
            } else {
                m.addFace(a, a + 1, a + 2);
                m.addFace(a + 1, a + 3, a + 2);
            }
        }
    }
    return m;
}

Mesh makeStar(int points, float outer, float inner, float depth) {
    Mesh m;
    int n = points * 2;
    int front = m.addVertex(v3(0, 0, depth), 0.5f, 0.5f);
    int back = m.addVertex(v3(0, 0, -depth), 0.5f, 0.5f);
    int ring = static_cast<int>(m.v.size());
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * kPi * static_cast<float>(i) / n;
        float r = (i % 2 == 0) ? outer : inner;
        m.addVertex(v3(std::cos(a) * r, std::sin(a) * r, 0), 0.5f + 0.5f * std::cos(a) * r / outer,
                    0.5f + 0.5f * std::sin(a) * r / outer);
    }
    for (int i = 0; i < n; ++i) {
        int a = ring + i, b = ring + (i + 1) % n;
        m.addFace(front, a, b);
        m.addFace(back, b, a);
    }
    return m;
}

void displaceRadial(Mesh& m, V3 centre, const std::function<float(V3)>& f) {
    for (V3& p : m.v) {
        V3 d = normalize(p - centre);
        p = p + d * f(d);
    }
}

}  // namespace showgen
}  // namespace kgl
