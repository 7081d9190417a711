// Mesh primitives of the show generator: every shape of the default show is built from these,
// in the engine's Y-up frame, with texture coordinates in 0..1.
#pragma once

#include <functional>

#include "kgl_showgen_ase.h"

namespace kgl {
namespace showgen {

constexpr float kPi = 3.14159265f;

Mesh makeSphere(float radius, int segments, int rings);
Mesh makeTorus(float major, float minor, int segments, int sides);
// A closed-ring tube that follows a path of centres; radius(i) gives the radius at centre i.
Mesh makeTube(const std::vector<V3>& path, const std::function<float(int)>& radius, int sides);
// Box with its own vertices per side (flat shading); side k uses material id mtlBase + k % mtlMod.
Mesh makeBox(V3 size, int mtlMod);
Mesh makeQuad(float width, float height);               // in the XY plane, facing +Z
Mesh makeDisc(float inner, float outer, int segments);  // in the XZ plane, both sides
Mesh makeStar(int points, float outer, float inner, float depth);
// Moves every vertex of a sphere-like mesh along its direction from `centre` by f(direction).
void displaceRadial(Mesh& m, V3 centre, const std::function<float(V3)>& f);

}  // namespace showgen
}  // namespace kgl
