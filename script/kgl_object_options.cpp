// SetObjectOption: the named render options of scene objects, shared by the scene scripts, the
// engine set-up and the director. Options are compared in a fixed order; a few set one field of
// the first matching object and end the call, the rest go through the general setter, after which
// a transparent object is moved behind the opaque ones in the scene's draw order.
#include <GL/gl.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "script/kgl_scenescript.h"

namespace kgl {

namespace {

constexpr float kBillboardOpacity = 0.8f;
constexpr float kTwoPassSecondAlpha = 0.3f;
constexpr float kWideLineWidth = 12.0f;
constexpr float kDrawOrderMoveValue = 40.0f;  // any option with this exact value moves the object

// Options that set one integer field of the first matching object and end the call.
struct IntStopOption {
    const char* name;
    int32_t SceneObject::*field;
};
constexpr IntStopOption kIntStopOptions[] = {
    {"ALPHA_FUNCTION", &SceneObject::alphaFunction}, {"ALPHA_FUNCTION_ARB1", &SceneObject::alphaFunctionArb1},
    {"EFFECT_ARB0", &SceneObject::effectArb0},       {"EFFECT_ARB1", &SceneObject::effectArb1},
    {"COMBINE_RBA0", &SceneObject::combineRba0},     {"BUMP_MODE", &SceneObject::bumpMode},
};

// Options that store the real in the first matching object and end the call.
struct RealStopOption {
    const char* name;
    float SceneObject::*field;
};
constexpr RealStopOption kRealStopOptions[] = {
    {"ALPHA_ARB0", &SceneObject::alphaArb0},
    {"ALPHA_ARB1", &SceneObject::alphaArb1},
    {"OPACITY", &SceneObject::opacity},
};

bool is(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// The whole part of a value; NaN and values beyond the int range are pinned instead of being
// converted with undefined results.
int32_t wholePart(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483520.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

bool namesMatch(const SceneObject& o, const char* name) {
    return std::strncmp(o.name, name, kObjectNameMatchChars) == 0;
}

// True when the option was one of the stopping ones (it has then been applied).
bool applyStoppingOption(SceneObject& o, const char* option, float value) {
    if (is(option, "RESTORE_MORPH")) {
        o.RestoreMorph();
        return true;
    }
    for (const IntStopOption& s : kIntStopOptions) {
        if (!is(option, s.name)) continue;
        o.*s.field = wholePart(value);
        return true;
    }
    for (const RealStopOption& s : kRealStopOptions) {
        if (!is(option, s.name)) continue;
        o.*s.field = value;
        return true;
    }
    return false;
}

// ORIENT_TYPE: every working coordinate becomes its absolute distance from the pivot on its axis.
void foldAroundPivot(SceneObject& o) {
    for (ObjectVertex& v : o.vertices) {
        v.pos.x = std::fabs(v.pos.x - o.pivot.x);
        v.pos.y = std::fabs(v.pos.y - o.pivot.y);
        v.pos.z = std::fabs(v.pos.z - o.pivot.z);
    }
}

void applyGeneralOption(SceneObject& o, const char* option, float value) {
    const int32_t whole = wholePart(value);
    if (is(option, "MAT_RANGE")) o.matRange = whole;
    if (is(option, "BUMP_LIGHT_ID")) o.bumpLightId = whole;
    if (is(option, "BILLBOARD")) o.opacity = kBillboardOpacity;
    if (is(option, "NOMAT")) o.useMaterial = static_cast<uint8_t>(value > 1.0f);
    if (is(option, "ORIENT_TYPE")) {
        o.orientType = whole;
        foldAroundPivot(o);
    }
    if (is(option, "USESMASK")) o.usesMask = 1;
    if (is(option, "FILLER_TYPE")) {
        o.fillerType = whole;
        if (whole == kFillerTwoPass) o.secondPassAlpha = kTwoPassSecondAlpha;
    }
    if (is(option, "HIDDEN_TYPE")) o.hidden = static_cast<uint8_t>(!o.hidden);
    if (is(option, "RENDER_TYPE")) o.renderType = whole;
    if (is(option, "SHADER_TYPE")) o.shaderType = whole;
    if (is(option, "TRANSP_TYPE")) {
        o.transparency = kTranspTransparent;
        o.alphaFunction = 0;
    }
}

bool opaqueEntry(const Scene3D& scene, int32_t objectIndex) {
    return objectIndex >= 0 && objectIndex < static_cast<int32_t>(scene.objects.size()) &&
           scene.objects[static_cast<size_t>(objectIndex)].transparency == kTranspOpaque;
}

// Exchanges object i with the last opaque entry of the draw order (never the first entry), so
// transparent objects collect at the end. True when it moved (which ends the option call).
bool moveBehindOpaque(Scene3D& scene, int32_t i) {
    std::vector<int32_t>& order = scene.drawOrder;
    int p = -1;
    for (size_t k = 0; k < order.size(); ++k) {
        if (order[k] == i) {
            p = static_cast<int>(k);
            break;
        }
    }
    if (p < 0) return false;  // not in the draw order: nothing to exchange with
    for (int q = static_cast<int>(order.size()) - 1; q >= 1; --q) {
        if (!opaqueEntry(scene, order[static_cast<size_t>(q)])) continue;
        order[static_cast<size_t>(p)] = order[static_cast<size_t>(q)];
        order[static_cast<size_t>(q)] = i;
        return true;
    }
    return false;
}

}  // namespace

void SetObjectOption(Scene3D& scene, const char* objectName, const char* option, float value) {
    if (!objectName || !option) return;
    for (size_t i = 0; i < scene.objects.size(); ++i) {
        SceneObject& o = scene.objects[i];
        if (!namesMatch(o, objectName)) continue;
        if (applyStoppingOption(o, option, value)) return;
        if (is(option, "LINE_WIDTH")) {
            o.lineWidth = value;
            if (value > 1.0f) glLineWidth(kWideLineWidth);
            continue;
        }
        applyGeneralOption(o, option, value);
        if ((is(option, "TRANSP_TYPE") || value == kDrawOrderMoveValue) &&
            moveBehindOpaque(scene, static_cast<int32_t>(i)))
            return;
    }
}

void SetCullOffExact(Scene3D& scene, const char* objectName) {
    if (!objectName) return;
    for (SceneObject& o : scene.objects) {
        if (std::strlen(objectName) < static_cast<size_t>(kObjectNameSize) &&
            std::strncmp(o.name, objectName, kObjectNameSize) == 0)
            o.cullOff = 1;
    }
}

}  // namespace kgl
