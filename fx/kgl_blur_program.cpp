#include "fx/kgl_blur_program.h"

#include <algorithm>
#include <cstdio>

#include "platform/kgl_glext.h"

namespace kgl {
namespace {

// gl_TexCoord[0] runs 0..1 over the window. Layer i samples its inset crop shifted by the drift,
// as the layer quad's corner texture coordinates do, and is blended as the quads are: colour
// 0.5 * texel, alpha layerAlpha * texel alpha, source factor the source colour, destination
// factor one minus the source alpha. The sums are kept in steps of 1/255 and rounded as an 8-bit
// frame buffer rounds and clamps after every layer, so the stack's rounding is the same too.
// `keep` is what is left of the window under the stack, for the blend of the one quad with it.
// LAYERS is defined in front: a constant layer count lets the compiler unroll the loop, which a
// software rasterizer runs much faster than a loop with a variable end. The variant for the
// largest counts also defines VARIABLE_COUNT and stops at `count`.
constexpr const char* kSource = R"(
uniform sampler2D picture;
uniform vec2 offset;
uniform int count;
uniform vec2 layer[32];
void main() {
    vec2 p = gl_TexCoord[0].st;
    vec3 c = vec3(0.0);
    float keep = 1.0;
    for (int i = 0; i < LAYERS; ++i) {
#ifdef VARIABLE_COUNT
        if (i >= count) break;
#endif
        float d = layer[i].x;
        vec4 t = texture2D(picture, offset + vec2(d) + p * (1.0 - 2.0 * d));
        vec3 s = floor(t.rgb * 127.5 + 0.5);
        float sa = floor(layer[i].y * t.a * 255.0 + 0.5);
        c = min(floor(s * s / 255.0 + 0.5) + floor(c * (255.0 - sa) / 255.0 + 0.5), 255.0);
        keep *= 1.0 - sa / 255.0;
    }
    gl_FragColor = vec4(c / 255.0, 1.0 - keep);
}
)";

struct ShaderApi {
    PFNGLCREATESHADEROBJECTARBPROC createShader = nullptr;
    PFNGLSHADERSOURCEARBPROC source = nullptr;
    PFNGLCOMPILESHADERARBPROC compile = nullptr;
    PFNGLGETOBJECTPARAMETERIVARBPROC parameter = nullptr;
    PFNGLCREATEPROGRAMOBJECTARBPROC createProgram = nullptr;
    PFNGLATTACHOBJECTARBPROC attach = nullptr;
    PFNGLLINKPROGRAMARBPROC link = nullptr;
    PFNGLDELETEOBJECTARBPROC remove = nullptr;
    PFNGLUSEPROGRAMOBJECTARBPROC use = nullptr;
    PFNGLGETUNIFORMLOCATIONARBPROC location = nullptr;
    PFNGLUNIFORM1IARBPROC uniform1i = nullptr;
    PFNGLUNIFORM2FARBPROC uniform2f = nullptr;
    PFNGLUNIFORM2FVARBPROC uniform2fv = nullptr;
};

ShaderApi gApi;

template <typename T>
void fetch(T& fn, const char* name) {
    fn = reinterpret_cast<T>(glProcAddress(name));
}

bool loadApi() {
    if (!hasGLExtension("GL_ARB_shader_objects") || !hasGLExtension("GL_ARB_fragment_shader") ||
        !hasGLExtension("GL_ARB_shading_language_100"))
        return false;
    fetch(gApi.createShader, "glCreateShaderObjectARB");
    fetch(gApi.source, "glShaderSourceARB");
    fetch(gApi.compile, "glCompileShaderARB");
    fetch(gApi.parameter, "glGetObjectParameterivARB");
    fetch(gApi.createProgram, "glCreateProgramObjectARB");
    fetch(gApi.attach, "glAttachObjectARB");
    fetch(gApi.link, "glLinkProgramARB");
    fetch(gApi.remove, "glDeleteObjectARB");
    fetch(gApi.use, "glUseProgramObjectARB");
    fetch(gApi.location, "glGetUniformLocationARB");
    fetch(gApi.uniform1i, "glUniform1iARB");
    fetch(gApi.uniform2f, "glUniform2fARB");
    fetch(gApi.uniform2fv, "glUniform2fvARB");
    return gApi.createShader && gApi.source && gApi.compile && gApi.parameter && gApi.createProgram &&
           gApi.attach && gApi.link && gApi.remove && gApi.use && gApi.location && gApi.uniform1i &&
           gApi.uniform2f && gApi.uniform2fv;
}

// `layers`: the constant loop end of this variant.
GLhandleARB compileAndLink(int layers) {
    GLhandleARB shader = gApi.createShader(GL_FRAGMENT_SHADER_ARB);
    char define[64];
    std::snprintf(define, sizeof define, "#define LAYERS %d\n%s", layers,
                  layers > BlurProgram::kUnrolled ? "#define VARIABLE_COUNT\n" : "");
    const GLcharARB* text[2] = {define, kSource};
    gApi.source(shader, 2, text, nullptr);
    gApi.compile(shader);
    GLint ok = 0;
    gApi.parameter(shader, GL_OBJECT_COMPILE_STATUS_ARB, &ok);
    if (!ok) {
        gApi.remove(shader);
        return 0;
    }
    GLhandleARB program = gApi.createProgram();
    gApi.attach(program, shader);
    gApi.link(program);
    gApi.remove(shader);  // flagged: freed with the program
    gApi.parameter(program, GL_OBJECT_LINK_STATUS_ARB, &ok);
    if (!ok) {
        gApi.remove(program);
        return 0;
    }
    return program;
}

}  // namespace

