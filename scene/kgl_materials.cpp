// Materials, lights, fog and projection: the fixed-function state a scene sets before its objects
// are drawn. Owned by no one: free functions over the scene model, called by the scene renderer,
// the object renderer, the scene script and the director.
#include "scene/kgl_materials.h"

#include <cmath>

namespace kgl {

const BlendFactors kBlendTable[kBlendFunctionCount] = {
    {GL_SRC_ALPHA, GL_ONE},                  // 0
    {GL_SRC_COLOR, GL_DST_COLOR},            // 1
    {GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA},  // 2
    {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},  // 3
    {GL_SRC_ALPHA, GL_DST_COLOR},            // 4
    {GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA},  // 5 (same as 2)
    {GL_ONE, GL_ONE},                        // 6
    {GL_ZERO, GL_ONE_MINUS_SRC_ALPHA},       // 7
    {GL_ONE, GL_ONE_MINUS_SRC_ALPHA},        // 8
    {GL_ZERO, GL_ONE_MINUS_SRC_ALPHA},       // 9 (same as 7)
    {GL_SRC_ALPHA, GL_SRC_ALPHA},            // 10
};

bool BlendFactorsFor(int alphaFunction, BlendFactors* out) {
    if (alphaFunction < 0 || alphaFunction >= kBlendFunctionCount) return false;
    *out = kBlendTable[alphaFunction];
    return true;
}

void ApplyBlendFunction(int alphaFunction) {
    BlendFactors f;
    if (BlendFactorsFor(alphaFunction, &f)) glBlendFunc(f.src, f.dst);
}

float FarPlaneDistance(const float eye[3], const float target[3], float factor) {
    float sum = 0.0f;
    for (int k = 0; k < 3; ++k) {
        const float d = target[k] - eye[k];
        sum += std::trunc(d * d);
    }
    return factor * std::sqrt(sum);
}

bool AspectAccepted(float aspect) {
    return aspect > 0.1f && aspect < 24.0f;
}

GlowLimitValues ComputeGlowLimits(float upper1, float lower1, float upper2, float lower2) {
    GlowLimitValues v;
    v.upper1 = static_cast<int>(upper1);
    v.lower1 = lower1;
    v.upper2 = static_cast<int>(upper2);
    v.lower2 = lower2;
    v.size1 = v.upper1 + v.upper1 / 4;
    v.size2 = v.upper2 + v.upper2 / 4;
    const int d = std::abs(static_cast<int>(upper1 - lower1));
    v.upStep = d * 7 / 100;
    v.downStep = d * 5 / 100;
    v.shrinkStep = 0.8f * upper1;
    return v;
}

void StepPulsation(float* size, bool* rising, float upper, float lower, float upStep, float downStep) {
    *size += *rising ? upStep : -downStep;
    if (*size > upper) *rising = false;
    if (*size < lower) *rising = true;
}

void UnitDirection(const float from[3], const float to[3], float out[3]) {
    const float d[3] = {to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(len > 0.0f)) {
        out[0] = 0.0f;
        out[1] = 0.0f;
        out[2] = -1.0f;
        return;
    }
    for (int k = 0; k < 3; ++k) out[k] = d[k] / len;
}

}  // namespace kgl

// ---- GL appliers over the scene model ----

#include <GL/glu.h>

#include "platform/kgl_glext.h"
#include "scene/kgl_scene3d.h"

namespace kgl {
namespace {

void colorArray(const ColorRGBA& c, float alpha, GLfloat out[4]) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = alpha;
}

GLenum lightName(const SceneLight& l) {
    return static_cast<GLenum>(l.glLight);
}

bool lightNameValid(const SceneLight& l) {
    return l.glLight >= GL_LIGHT0 && l.glLight < GL_LIGHT0 + kMaxLights;
}

}  // namespace

void ApplyMaterial(const SceneMaterial& m) {
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_SPECULAR);
    glColorMaterial(GL_FRONT, GL_AMBIENT);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);  // the last one stays in force
    GLfloat c[4];
    colorArray(m.specular, 1.0f, c);
    glMaterialfv(GL_FRONT, GL_SPECULAR, c);
    colorArray(m.diffuse, m.diffuse.a, c);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, c);
    colorArray(m.ambient, m.ambient.a, c);
    glMaterialfv(GL_FRONT, GL_AMBIENT, c);
    glMateriali(GL_FRONT, GL_SHININESS, static_cast<GLint>(m.shininess));
}

void SetupLights(const Scene3D& scene) {
    for (const SceneLight& l : scene.lights) {
        if (!lightNameValid(l)) continue;
        if (!(l.lightOn && l.definedByScript)) {
            glDisable(lightName(l));
            continue;
        }
        glEnable(GL_LIGHTING);
        glEnable(lightName(l));
        glLightf(lightName(l), GL_SPOT_EXPONENT, l.spotExponent);
        glLightf(lightName(l), GL_SPOT_CUTOFF, l.spotCutoff);
        GLfloat c[4];
        colorArray(l.ambient, l.ambient.a, c);
        glLightfv(lightName(l), GL_AMBIENT, c);
        colorArray(l.diffuse, l.diffuse.a, c);
        glLightfv(lightName(l), GL_DIFFUSE, c);
        colorArray(l.specular, l.specular.a, c);
        glLightfv(lightName(l), GL_SPECULAR, c);
        const GLfloat pos[4] = {l.position.x, l.position.y, l.position.z, 1.0f};
        glLightfv(lightName(l), GL_POSITION, pos);
    }
}

void SceneLight::EnableGL() const {
    if (lightNameValid(*this)) glEnable(lightName(*this));
}

void SceneLight::DisableGL() const {
    if (lightNameValid(*this)) glDisable(lightName(*this));
}

