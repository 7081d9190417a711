// Plain-value pieces of the deformers: morph-to steps, the wave program's row offsets and the
// spherical-harmonics vector. The per-object drivers are in kgl_deform.cpp.
#include "scene/kgl_deform.h"

#include <cmath>

namespace kgl {

float MorphAxisStep(float target, float own, int steps) {
    const int distance = std::abs(static_cast<int>(target - own));
    return static_cast<float>(distance / (steps < 1 ? 1 : steps));
}

bool MorphVertexStep(float pos[3], const float goal[3], const float step[3]) {
    const float manhattan =
        std::fabs(pos[0] - goal[0]) + std::fabs(pos[1] - goal[1]) + std::fabs(pos[2] - goal[2]);
    if (!(manhattan - kMorphArriveSlack > 0.01f)) return true;
    for (int k = 0; k < 3; ++k) {
        if (goal[k] <= pos[k]) pos[k] -= step[k];
        else pos[k] += step[k];
    }
    return false;
}

bool DeformRowOffsets(int mode, float c0, float c1, float phase, float amplitude, float* dx,
                      float* dy) {
    const float a0 = (c0 + phase) * kDeformK;
    const float a1 = (c1 + phase) * kDeformK;
    switch (mode) {
    case 0:
        *dy = std::cos(a0) * amplitude;
        *dx = std::sin(a1) * amplitude;
        return true;
    case 1:
        *dy = std::sin(a0) * amplitude;
        *dx = std::cos(a1) * amplitude;
        return true;
    case 2:
        *dy = std::cos(a0) * amplitude;
        *dx = std::cos(a1) * amplitude;
        return true;
    default:
        return false;
    }
}

void HarmonicVector(const int m[kHarmTermCount], float theta, float phi, float out[3]) {
    const double r = std::pow(std::sin(m[0] * phi), m[1]) + std::pow(std::cos(m[2] * phi), m[3]) +
                     std::pow(std::sin(m[4] * theta), m[5]) +
                     std::pow(std::cos(m[6] * theta), m[7]);
    // A zero raised to a negative term would send vertices to infinity; such a sample moves nothing.
    const float rr = std::isfinite(r) ? static_cast<float>(r) : 0.0f;
    out[0] = 16.0f * rr * std::sin(phi) * std::cos(theta);
    out[1] = 16.0f * rr * std::cos(phi);
    out[2] = 16.0f * rr * std::sin(phi) * std::sin(theta);
}

void StepHarmonicTerms(int m[kHarmTermCount], bool rising[kHarmTermCount],
                       const int up[kHarmTermCount], const int down[kHarmTermCount]) {
    for (int j = 0; j < kHarmTermCount; ++j) {
        if (rising[j]) m[j] += up[j];
        else m[j] -= down[j];
        if (m[j] > 64) rising[j] = false;
        if (m[j] < 1) {
            m[j] = 1;
            rising[j] = true;
        }
    }
}

}  // namespace kgl
