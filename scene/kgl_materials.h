// Fixed-function state of a scene: the blend table shared by every drawing path, materials, lights
// with their glow limits, the linear fog and the perspective projection of the active camera.
// Appliers run on the rendering thread; the small maths helpers below need no GL and are what the
// unit tests check.
#pragma once

#include <GL/gl.h>

#include <cstdint>

namespace kgl {

class Scene3D;
class SceneMaterial;
class SceneLight;

// Material state before an object's faces: vertex colours drive the diffuse colour.
void ApplyMaterial(const SceneMaterial& material);
// Every light of the scene: on and defined by the script -> enabled and fed; otherwise disabled.
void SetupLights(const Scene3D& scene);

// Alpha function values 0..10 select a glBlendFunc pair; anything else leaves blending as it is.
constexpr int kBlendFunctionCount = 11;

struct BlendFactors {
    GLenum src;
    GLenum dst;
};

extern const BlendFactors kBlendTable[kBlendFunctionCount];

// False (and *out untouched) for a value outside the table.
bool BlendFactorsFor(int alphaFunction, BlendFactors* out);
// glBlendFunc from the table; a value outside 0..10 leaves the blend function unchanged.
void ApplyBlendFunction(int alphaFunction);

// Far plane of the projection: factor * sqrt of the sum of the three squared eye-to-target
// differences, each square truncated to a whole number first.
float FarPlaneDistance(const float eye[3], const float target[3], float factor);

// Aspect ratios outside (0.1, 24) are refused by Scene3D::SetAspect.
bool AspectAccepted(float aspect);

// Glow pulsation limits of one light, computed in whole numbers the way "LIMITS:" expects.
struct GlowLimitValues {
    int upper1 = 0;
    float lower1 = 0.0f;
    int upper2 = 0;
    float lower2 = 0.0f;
    int size1 = 0;       // starting first (glow) size
    int size2 = 0;       // starting second (ring) size
    int upStep = 0;
    int downStep = 0;
    float shrinkStep = 0.0f;
};
GlowLimitValues ComputeGlowLimits(float upper1, float lower1, float upper2, float lower2);

// One pulsation step of a glow size between its bounds (rising flag flips at the bounds).
void StepPulsation(float* size, bool* rising, float upper, float lower, float upStep,
                   float downStep);

// Unit vector from `from` to `to`; a zero-length vector gives (0, 0, -1) rather than NaNs.
void UnitDirection(const float from[3], const float to[3], float out[3]);

}  // namespace kgl