void BlurProgram::release() {
    for (Variant& v : variants_) {
        if (v.program) gApi.remove(v.program);
        v = Variant();
    }
    ready_ = false;
}

bool BlurProgram::create() {
    release();  // a second create replaces the first programs
    if (!loadApi()) return false;
    ready_ = true;
    return prepare(kDefaultLayers);
}

int BlurProgram::variantOf(int32_t count) {
    return count >= 1 && count <= kUnrolled ? count - 1 : kUnrolled;
}

bool BlurProgram::prepare(int32_t count) {
    if (!ready_) return false;
    Variant& v = variants_[variantOf(std::min(std::max(count, 0), kMaxLayers))];
    if (v.program) return true;
    const int index = static_cast<int>(&v - variants_);
    v.program = compileAndLink(index < kUnrolled ? index + 1 : kMaxLayers);
    if (!v.program) {
        std::fprintf(stderr, "BLUR: [fragment program] does not compile; the layers are drawn one by one\n");
        release();
        return false;
    }
    v.pictureAt = gApi.location(v.program, "picture");
    v.offsetAt = gApi.location(v.program, "offset");
    v.countAt = gApi.location(v.program, "count");
    v.layerAt = gApi.location(v.program, "layer");
    return true;
}

void BlurProgram::draw(const float* insets, const float* alphas, int32_t count, float ox, float oy, float w,
                       float h) {
    GLfloat layer[kMaxLayers * 2];
    const int32_t n = std::min(std::max(count, 0), kMaxLayers);
    if (!prepare(n)) return;
    for (int32_t i = 0; i < n; ++i) {
        layer[2 * i] = insets[i];
        layer[2 * i + 1] = std::min(std::max(alphas[i], 0.0f), 1.0f);
    }
    const Variant& v = variants_[variantOf(n)];
    gApi.use(v.program);
    gApi.uniform1i(v.pictureAt, 0);
    gApi.uniform2f(v.offsetAt, ox, oy);
    gApi.uniform1i(v.countAt, n);
    if (n > 0) gApi.uniform2fv(v.layerAt, n, layer);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, h);
    glEnd();
    gApi.use(0);
}

}  // namespace kgl
