// The process-wide OpenGL extension state of the object renderer: which extensions the context
// offers (decided from the extension string only) and the entry points fetched for them, plus the
// bump pass set-up on NV register combiners or, where they are missing, on the ARB combine and
// dot3 texture environments.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace kgl {

struct GLExtensions {
    bool probed = false;
    bool multitexture = false;       // glActiveTextureARB and glMultiTexCoord2fARB usable
    bool registerCombiners = false;  // GL_NV_register_combiners
    bool texgenEmboss = false;       // GL_NV_texgen_emboss
    bool envCombine = false;         // GL_ARB_texture_env_combine
    bool envDot3 = false;            // GL_ARB_texture_env_dot3
    int textureUnits = 1;
    PFNGLACTIVETEXTUREARBPROC activeTexture = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC multiTexCoord2f = nullptr;
    PFNGLCOMBINERPARAMETERINVPROC combinerParameteri = nullptr;
    PFNGLCOMBINERINPUTNVPROC combinerInput = nullptr;
    PFNGLCOMBINEROUTPUTNVPROC combinerOutput = nullptr;
    PFNGLFINALCOMBINERINPUTNVPROC finalCombinerInput = nullptr;
};

const GLExtensions& glExtensions();

enum class ProbeResult { NoExtensionString, NoMultitexture, Multitexture };

// Decides the extension state from `list` (the context's GL_EXTENSIONS text, may be null) and
// fetches the entry points of what it offers. Needs a current context unless the list is null.
ProbeResult ProbeGLExtensionList(const char* list);

// Selects a texture unit (0-based) when multitexture is there; nothing otherwise.
void SelectTextureUnit(int unit);
// glMultiTexCoord2fARB on unit (0-based) when multitexture is there, glTexCoord2f on unit 0 else.
void MultiTexCoord(int unit, float u, float v);

// Colour encoding of the bump light: the normalised position L becomes
// ((1 - cos(t) x) / 2, (1 - sin(t) y) / 2, (z + 1) / 2) with t = 0.00017453333333333334.
void EncodeBumpLight(const float position[3], float out[3]);

// Bump pass on NV register combiners (modes 0..3); only when registerCombiners is set.
void SetupBumpCombinersNV(int mode);

// The same formula on the ARB combine/dot3 environments. Pass 0 draws
// dot(expand(tex0), expand(colour)) * tex1 into the frame; modes 1..3 add their D term in an
// additive pass 1. Returns the number of passes the mode needs on this context (1 or 2).
int BumpFallbackPassCount(int mode);
// Sets up units for one pass: normalMap is texture 0 of the formula, base is texture 1.
void SetupBumpFallbackPass(int mode, int pass, GLuint normalMap, GLuint base);
// Puts every combine setting of the units the fallback uses back to its start value (sources
// included) and turns texturing off above unit 0.
void ResetBumpFallback();

}  // namespace kgl