void SceneLight::SetLightOn(int flag) {
    separateSpecular = hasGLExtension("GL_EXT_separate_specular_color") ? 1 : 0;
    glEnable(GL_NORMALIZE);
    glEnable(GL_AUTO_NORMAL);
    lightOn = static_cast<uint8_t>(flag != 0);
    if (!lightOn) {
        DisableGL();
        return;
    }
    glShadeModel(GL_SMOOTH);
    if (hasTarget && lightNameValid(*this)) {
        // The direction sent now is the one computed last time; the new one goes out next call.
        const GLfloat dir[3] = {spotDirection.x, spotDirection.y, spotDirection.z};
        glLightfv(lightName(*this), GL_SPOT_DIRECTION, dir);
        const float from[3] = {position.x, position.y, position.z};
        const float to[3] = {target.x, target.y, target.z};
        float d[3];
        UnitDirection(from, to, d);
        spotDirection = Vec3{d[0], d[1], d[2]};
    }
}

void SceneLight::SetLightSpot(float exponent, float cutoff) {
    spotExponent = exponent;
    spotCutoff = cutoff;
    if (!lightOn || !lightNameValid(*this)) return;
    glEnable(lightName(*this));
    glLightf(lightName(*this), GL_SPOT_EXPONENT, spotExponent);
    glLightf(lightName(*this), GL_SPOT_CUTOFF, spotCutoff);
}

void SceneLight::SetGlowLimits(float upper1, float lower1, float upper2, float lower2) {
    const GlowLimitValues v = ComputeGlowLimits(upper1, lower1, upper2, lower2);
    glowUpper1 = v.upper1;
    glowLower1 = v.lower1;
    glowUpper2 = v.upper2;
    glowLower2 = v.lower2;
    glowSize1 = static_cast<float>(v.size1);
    glowSize2 = static_cast<float>(v.size2);
    glowUpStep = v.upStep;
    glowDownStep = v.downStep;
    shrinkStep = v.shrinkStep;
    limitCopies[0] = upper1;
    limitCopies[1] = upper2;
    limitCopies[2] = lower1;
    limitCopies[3] = lower2;
}

void Scene3D::ResetGlows() {
    for (SceneLight& l : lights) {
        l.SetLightRadius(glowRadius);
        l.SetGlowLimits(glowRadius, glowRadius - 20.0f, glowRadius, glowRadius - 20.0f);
    }
}

void Scene3D::PrepareGL() {
    activeCamera = 0;
    for (SceneObject& o : objects) o.smoothNormals = 1;
    for (int i = 0; i < kMaxLights; ++i) glDisable(static_cast<GLenum>(GL_LIGHT0 + i));
    glEnable(GL_LIGHTING);
    ResetGlows();
    for (SceneLight& l : lights) {
        if (l.definedByScript) {
            l.EnableGL();
            if (l.lightOn) l.SetLightOn(1);
        } else {
            l.DisableGL();
        }
    }
    if (fogOn)
        EnableFog();
    else
        glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthFunc(GL_ALWAYS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void Scene3D::SetAtmosphere(float glowR, float spotExponent, float spotCutoff, float fogStartV, float fogEndV,
                            float fogDensityV, float fogR, float fogG, float fogB) {
    glowRadius = glowR;
    defaultSpotExponent = spotExponent;
    defaultSpotCutoff = spotCutoff;
    for (SceneLight& l : lights) l.SetLightSpot(spotExponent, spotCutoff);
    fogColor = ColorRGBA{fogR, fogG, fogB, 1.0f};
    fogDensity = fogDensityV;
    glFogf(GL_FOG_DENSITY, fogDensity);
    SetFogRange(fogStartV, fogEndV);
}

void Scene3D::SetFogRange(float start, float end) {
    fogStart = start;
    fogEnd = end;
    glFogf(GL_FOG_MODE, static_cast<GLfloat>(GL_LINEAR));
    glFogf(GL_FOG_START, start);
    glFogf(GL_FOG_END, end);
}

void Scene3D::EnableFog() {
    glDisable(GL_FOG);
    glEnable(GL_FOG);
    const GLfloat c[4] = {fogColor.r, fogColor.g, fogColor.b, fogColor.a};
    glFogfv(GL_FOG_COLOR, c);
    glFogf(GL_FOG_MODE, static_cast<GLfloat>(GL_LINEAR));
    glFogf(GL_FOG_START, fogStart);
    glFogf(GL_FOG_END, fogEnd);
    glFogf(GL_FOG_DENSITY, fogDensity);
    glHint(GL_FOG_HINT, GL_NICEST);
    glEnable(GL_FOG);
}

void Scene3D::SetViewport(float x, float y, float width, float height) {
    viewportX = x;
    viewportY = y;
    viewportWidth = width;
    viewportHeight = height;
    if (height != 0.0f) aspect = width / height;  // a zero height keeps the old aspect
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

void Scene3D::SetAspect(float a) {
    if (AspectAccepted(a)) aspect = a;
}

void Scene3D::SetProjection() {
    if (cameras.empty()) return;
    const SceneCamera& c = cameras[activeCamera < cameras.size() ? activeCamera : 0];
    const float eye[3] = {c.eye.x, c.eye.y, c.eye.z};
    const float target[3] = {c.target.x, c.target.y, c.target.z};
    float farPlane = FarPlaneDistance(eye, target, farFactor);
    // An eye on its target would give a far plane of 0 and a degenerate projection.
    if (!(farPlane > nearPlane)) farPlane = nearPlane + 1.0f;
    gluPerspective(c.fov, aspect, nearPlane, farPlane);
}

}  // namespace kgl
