// SceneObject::RenderObject: one object in immediate mode, in its render type and fill style,
// with transparency, two-pass and multitexture effects, bump mapping, billboards and the stencil
// outline. Also the per-object extension probe. Rendering thread only; nothing allocates.
#include "scene/kgl_object_render.h"

#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/kgl_msgbox.h"
#include "scene/kgl_glext_state.h"
#include "scene/kgl_materials.h"
#include "scene/kgl_scene3d.h"

namespace kgl {
namespace {

constexpr float kOutlineWidth = 15.0f;
constexpr float kOutlineAlpha = 0.6f;
constexpr float kMaskAlpha = 0.4f;

// What the face loop needs to know while it emits one primitive.
struct FaceEmitter {
    SceneObject& o;
    int currentId = 0;  // sub-material whose texture is bound
    float bumpColor[3] = {0, 0, 0};
    bool culled = false;  // no face can reach the depth-sense rectangle: states only, no vertices
};

constexpr int32_t kSenseMarginPixels = 2;
bool senseOn = false;
int32_t senseRect[4] = {};

enum class Path {
    None,
    TSmooth,
    TFlat,
    S30Smooth,
    S30Flat,
    F20Smooth,
    F20Flat,
    Multipass,
    TwoPass,
    Bump,
    E40
};

bool isTransparent(const SceneObject& o) {
    return o.transparency == kTranspTransparent;
}

bool faceValid(const SceneObject& o, const ObjectFace& f) {
    const size_t n = o.vertices.size();
    return f.a < n && f.b < n && f.c < n;
}

void corners(const ObjectFace& f, uint16_t out[3]) {
    out[0] = f.a;
    out[1] = f.b;
    out[2] = f.c;
}

// Texture coordinate k of face fi, (0, 0, 0) when the index is out of range.
void texCoord(const SceneObject& o, int fi, int k, float* u, float* v, float* w) {
    *u = *v = *w = 0.0f;
    if (static_cast<size_t>(fi) >= o.texFaces.size()) return;
    const uint16_t t = o.texFaces[fi].t[k];
    if (t < o.u.size() && t < o.v.size()) {
        *u = o.u[t];
        *v = o.v[t];
        if (t < o.w.size()) *w = o.w[t];
    }
}

void bindSlot(const SceneObject& o, int slot) {
    glBindTexture(GL_TEXTURE_2D, ObjectSlotTexture(o, slot));
}

// Texture switching: a face of another sub-material ends the primitive, binds that slot's texture
// and begins triangles again.
void switchTexture(FaceEmitter& e, const ObjectFace& f, bool selectUnit0) {
    if (f.materialId == e.currentId) return;
    glEnd();
    if (selectUnit0) SelectTextureUnit(0);
    bindSlot(e.o, f.materialId);
    glBegin(GL_TRIANGLES);
    e.currentId = f.materialId;
}

ColorRGBA materialAmbient(const SceneObject& o) {
    return o.material ? o.material->ambient : ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f};
}
float materialOpacity(const SceneObject& o) {
    return o.material ? o.material->opacity : 1.0f;
}

void normal3(const Vec3& n) {
    glNormal3f(n.x, n.y, n.z);
}
void vertex3(const Vec3& p) {
    glVertex3f(p.x, p.y, p.z);
}

// The drawing paths as a table: per path, where each corner's colour, normal and texture
// coordinates come from, and whether its main pass switches textures by face material.
enum class CornerColour : uint8_t {
    kNone,
    kMaterial,       // material ambient, material opacity
    kMaterialWhole,  // the same with each channel truncated to a whole number
    kVertex,         // the corner's own colour with its alpha
    kFirstCorner,    // the face's first corner colour, no alpha
    kBump,           // the bump light colour
    kVertexAlpha     // the corner's colour with the pass alpha; none when the alpha is kNoColour
};
enum class CornerNormal : uint8_t { kFace, kVertex };
enum class CornerCoords : uint8_t {
    kNone,
    kUV,            // glTexCoord2f
    kUVW,           // glTexCoord3f
    kUnits01,       // the same (u, v) on units 0 and 1
    kUnit0AndMulti  // unit 0, and unit 1 when the object is multitextured
};

struct PathRow {
    Path path;
    CornerColour colour;
    CornerNormal normal;
    CornerCoords coords;
    bool switching;  // the main pass binds textures by face material id
};

constexpr PathRow kPathRows[] = {
    {Path::TSmooth, CornerColour::kMaterial, CornerNormal::kFace, CornerCoords::kUV, false},
    {Path::TFlat, CornerColour::kVertex, CornerNormal::kFace, CornerCoords::kUV, false},
    {Path::S30Smooth, CornerColour::kNone, CornerNormal::kVertex, CornerCoords::kNone, false},
    {Path::S30Flat, CornerColour::kFirstCorner, CornerNormal::kVertex, CornerCoords::kNone, false},
    {Path::F20Smooth, CornerColour::kFirstCorner, CornerNormal::kVertex, CornerCoords::kUV, true},
    {Path::F20Flat, CornerColour::kFirstCorner, CornerNormal::kFace, CornerCoords::kUVW, true},
    {Path::Multipass, CornerColour::kVertexAlpha, CornerNormal::kVertex, CornerCoords::kUnit0AndMulti, true},
    {Path::TwoPass, CornerColour::kVertexAlpha, CornerNormal::kVertex, CornerCoords::kUnit0AndMulti, true},
    {Path::Bump, CornerColour::kBump, CornerNormal::kVertex, CornerCoords::kUnits01, true},
    {Path::E40, CornerColour::kMaterialWhole, CornerNormal::kVertex, CornerCoords::kNone, false},
};

const PathRow* rowOf(Path path) {
    for (const PathRow& r : kPathRows)
        if (r.path == path) return &r;
    return nullptr;
}

constexpr float kNoColour = -2.0f;  // pass alpha of a pass that sets no colour

void cornerColour(const FaceEmitter& e, CornerColour kind, const ObjectVertex& vx, const ObjectVertex& first,
                  float alpha) {
    const SceneObject& o = e.o;
    switch (kind) {
        case CornerColour::kNone:
            break;
        case CornerColour::kMaterial: {
            const ColorRGBA a = materialAmbient(o);
            glColor4f(a.r, a.g, a.b, materialOpacity(o));
            break;
        }
        case CornerColour::kMaterialWhole: {
            const ColorRGBA a = materialAmbient(o);
            glColor4f(std::trunc(a.r), std::trunc(a.g), std::trunc(a.b), materialOpacity(o));
            break;
        }
        case CornerColour::kVertex:
            glColor4f(vx.color.r, vx.color.g, vx.color.b, vx.color.a);
            break;
        case CornerColour::kFirstCorner:
            glColor3f(first.color.r, first.color.g, first.color.b);
            break;
        case CornerColour::kBump:
            glColor3f(e.bumpColor[0], e.bumpColor[1], e.bumpColor[2]);
            break;
        case CornerColour::kVertexAlpha:
            if (alpha >= -1.5f) glColor4f(vx.color.r, vx.color.g, vx.color.b, alpha);
            break;
    }
}

void cornerCoords(const SceneObject& o, CornerCoords kind, float u, float v, float w) {
    switch (kind) {
        case CornerCoords::kNone:
            break;
        case CornerCoords::kUV:
            glTexCoord2f(u, v);
            break;
        case CornerCoords::kUVW:
            glTexCoord3f(u, v, w);
            break;
        case CornerCoords::kUnits01:
            MultiTexCoord(0, u, v);
            MultiTexCoord(1, u, v);
            break;
        case CornerCoords::kUnit0AndMulti:
            MultiTexCoord(0, u, v);
            if (o.multitexture) MultiTexCoord(1, u, v);
            break;
    }
}

// One corner of one face as the path's row says.
void emitCorner(FaceEmitter& e, const PathRow& row, int fi, int k, float alpha) {
    const SceneObject& o = e.o;
    const ObjectFace& f = o.faces[fi];
    uint16_t c[3];
    corners(f, c);
    const ObjectVertex& vx = o.vertices[c[k]];
    float u, v, w;
    texCoord(o, fi, k, &u, &v, &w);
    cornerColour(e, row.colour, vx, o.vertices[c[0]], alpha);
    normal3(row.normal == CornerNormal::kFace ? f.normal : vx.normal);
    cornerCoords(o, row.coords, u, v, w);
    vertex3(vx.pos);
}

// Every face of the object in one path; `switching` binds textures by face material id.
void emitFaces(FaceEmitter& e, Path path, bool switching, bool selectUnit0, float alpha) {
    const PathRow* row = rowOf(path);
    if (!row) return;
    const int count = static_cast<int>(e.o.faces.size());
    for (int fi = 0; fi < count; ++fi) {
        const ObjectFace& f = e.o.faces[fi];
        if (!faceValid(e.o, f)) continue;
        if (switching) switchTexture(e, f, selectUnit0);
        if (e.culled) continue;
        for (int k = 0; k < 3; ++k) emitCorner(e, *row, fi, k, alpha);
    }
}

bool hasSubMaterials(const SceneObject& o) {
    return o.material && o.material->hasSubMaterials && o.material->subMaterialCount > 0;
}

// Filler 50: the multitexture single pass, or two passes without multitexture.
void emitMultipass(FaceEmitter& e) {
    SceneObject& o = e.o;
    if (o.multitexture) {
        emitFaces(e, Path::Multipass, true, true, o.alphaArb0);
        return;
    }
    emitFaces(e, Path::Multipass, true, false, kNoColour);
    if (!hasSubMaterials(o)) return;
    glEnd();
    glDepthFunc(GL_EQUAL);
    bindSlot(o, o.matRange);
    SetSphereMap(true);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA);
    glBegin(GL_TRIANGLES);
    emitFaces(e, Path::Multipass, false, false, o.secondPassAlpha);
}

