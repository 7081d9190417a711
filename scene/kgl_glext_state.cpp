// Extension state and bump combiner set-up of the object renderer (see kgl_glext_state.h).
#include "scene/kgl_glext_state.h"

#include <cmath>

#include "platform/kgl_glext.h"

namespace kgl {
namespace {

GLExtensions gExt;

constexpr double kBumpAngle = 0.00017453333333333334;  // radians
constexpr int kBumpUnitsMode1 = 2;
constexpr int kBumpUnitsMode2 = 4;
constexpr int kBumpUnitsMode3 = 5;

template <typename T>
T fetch(const char* name) {
    return reinterpret_cast<T>(glProcAddress(name));
}

void setCombine(GLenum rgbMode, GLenum src0, GLenum src1, float scale) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, static_cast<GLint>(rgbMode));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, static_cast<GLint>(src0));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, static_cast<GLint>(src1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, scale);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_PREVIOUS_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA);
}

void setEnvConstant(float value) {
    const GLfloat c[4] = {value, value, value, 1.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, c);
}

// Unit `unit` becomes one combine stage; it needs a texture enabled to take part.
void beginStage(int unit, GLuint texture) {
    SelectTextureUnit(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
}

// Every combine setting of the current unit back to the context's start values, sources included,
// so a later multitexture object finds the units as a fresh context has them.
void restoreCombineDefaults() {
    struct EnvValue {
        GLenum name;
        GLint value;
    };
    static constexpr EnvValue kDefaults[] = {
        {GL_COMBINE_RGB_ARB, GL_MODULATE},       {GL_COMBINE_ALPHA_ARB, GL_MODULATE},
        {GL_SOURCE0_RGB_ARB, GL_TEXTURE},        {GL_SOURCE1_RGB_ARB, GL_PREVIOUS_ARB},
        {GL_SOURCE2_RGB_ARB, GL_CONSTANT_ARB},   {GL_SOURCE0_ALPHA_ARB, GL_TEXTURE},
        {GL_SOURCE1_ALPHA_ARB, GL_PREVIOUS_ARB}, {GL_SOURCE2_ALPHA_ARB, GL_CONSTANT_ARB},
        {GL_OPERAND0_RGB_ARB, GL_SRC_COLOR},     {GL_OPERAND1_RGB_ARB, GL_SRC_COLOR},
        {GL_OPERAND2_RGB_ARB, GL_SRC_ALPHA},     {GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA},
        {GL_OPERAND1_ALPHA_ARB, GL_SRC_ALPHA},   {GL_OPERAND2_ALPHA_ARB, GL_SRC_ALPHA},
        {GL_TEXTURE_ENV_MODE, GL_MODULATE},
    };
    for (const EnvValue& d : kDefaults) glTexEnvi(GL_TEXTURE_ENV, d.name, d.value);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 1.0f);
    glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
    const GLfloat zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, zero);
}

int unitsForMode(int mode) {
    switch (mode) {
        case 1:
            return kBumpUnitsMode1;
        case 2:
            return kBumpUnitsMode2;
        case 3:
            return kBumpUnitsMode3;
        default:
            return 2;
    }
}

}  // namespace

const GLExtensions& glExtensions() {
    return gExt;
}

ProbeResult ProbeGLExtensionList(const char* list) {
    if (!list) return ProbeResult::NoExtensionString;
    GLExtensions e;
    e.probed = true;
    e.registerCombiners = extensionListHas(list, "GL_NV_register_combiners");
    e.texgenEmboss = extensionListHas(list, "GL_NV_texgen_emboss");
    e.envCombine = extensionListHas(list, "GL_ARB_texture_env_combine");
    e.envDot3 = extensionListHas(list, "GL_ARB_texture_env_dot3");
    if (extensionListHas(list, "GL_ARB_multitexture")) {
        e.activeTexture = fetch<PFNGLACTIVETEXTUREARBPROC>("glActiveTextureARB");
        e.multiTexCoord2f = fetch<PFNGLMULTITEXCOORD2FARBPROC>("glMultiTexCoord2fARB");
    }
    if (e.registerCombiners) {
        e.combinerParameteri = fetch<PFNGLCOMBINERPARAMETERINVPROC>("glCombinerParameteriNV");
        e.combinerInput = fetch<PFNGLCOMBINERINPUTNVPROC>("glCombinerInputNV");
        e.combinerOutput = fetch<PFNGLCOMBINEROUTPUTNVPROC>("glCombinerOutputNV");
        e.finalCombinerInput = fetch<PFNGLFINALCOMBINERINPUTNVPROC>("glFinalCombinerInputNV");
        e.registerCombiners =
            e.combinerParameteri && e.combinerInput && e.combinerOutput && e.finalCombinerInput;
    }
    e.multitexture = e.activeTexture && e.multiTexCoord2f;
    if (e.multitexture) {
        GLint units = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
        e.textureUnits = units > 0 ? units : 1;
        e.activeTexture(GL_TEXTURE1_ARB);
        e.activeTexture(GL_TEXTURE0_ARB);
    }
    gExt = e;
    return e.multitexture ? ProbeResult::Multitexture : ProbeResult::NoMultitexture;
}

