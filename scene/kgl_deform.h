// Per-object vertex animations that run on the CPU every frame on top of the keyframed tracks:
// the morph-to flight, the wave program "R3_DEFORM_PRG" and the spherical-harmonics program
// "R3_HARM_PRG". The state lives in each SceneObject; these are the algorithms, on plain values
// where they can be, so the unit tests can reach them without a scene.
#pragma once

#include <cstdint>

namespace kgl {

constexpr int kHarmParamCount = 33;      // "R3_HARM_PRG" p0..p32
constexpr int kHarmTermCount = 8;        // m0..m7
constexpr float kMorphArriveSlack = 2.1f;  // Manhattan distance at which a vertex has arrived
constexpr float kDeformK = 3.1416542712f;
constexpr float kHarmPi = 3.141592654f;

// Whole-number step of one axis of a morph-to flight: |trunc(target - own)| / steps in integer
// division. Steps below 1 are taken as 1 (a zero would divide by zero).
float MorphAxisStep(float target, float own, int steps);

// One morph-to step of a single vertex toward `goal`. Returns true when the vertex has arrived
// (within the slack) and so did not move.
bool MorphVertexStep(float pos[3], const float goal[3], const float step[3]);

// Row displacement of the wave program for wave mode `mode` (p18). Returns false for an unknown
// mode, in which case the previous row's values are kept by the caller.
bool DeformRowOffsets(int mode, float c0, float c1, float phase, float amplitude, float* dx,
                      float* dy);

// The harmonic vector v(theta, phi) for the terms m0..m7.
void HarmonicVector(const int m[kHarmTermCount], float theta, float phi, float out[3]);

// One oscillation step of the harmonic terms: up while rising, down otherwise; above 64 the term
// stops rising; below 1 it becomes 1 and rises again.
void StepHarmonicTerms(int m[kHarmTermCount], bool rising[kHarmTermCount],
                       const int up[kHarmTermCount], const int down[kHarmTermCount]);

// Selection sort of faces by their centres: smallest z first, ties by smaller x, the first found
// winning on full ties. `swap(i, j)` must exchange faces i and j (and their centres in cz/cx).
template <typename SwapFn>
void SortFacesByCentre(const float* cz, const float* cx, int count, SwapFn swap) {
    for (int i = 0; i + 1 < count; ++i) {
        int best = i;
        for (int j = i + 1; j < count; ++j) {
            if (cz[j] < cz[best] || (cz[j] == cz[best] && cx[j] < cx[best])) best = j;
        }
        if (best != i) swap(i, best);
    }
}

}  // namespace kgl