// Filler 70: a textured pass, then the second map blended over it with ALPHA_FUNCTION_ARB1.
void emitTwoPass(FaceEmitter& e) {
    SceneObject& o = e.o;
    emitFaces(e, Path::TwoPass, true, false, o.alphaArb0);
    if (!hasSubMaterials(o)) return;
    glEnd();
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_ALPHA_TEST);
    bindSlot(o, o.matRange);
    SetSphereMap(true);
    glEnable(GL_BLEND);
    ApplyBlendFunction(o.alphaFunctionArb1);
    glBegin(GL_TRIANGLES);
    emitFaces(e, Path::TwoPass, false, false, o.alphaArb1);
}

bool bumpUsable(const SceneObject& o) {
    const GLExtensions& x = glExtensions();
    return o.multitexture && (x.registerCombiners || (x.envCombine && x.envDot3));
}

// Filler 41. NV register combiners when present; otherwise the ARB combine/dot3 passes.
void emitBump(FaceEmitter& e) {
    SceneObject& o = e.o;
    if (glExtensions().registerCombiners) {
        emitFaces(e, Path::Bump, true, false, 0.0f);
        return;
    }
    emitFaces(e, Path::Bump, true, false, 0.0f);
    if (BumpFallbackPassCount(o.bumpMode) < 2) return;
    glEnd();
    glDepthFunc(GL_EQUAL);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    SetupBumpFallbackPass(o.bumpMode, 1, ObjectSlotTexture(o, o.matRange), ObjectSlotTexture(o, 0));
    e.currentId = 0;
    glBegin(GL_TRIANGLES);
    emitFaces(e, Path::Bump, true, false, 0.0f);
}