void SelectTextureUnit(int unit) {
    if (gExt.multitexture) gExt.activeTexture(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
}

void MultiTexCoord(int unit, float u, float v) {
    if (gExt.multitexture)
        gExt.multiTexCoord2f(static_cast<GLenum>(GL_TEXTURE0_ARB + unit), u, v);
    else if (unit == 0)
        glTexCoord2f(u, v);
}

void EncodeBumpLight(const float position[3], float out[3]) {
    const float len =
        std::sqrt(position[0] * position[0] + position[1] * position[1] + position[2] * position[2]);
    float l[3] = {0.0f, 0.0f, 1.0f};
    if (len > 0.0f) {
        for (int k = 0; k < 3; ++k) l[k] = position[k] / len;
    }
    out[0] = static_cast<float>((1.0 - std::cos(kBumpAngle) * l[0]) / 2.0);
    out[1] = static_cast<float>((1.0 - std::sin(kBumpAngle) * l[1]) / 2.0);
    out[2] = (l[2] + 1.0f) / 2.0f;
}

void SetupBumpCombinersNV(int mode) {
    if (!gExt.registerCombiners) return;
    const GLExtensions& e = gExt;
    e.combinerInput(GL_COMBINER0_NV, GL_RGB, GL_VARIABLE_A_NV, GL_TEXTURE0_ARB, GL_EXPAND_NORMAL_NV, GL_RGB);
    e.combinerInput(GL_COMBINER0_NV, GL_RGB, GL_VARIABLE_B_NV, GL_PRIMARY_COLOR_NV, GL_EXPAND_NORMAL_NV,
                    GL_RGB);
    e.combinerOutput(GL_COMBINER0_NV, GL_RGB, GL_SPARE0_NV, GL_DISCARD_NV, GL_DISCARD_NV, GL_NONE, GL_NONE,
                     GL_TRUE, GL_FALSE, GL_FALSE);
    if (mode >= 1 && mode <= 3) {
        e.combinerInput(GL_COMBINER1_NV, GL_RGB, GL_VARIABLE_A_NV, GL_SPARE0_NV, GL_UNSIGNED_IDENTITY_NV,
                        GL_RGB);
        e.combinerInput(GL_COMBINER1_NV, GL_RGB, GL_VARIABLE_B_NV, GL_SPARE0_NV, GL_UNSIGNED_IDENTITY_NV,
                        GL_RGB);
        e.combinerOutput(GL_COMBINER1_NV, GL_RGB, GL_SPARE1_NV, GL_DISCARD_NV, GL_DISCARD_NV, GL_NONE,
                         mode == 3 ? GL_BIAS_BY_NEGATIVE_ONE_HALF_NV : GL_NONE,
                         mode == 1 ? GL_FALSE : GL_TRUE, GL_FALSE, GL_FALSE);
    }
    e.combinerParameteri(GL_NUM_GENERAL_COMBINERS_NV, mode == 0 ? 1 : 2);
    const GLenum id = GL_UNSIGNED_IDENTITY_NV;
    e.finalCombinerInput(GL_VARIABLE_A_NV, GL_SPARE0_NV, id, GL_RGB);
    e.finalCombinerInput(GL_VARIABLE_B_NV, GL_TEXTURE1_ARB, id, GL_RGB);
    e.finalCombinerInput(GL_VARIABLE_C_NV, GL_ZERO, id, GL_RGB);
    const GLenum d = mode == 0 ? GL_ZERO : mode == 1 ? GL_SPARE1_NV : GL_E_TIMES_F_NV;
    e.finalCombinerInput(GL_VARIABLE_D_NV, d, id, GL_RGB);
    const GLenum ef = mode >= 2 ? GL_SPARE1_NV : GL_ZERO;
    e.finalCombinerInput(GL_VARIABLE_E_NV, ef, id, GL_RGB);
    e.finalCombinerInput(GL_VARIABLE_F_NV, ef, id, GL_RGB);
}

int BumpFallbackPassCount(int mode) {
    if (mode < 1 || mode > 3) return 1;
    return gExt.textureUnits >= unitsForMode(mode) ? 2 : 1;
}

// Stage 0 always computes s = dot(expand(normal map), expand(primary colour)), clamped to 0..1
// like the final combiner's unsigned input. Pass 0 multiplies by the base texture; pass 1 builds
// the mode's D term from s alone: s*s (mode 1), min(1, 3s^2)^2 (mode 2),
// clamp(3s^2 - 0.5, 0, 1)^2 (mode 3), which blending then adds to pass 0.
void SetupBumpFallbackPass(int mode, int pass, GLuint normalMap, GLuint base) {
    beginStage(0, normalMap);
    setCombine(GL_DOT3_RGB_ARB, GL_TEXTURE, GL_PRIMARY_COLOR_ARB, 1.0f);
    beginStage(1, base);
    if (pass == 0) {
        setCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_TEXTURE, 1.0f);
        SelectTextureUnit(0);
        return;
    }
    setCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_PREVIOUS_ARB, 1.0f);  // s^2
    if (mode == 2) {
        beginStage(2, base);
        setCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_CONSTANT_ARB, 4.0f);  // 3 s^2
        setEnvConstant(0.75f);
        beginStage(3, base);
        setCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_PREVIOUS_ARB, 1.0f);
    } else if (mode == 3) {
        beginStage(2, base);
        setCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_CONSTANT_ARB, 1.0f);  // 0.75 s^2
        setEnvConstant(0.75f);
        beginStage(3, base);
        setCombine(GL_ADD_SIGNED_ARB, GL_PREVIOUS_ARB, GL_CONSTANT_ARB, 4.0f);  // 3 s^2 - 0.5
        setEnvConstant(0.375f);
        beginStage(4, base);
        setCombine(GL_MODULATE, GL_PREVIOUS_ARB, GL_PREVIOUS_ARB, 1.0f);
    }
    SelectTextureUnit(0);
}

void ResetBumpFallback() {
    const int units = gExt.textureUnits < kBumpUnitsMode3 ? gExt.textureUnits : kBumpUnitsMode3;
    for (int unit = units - 1; unit >= 0; --unit) {
        SelectTextureUnit(unit);
        restoreCombineDefaults();
        if (unit > 0) glDisable(GL_TEXTURE_2D);
    }
}

}  // namespace kgl