Path choosePath(const SceneObject& o) {
    if (isTransparent(o)) return o.smoothNormals ? Path::TSmooth : Path::TFlat;
    switch (o.fillerType) {
        case kFillerSphereMap:
            return o.smoothNormals ? Path::S30Smooth : Path::S30Flat;
        case kFillerTextured:
            return o.smoothNormals ? Path::F20Smooth : Path::F20Flat;
        case kFillerMultipass:
            return Path::Multipass;
        case kFillerTwoPass:
            return Path::TwoPass;
        case kFillerBump:
            return bumpUsable(o) ? Path::Bump : Path::F20Smooth;
        case kFillerSphereAdd:
            return o.smoothNormals ? Path::E40 : Path::None;
        default:
            return Path::None;
    }
}

void emitPath(FaceEmitter& e, Path path) {
    switch (path) {
        case Path::None:
            return;
        case Path::Multipass:
            emitMultipass(e);
            return;
        case Path::TwoPass:
            emitTwoPass(e);
            return;
        case Path::Bump:
            emitBump(e);
            return;
        default: {
            const PathRow* row = rowOf(path);
            if (row) emitFaces(e, path, row->switching, false, 0.0f);
            return;
        }
    }
}

// The primitive for the render type; false for a type that draws no faces.
bool beginPrimitive(const SceneObject& o) {
    switch (o.renderType) {
        case kRenderPoints:
            glBegin(GL_POINTS);
            return true;
        case kRenderWire:
            glDisable(GL_TEXTURE_2D);
            glLineWidth(o.material ? o.material->wireWidth : 1.0f);
            glBegin(GL_LINE_LOOP);
            return true;
        case kRenderFilled:
        case kRenderOutlined:
        case 30:
        case 40:
            glBegin(GL_TRIANGLES);
            return true;
        case kRenderUntextured:
            glDisable(GL_TEXTURE_2D);
            glBegin(GL_TRIANGLES);
            return true;
        default:
            return false;
    }
}

// Restores made after the primitive ended (paths that change depth state in mid-object).
void afterPrimitive(SceneObject& o, Path path, bool bumpSetUp) {
    if (path == Path::Multipass && !o.multitexture && hasSubMaterials(o)) glDepthFunc(GL_LESS);
    if (path == Path::TwoPass && hasSubMaterials(o)) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LESS);
    }
    // The bump units are undone whatever the filler, so no later object draws through them.
    if (path == Path::Bump || bumpSetUp) {
        if (glExtensions().registerCombiners) {
            glDisable(GL_REGISTER_COMBINERS_NV);
        } else if (bumpSetUp) {
            if (path == Path::Bump && BumpFallbackPassCount(o.bumpMode) >= 2) {
                glDepthFunc(GL_LESS);
                glDepthMask(GL_TRUE);
                glDisable(GL_BLEND);
            }
            ResetBumpFallback();
        }
        SelectTextureUnit(0);
    }
}

void setupUnit0(SceneObject& o) {
    SelectTextureUnit(0);
    bindSlot(o, 0);
    glEnable(GL_TEXTURE_2D);
    if (o.alphaFunction < 0) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    } else {
        glDepthMask(GL_FALSE);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        ApplyBlendFunction(o.alphaFunction);
    }
}

// COMBINE_RBA0 1..3 select unit 1's colour combine mode; 0 and other values keep the one it has.
constexpr GLenum kCombineModes[] = {GL_ADD, GL_INTERPOLATE_ARB, GL_SUBTRACT_ARB};
constexpr int32_t kCombineModeCount = 3;

void setupUnit1(SceneObject& o) {
    SelectTextureUnit(1);
    bindSlot(o, o.matRange);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    if (o.combineRba0 > 0 && o.combineRba0 <= kCombineModeCount)
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, static_cast<GLint>(kCombineModes[o.combineRba0 - 1]));
    if (o.alphaFunctionArb1 >= 0) {
        glEnable(GL_BLEND);
        ApplyBlendFunction(o.alphaFunctionArb1);
    }
    if (o.effectArb0 == 0 || o.effectArb0 == 1) {
        SetSphereMap(true);
        // Emboss texture generation exists only with GL_NV_texgen_emboss; without it EFFECT_ARB0 1
        // is the plain sphere map of EFFECT_ARB0 0.
        if (o.effectArb0 == 1 && glExtensions().texgenEmboss) {
            glTexGeni(GL_S, GL_EMBOSS_CONSTANT_NV, 45);
            glTexGeni(GL_T, GL_EMBOSS_CONSTANT_NV, 10);
        }
    } else if (o.effectArb0 == 2) {
        SetSphereMap(false);
    }
}

// Texture units and the base texture.
void setupTextures(SceneObject& o) {
    if (o.multitexture && o.fillerType == kFillerMultipass) {
        setupUnit0(o);
        setupUnit1(o);
        SelectTextureUnit(0);
    } else if (o.multitexture) {
        glDisable(GL_BLEND);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        SelectTextureUnit(0);
        bindSlot(o, 0);
        glEnable(GL_TEXTURE_2D);
    } else {
        bindSlot(o, 0);
    }
}

// Depth writes and blending for transparency.
void setupBlending(const SceneObject& o) {
    if (isTransparent(o) || o.fillerType == kFillerSphereAdd) {
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        ApplyBlendFunction(o.alphaFunction);
    } else if ((o.fillerType != kFillerMultipass && o.fillerType != kFillerSphereAdd) ||
               o.alphaFunction == -1) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
}

// The bump pass set-up (bump light vector, units, combiners).
void setupBump(FaceEmitter& e) {
    SceneObject& o = e.o;
    const float l[3] = {o.bumpLightPos.x, o.bumpLightPos.y, o.bumpLightPos.z};
    EncodeBumpLight(l, e.bumpColor);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    if (glExtensions().registerCombiners) {
        SelectTextureUnit(1);
        glEnable(GL_TEXTURE_2D);
        bindSlot(o, 0);
        SelectTextureUnit(0);
        glEnable(GL_TEXTURE_2D);
        bindSlot(o, o.matRange);
        glEnable(GL_REGISTER_COMBINERS_NV);
        SetupBumpCombinersNV(o.bumpMode);
    } else {
        SetupBumpFallbackPass(o.bumpMode, 0, ObjectSlotTexture(o, o.matRange), ObjectSlotTexture(o, 0));
    }
}

// The outline where the stencil is not set, as wide lines through the face corners.
void drawOutline(const SceneObject& o) {
    glStencilFunc(GL_NOTEQUAL, 1, 0xFFFFFFFFu);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glLineWidth(kOutlineWidth);
    glPolygonMode(GL_FRONT, GL_LINE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    glColor4f(1.0f, 1.0f, 1.0f, kOutlineAlpha);
    glBegin(GL_LINES);
    for (const ObjectFace& f : o.faces) {
        if (!faceValid(o, f)) continue;
        vertex3(o.vertices[f.a].pos);
        vertex3(o.vertices[f.b].pos);
        vertex3(o.vertices[f.c].pos);
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glDisable(GL_STENCIL_TEST);
    glPolygonMode(GL_FRONT, GL_FILL);
}

// Billboard half-size from the absolute copy: | |trunc(z0)| - |trunc(z1)| |.
float billboardHalfSize(const SceneObject& o) {
    if (o.absolutePositions.size() < 2) return 0.0f;
    const float z0 = std::fabs(std::trunc(o.absolutePositions[0].z));
    const float z1 = std::fabs(std::trunc(o.absolutePositions[1].z));
    return std::fabs(z0 - z1);
}

void drawBillboard(SceneObject& o) {
    glDisable(GL_CULL_FACE);
    // Only the lighting attributes are saved: fog and depth test stay off after a billboard, as
    // any object leaves its state to the objects drawn after it.
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glPushMatrix();
    float e[3];
    EyeSpacePosition(o.pivot.x, o.pivot.y, o.pivot.z, e);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glTranslatef(e[0], e[1], e[2]);
    if (o.hasScaleTrack()) glScalef(o.scale.x, o.scale.y, o.scale.z);
    const float s = billboardHalfSize(o);
    glEnable(GL_BLEND);
    float alpha;
    if (o.usesMask && hasSubMaterials(o)) {
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        bindSlot(o, 1);
        glColor4f(1.0f, 1.0f, 1.0f, kMaskAlpha);
        DrawSpriteSquare(s);
        glBlendFunc(GL_ONE, GL_ONE);
        bindSlot(o, 0);
        alpha = 1.0f;
    } else {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        bindSlot(o, 0);
        alpha = o.opacity;
    }
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    DrawSpriteSquare(s);
    glDepthMask(GL_TRUE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glPopAttrib();
    glPopMatrix();
}

void applyTransform(const SceneObject& o) {
    glPushMatrix();
    if (o.hasTransformTrack() && !o.hasMorphTrack() && o.orientType != kOrientBillboard)
        glTranslatef(o.pivot.x, o.pivot.y, o.pivot.z);
    if (o.hasRotationTrack())
        glRotatef(o.rotationAngle, o.rotationAxis.x, o.rotationAxis.y, o.rotationAxis.z);
    if (o.hasScaleTrack()) glScalef(o.scale.x, o.scale.y, o.scale.z);
}

// Pops the transform and undo the per-filler texture state.
void finishObject(const SceneObject& o) {
    glPopMatrix();
    const int filler = o.fillerType;
    if (filler == kFillerSphereAdd || filler == kFillerMultipass || filler == kFillerTwoPass)
        SetSphereMap(false);
    if (o.multitexture && filler == kFillerMultipass) {
        SelectTextureUnit(1);
        glDisable(GL_TEXTURE_2D);
        SelectTextureUnit(0);
    } else if (o.renderType == kRenderWire) {
        glEnable(GL_TEXTURE_2D);
    }
}

void materialOrPlain(const SceneObject& o) {
    if (o.useMaterial && o.material) {
        ApplyMaterial(*o.material);
    } else if (!o.useMaterial) {
        glDisable(GL_CULL_FACE);
        glPushAttrib(GL_LIGHTING_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_FOG);
    }
}

void endPlain(const SceneObject& o) {
    if (o.useMaterial) return;
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glPopAttrib();
}

}  // namespace

GLuint ObjectSlotTexture(const SceneObject& o, int slot) {
    if (!o.material || !o.textureTable || slot < 0 || slot >= kMaxMaterialSlots) return 0;
    const int index = o.material->slots[slot].tableIndex;
    if (index < 0 || index >= kSceneTextureSlots) return 0;
    return o.textureTable[index];
}

void SetSphereMap(bool on) {
    if (on) {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}

void DrawSpriteSquare(float s) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-s, s, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(s, s, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(s, -s, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-s, -s, 0.0f);
    glEnd();
}

void EyeSpacePosition(float x, float y, float z, float out[3]) {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 3; ++i) out[i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void SceneObject::ProbeGLExtensions() {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const ProbeResult r = ProbeGLExtensionList(list);
    if (r == ProbeResult::NoExtensionString) {
        messageBox(
            "kGL engine: Fatal Error, glGetstring(GL_EXTENSIONS) failed, could not "
            "determine GL extensions",
            "K3D Loading ERROR", MsgBoxKind::Info);
        std::exit(-2);
    }
    multitexture = r == ProbeResult::Multitexture ? 1 : 0;
}

namespace {

// Whether the object's faces may cover a pixel of the depth-sense rectangle: its box's corners
// projected with the current matrices (the object's transform applied). Any corner at or behind
// the eye counts as reaching it.
bool reachesSenseRect(const SceneObject& o) {
    if (o.vertices.empty()) return false;
    Vec3 lo = o.vertices[0].pos;
    Vec3 hi = lo;
    for (const ObjectVertex& v : o.vertices) {
        lo = Vec3{std::min(lo.x, v.pos.x), std::min(lo.y, v.pos.y), std::min(lo.z, v.pos.z)};
        hi = Vec3{std::max(hi.x, v.pos.x), std::max(hi.y, v.pos.y), std::max(hi.z, v.pos.z)};
    }
    const GLView view = CurrentGLView();
    double x0 = 1e30, y0 = 1e30, x1 = -1e30, y1 = -1e30;
    for (int c = 0; c < 8; ++c) {
        const double p[4] = {(c & 1) ? hi.x : lo.x, (c & 2) ? hi.y : lo.y, (c & 4) ? hi.z : lo.z, 1.0};
        double eye[4];
        double clip[4];
        for (int i = 0; i < 4; ++i)
            eye[i] = view.model[i] * p[0] + view.model[4 + i] * p[1] + view.model[8 + i] * p[2] +
                     view.model[12 + i] * p[3];
        for (int i = 0; i < 4; ++i)
            clip[i] = view.proj[i] * eye[0] + view.proj[4 + i] * eye[1] + view.proj[8 + i] * eye[2] +
                      view.proj[12 + i] * eye[3];
        if (!(clip[3] > 1e-6)) return true;
        const double wx = view.viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * view.viewport[2];
        const double wy = view.viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * view.viewport[3];
        x0 = std::min(x0, wx);
        y0 = std::min(y0, wy);
        x1 = std::max(x1, wx);
        y1 = std::max(y1, wy);
    }
    const double m = kSenseMarginPixels;
    return x1 + m >= senseRect[0] && x0 - m <= senseRect[0] + senseRect[2] && y1 + m >= senseRect[1] &&
           y0 - m <= senseRect[1] + senseRect[3];
}

}  // namespace

GLView CurrentGLView() {
    GLView v;
    glGetDoublev(GL_MODELVIEW_MATRIX, v.model);
    glGetDoublev(GL_PROJECTION_MATRIX, v.proj);
    glGetIntegerv(GL_VIEWPORT, v.viewport);
    return v;
}

void SetDepthSenseRect(const int32_t* rect) {
    senseOn = rect != nullptr;
    if (rect) std::copy(rect, rect + 4, senseRect);
}

void SceneObject::RenderObject() {
    applyTransform(*this);
    if (hidden) {
        finishObject(*this);
        return;
    }
    for (int i = 0; i < trailCount && i < kMaxTrailsPerObject; ++i) {
        if (trails[i] && trails[i]->inUse) DrawLineTrail(*trails[i]);
    }
    materialOrPlain(*this);
    if (orientType == kOrientBillboard) {
        glPopMatrix();
        drawBillboard(*this);
        endPlain(*this);
        return;
    }
    if (renderType == kRenderOutlined) {
        glEnable(GL_STENCIL_TEST);
        glClearStencil(0);
        glClear(GL_STENCIL_BUFFER_BIT);
        glStencilFunc(GL_ALWAYS, 1, 0xFFFFFFFFu);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
        glPolygonMode(GL_FRONT, GL_FILL);
    }
    setupTextures(*this);
    if (fillerType == kFillerSphereAdd || fillerType == kFillerSphereMap) SetSphereMap(true);
    setupBlending(*this);
    FaceEmitter e{*this};
    e.culled = senseOn && !reachesSenseRect(*this);
    const Path path = choosePath(*this);
    // The bump units are set up for any filler; only without multitexture (or without combiners)
    // they are left out, since those units cannot be reached then.
    const bool bumpSetUp = bumpMode >= 0 && bumpUsable(*this);
    if (bumpSetUp) {
        setupBump(e);
    } else if (path == Path::Bump) {  // no bump pass: the light position goes out as it is
        e.bumpColor[0] = bumpLightPos.x;
        e.bumpColor[1] = bumpLightPos.y;
        e.bumpColor[2] = bumpLightPos.z;
    }
    if (beginPrimitive(*this)) {
        emitPath(e, path);
        glEnd();
    }
    afterPrimitive(*this, path, bumpSetUp);
    if (renderType == kRenderOutlined) drawOutline(*this);
    endPlain(*this);
    if (isTransparent(*this) || fillerType == kFillerSphereAdd || fillerType == kFillerMultipass ||
        fillerType == kFillerTwoPass) {
        glDisable(GL_BLEND);
        if (fillerType == kFillerSphereAdd) SetSphereMap(false);
    }
    if (renderType == kRenderUntextured) glEnable(GL_TEXTURE_2D);
    finishObject(*this);
}

}  // namespace kgl
