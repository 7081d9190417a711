// Scene rendering on a real context (offscreen driver): the blend table, object placement,
// transparency order, billboards, the stencil outline, E40 colours, fog, hidden objects, the
// dot3 bump fallback, and every render type / filler drawing without GL errors or stack leaks.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/kgl_test_context.h"
#include "scene/kgl_glext_state.h"
#include "scene/kgl_materials.h"
#include "scene/kgl_object_render.h"
#include "scene/kgl_scene3d.h"
#include "tests/gl/kgl_test_pixels.h"

using namespace kgl;

namespace {

constexpr int kSize = 64;

using kgl_test::Pixel;
using kgl_test::readPixel;

::testing::AssertionResult near(Pixel p, int r, int g, int b, int tol = 6) {
    if (std::abs(p.r - r) <= tol && std::abs(p.g - g) <= tol && std::abs(p.b - b) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << p.r << ", " << p.g << ", " << p.b << ") expected ("
                                         << r << ", " << g << ", " << b << ")";
}

GLuint makeTexture(unsigned char r, unsigned char g, unsigned char b) {
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    unsigned char px[2 * 2 * 3];
    for (int i = 0; i < 4; ++i) {
        px[3 * i] = r;
        px[3 * i + 1] = g;
        px[3 * i + 2] = b;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, px);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return t;
}

class SceneRender : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.create(kSize, kSize));
        glViewport(0, 0, kSize, kSize);
        scene.lastFrame = 100;
        scene.cameras.resize(1);
        scene.cameras[0].eye = Vec3{0, 0, 10};
        scene.cameras[0].target = Vec3{0, 0, 0};
        scene.aspect = 1.0f;
        scene.materials.resize(1);
        scene.objects.reserve(16);
    }

    // A square of half-size h centred at (x, y, z), coloured c, facing the camera.
    SceneObject& addSquare(float x, float y, float z, float h, ColorRGBA c) {
        scene.objects.emplace_back();
        SceneObject& o = scene.objects.back();
        const Vec3 p[4] = {{x - h, y - h, z}, {x + h, y - h, z}, {x + h, y + h, z}, {x - h, y + h, z}};
        for (const Vec3& q : p) {
            ObjectVertex v;
            v.pos = q;
            v.color = c;
            v.normal = Vec3{0, 0, 1};
            o.vertices.push_back(v);
            o.restPositions.push_back(q);
            o.absolutePositions.push_back(q);
        }
        o.vertexCount = 4;
        ObjectFace f0, f1;
        f0.a = 0, f0.b = 1, f0.c = 2;
        f1.a = 2, f1.b = 3, f1.c = 0;
        f0.normal = f1.normal = Vec3{0, 0, 1};
        o.faces = {f0, f1};
        o.faceCount = 2;
        TextureFace t0, t1;
        t0.t[0] = 0, t0.t[1] = 1, t0.t[2] = 2;
        t1.t[0] = 2, t1.t[1] = 3, t1.t[2] = 0;
        o.texFaces = {t0, t1};
        o.u = {0, 1, 1, 0};
        o.v = {0, 0, 1, 1};
        o.w = {0, 0, 0, 0};
        o.texCoordCount = 4;
        o.material = &scene.materials[0];
        o.textureTable = scene.textureTable;
        o.useMaterial = 0;
        o.smoothNormals = 1;
        o.ProbeGLExtensions();
        scene.drawOrder.push_back(static_cast<int32_t>(scene.objects.size() - 1));
        return o;
    }

    // Trail slot 0 in object space, one strip of two points at the origin, attached to `o`.
    LineTrail& attachTrail(SceneObject& o) {
        LineTrail& t = scene.lineTrails[0];
        t.inUse = 1;
        t.objectSpace = 1;
        t.stripCount = 1;
        t.pointsPerStrip = 2;
        t.points.assign(static_cast<size_t>(kTrailStrips) * kTrailPointCapacity, Vec3{});
        o.trails[0] = &t;
        o.trailCount = 1;
        return t;
    }

    // Material 0 with two sub-materials: the base map in slot 0, the second map in slot 1.
    void useTwoMaps(GLuint base, GLuint second) {
        scene.materials[0].hasSubMaterials = 1;
        scene.materials[0].subMaterialCount = 2;
        scene.materials[0].slots[1].tableIndex = 1;
        scene.textureTable[0] = base;
        scene.textureTable[1] = second;
    }

    void render() {
        glClearColor(0, 0, 0, 0);
        glClearStencil(0);
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        scene.Render();
        glFinish();
    }

    void expectCleanState() {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        GLint depth = -1;
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 0);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }

    HeadlessGL gl;
    Scene3D scene;
};

const ColorRGBA kRed{1, 0, 0, 1};
const ColorRGBA kGreen{0, 1, 0, 0.5f};

}  // namespace

TEST_F(SceneRender, ColouredObjectWhereTheCameraLooks) {
    addSquare(2.0f, 0.0f, 0.0f, 0.5f, kRed);
    render();
    // x = 2 at distance 10 with a 45 degree field: 2 / (10 tan 22.5) of the half-width.
    const int cx = kSize / 2 + static_cast<int>(std::lround(2.0 / (10.0 * std::tan(M_PI / 8)) * kSize / 2));
    EXPECT_TRUE(near(readPixel(cx, kSize / 2), 255, 0, 0));
    EXPECT_TRUE(near(readPixel(kSize / 2, kSize / 2), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(cx, kSize / 2 + 8), 0, 0, 0));
    expectCleanState();
}

TEST_F(SceneRender, CameraWithoutObjectsOrWithoutCameraDrawsNothing) {
    addSquare(0, 0, 0, 2, kRed);
    scene.cameras.clear();
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 0, 0, 0));
    expectCleanState();
}

TEST_F(SceneRender, TransparentObjectBlendsOverTheOpaqueOne) {
    addSquare(0, 0, 0, 2, kRed);
    SceneObject& glass = addSquare(0, 0, 1, 1, kGreen);
    glass.transparency = kTranspTransparent;
    glass.smoothNormals = 0;  // T-flat: the vertex colour with its alpha
    glass.alphaFunction = 0;  // GL_SRC_ALPHA, GL_ONE
    SceneObject& hiddenBehind = addSquare(0, 0, -1, 3, ColorRGBA{0, 0, 1, 1});
    hiddenBehind.transparency = kTranspTransparent;
    hiddenBehind.smoothNormals = 0;
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 128, 0));     // red + half green, blue behind is rejected
    EXPECT_TRUE(near(readPixel(32, 32 + 12), 255, 0, 0));  // outside the glass
    expectCleanState();
}

TEST_F(SceneRender, BlendTableTwinsBlendAlikeAndOutsideValuesKeepTheFunction) {
    Pixel got[11];
    for (int fn : {2, 5, 7, 9}) {
        scene.objects.clear();
        scene.drawOrder.clear();
        addSquare(0, 0, 0, 2, ColorRGBA{0.2f, 0.6f, 0.4f, 1});
        SceneObject& t = addSquare(0, 0, 1, 2, ColorRGBA{0.8f, 0.2f, 0.6f, 0.3f});
        t.transparency = kTranspTransparent;
        t.smoothNormals = 0;
        t.alphaFunction = fn;
        render();
        got[fn] = readPixel(32, 32);
    }
    EXPECT_TRUE(near(got[2], got[5].r, got[5].g, got[5].b, 0));
    EXPECT_TRUE(near(got[7], got[7].r, got[9].g, got[9].b, 0));
    EXPECT_TRUE(near(got[7], 36, 107, 71, 3));  // dst * (1 - 0.3)
    glBlendFunc(GL_ONE, GL_ONE);
    ApplyBlendFunction(11);
    ApplyBlendFunction(-1);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
    ApplyBlendFunction(10);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_SRC_ALPHA);
}

TEST_F(SceneRender, BillboardFacesTheCameraWithItsHalfSize) {
    SceneObject& b = addSquare(0, 0, 0, 0.5f, kRed);
    b.orientType = kOrientBillboard;
    b.absolutePositions[0].z = 0.4f;  // |0| - |3| -> half-size 3
    b.absolutePositions[1].z = -3.9f;
    b.opacity = 1.0f;
    render();
    const double half = 3.0 / (10.0 * std::tan(M_PI / 8)) * kSize / 2;  // about 23 pixels
    EXPECT_TRUE(near(readPixel(32 + static_cast<int>(half) - 2, 32), 255, 255, 255));
    EXPECT_TRUE(near(readPixel(32 + static_cast<int>(half) + 2, 32), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(32, 32 - static_cast<int>(half) + 2), 255, 255, 255));
    expectCleanState();
}

// What an object leaves to the objects drawn after it: a billboard leaves fog and depth test off;
// the bump units are set up for any filler and undone afterwards, combine sources included; a
// multipass object with COMBINE 0 keeps the combine function unit 1 had.
TEST_F(SceneRender, ObjectsLeaveTheirStateToTheNextObject) {
    useTwoMaps(makeTexture(255, 255, 255), makeTexture(128, 128, 255));  // flat normal map
    scene.lights.resize(1);
    scene.lights[0].position = Vec4{40, 0, 0, 1};  // along the surface
    auto envOfUnit1 = [](GLenum name) {
        GLint v = 0;
        SelectTextureUnit(1);
        glGetTexEnviv(GL_TEXTURE_ENV, name, &v);
        SelectTextureUnit(0);
        return v;
    };

    SceneObject& b = addSquare(0, 0, 0, 0.5f, kRed);
    b.orientType = kOrientBillboard;
    glEnable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    b.RenderObject();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    expectCleanState();

    // Filler 20 with a bump mode: red vertex colour dotted with the flat normal gives black.
    const struct {
        int bumpMode;
        int red;
    } kBumpCases[] = {{-1, 255}, {0, 0}, {2, 0}};
    for (const auto& c : kBumpCases) {
        SCOPED_TRACE(testing::Message() << "bump mode " << c.bumpMode);
        scene.objects.clear();
        scene.drawOrder.clear();
        SceneObject& o = addSquare(0, 0, 0, 2, kRed);
        o.fillerType = kFillerTextured;
        o.bumpMode = c.bumpMode;
        render();
        EXPECT_TRUE(near(readPixel(32, 32), c.red, 0, 0, 4));
        EXPECT_EQ(envOfUnit1(GL_SOURCE0_RGB_ARB), GL_TEXTURE);
        EXPECT_EQ(envOfUnit1(GL_SOURCE1_RGB_ARB), GL_PREVIOUS_ARB);
        EXPECT_EQ(envOfUnit1(GL_COMBINE_RGB_ARB), GL_MODULATE);
        expectCleanState();
    }
    scene.objects.clear();
    scene.drawOrder.clear();
    SceneObject& bump = addSquare(0, 0, 0, 2, kRed);
    bump.fillerType = kFillerBump;
    bump.bumpMode = 0;
    render();
    EXPECT_EQ(envOfUnit1(GL_SOURCE0_RGB_ARB), GL_TEXTURE);
    EXPECT_EQ(envOfUnit1(GL_SOURCE1_RGB_ARB), GL_PREVIOUS_ARB);

    scene.objects.clear();
    scene.drawOrder.clear();
    for (int combine : {1, 0}) {
        SceneObject& m = addSquare(0, 0, 0, 2, kRed);
        m.fillerType = kFillerMultipass;
        m.alphaFunction = -1;
        m.combineRba0 = combine;
    }
    render();
    EXPECT_EQ(envOfUnit1(GL_COMBINE_RGB_ARB), GL_ADD);
    expectCleanState();
}

TEST_F(SceneRender, StencilOutlineDrawsOutsideTheFilledFaces) {
    SceneObject& o = addSquare(0, 0, 0, 2, kRed);
    o.renderType = kRenderOutlined;
    render();
    const int edge = 32 - static_cast<int>(2.0 / (10.0 * std::tan(M_PI / 8)) * 32);  // bottom edge row
    EXPECT_TRUE(near(readPixel(32, 32), 255, 0, 0));
    EXPECT_TRUE(near(readPixel(32, edge - 3), 153, 153, 153, 8));  // white at alpha 0.6, over black
    EXPECT_TRUE(near(readPixel(32, edge + 3), 255, 0, 0));         // the stencil keeps the fill
    expectCleanState();
}

TEST_F(SceneRender, E40SendsTheTruncatedAmbientColourAndNeedsSmoothNormals) {
    scene.materials[0].ambient = ColorRGBA{0.9f, 1.0f, 0.5f, 1};
    scene.materials[0].opacity = 1.0f;
    SceneObject& o = addSquare(0, 0, 0, 2, kRed);
    o.fillerType = kFillerSphereAdd;
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 0, 255, 0));
    o.smoothNormals = 0;
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 0, 0, 0));
    expectCleanState();
}

TEST_F(SceneRender, HiddenObjectDrawsNothingNotEvenItsTrail) {
    SceneObject& o = addSquare(0, 0, 0, 2, kRed);
    attachTrail(o).points[1] = Vec3{0, 3, 0};
    o.hidden = 1;
    render();
    for (int y = 8; y < 56; y += 4) EXPECT_TRUE(near(readPixel(32, y), 0, 0, 0)) << y;
    o.hidden = 0;
    o.fillerType = 99;  // no faces, but the trail is drawn
    render();
    EXPECT_GT(readPixel(32, 40).b, 100);
    expectCleanState();
}

TEST_F(SceneRender, LinearFogMixesTowardTheFogColour) {
    // Fog belongs to lit objects: an object without its material turns fog off while drawn.
    scene.materials[0].ambient = ColorRGBA{1, 1, 1, 1};
    SceneObject& o = addSquare(0, 0, 0, 2, ColorRGBA{0, 0, 0, 1});
    o.useMaterial = 1;
    scene.lights.resize(1);
    SceneLight& l = scene.lights[0];
    l.glLight = GL_LIGHT0;
    l.lightOn = 1;
    l.definedByScript = 1;
    l.ambient = ColorRGBA{1, 1, 1, 1};
    l.position = Vec4{0, 0, 20, 1};
    scene.SetAtmosphere(30, 1.15f, 90, 0, 20, 0.1f, 1, 0, 0);
    scene.SetFogOn(1);
    scene.EnableFog();
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 128, 128, 8));  // halfway through 0..20 at distance 10
    glDisable(GL_FOG);
}

TEST_F(SceneRender, ProjectionUsesTheTruncatedFarPlane) {
    // Target 5 away: far = 40, so a square 45 away is clipped while one 35 away is drawn.
    scene.cameras[0].target = Vec3{0, 0, 5};
    addSquare(0, 0, -35, 10, kRed);
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 0, 0, 0));
    scene.objects.clear();
    scene.drawOrder.clear();
    addSquare(0, 0, -25, 10, kRed);
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 0, 0));
}

class BumpFallback : public SceneRender, public ::testing::WithParamInterface<std::pair<int, int>> {};

// Flat normal map (0, 0, 1) with the light at 60 degrees: s = 0.5; grey base t = 0.5.
// mode 0: s t = 0.25; 1: + s^2 = 0.5; 2: + min(1, 3 s^2)^2 = 0.8125; 3: + (3 s^2 - 0.5)^2 = 0.3125.
TEST_P(BumpFallback, ComputesTheCombinerFormula) {
    const int mode = GetParam().first;
    const int expected = GetParam().second;
    useTwoMaps(makeTexture(128, 128, 128), makeTexture(128, 128, 255));
    SceneObject& o = addSquare(0, 0, 0, 2, kRed);
    ASSERT_EQ(o.multitexture, 1);
    ASSERT_TRUE(glExtensions().envDot3);
    o.fillerType = kFillerBump;
    o.bumpMode = mode;
    o.bumpLightId = 0;
    scene.lights.resize(1);
    scene.lights[0].position = Vec4{std::sqrt(0.75f), 0.0f, 0.5f, 1.0f};
    render();
    EXPECT_TRUE(near(readPixel(32, 32), expected, expected, expected, 5));
    expectCleanState();
}

INSTANTIATE_TEST_SUITE_P(Modes, BumpFallback,
                         ::testing::Values(std::make_pair(0, 64), std::make_pair(1, 128),
                                           std::make_pair(2, 207), std::make_pair(3, 80)));

TEST_F(SceneRender, BumpFacingTheLightIsFullyBright) {
    useTwoMaps(makeTexture(255, 255, 255), makeTexture(128, 128, 255));
    SceneObject& o = addSquare(0, 0, 0, 2, kRed);
    o.fillerType = kFillerBump;
    o.bumpMode = 0;
    scene.lights.resize(1);
    scene.lights[0].position = Vec4{0, 0, 40, 1};
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 255, 255, 3));
    scene.lights[0].position = Vec4{40, 0, 0, 1};  // light along the surface: dark
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 0, 0, 0, 3));
}

TEST_F(SceneRender, EveryRenderTypeAndFillerDrawsCleanly) {
    useTwoMaps(makeTexture(200, 100, 50), makeTexture(50, 100, 200));
    scene.lights.resize(1);
    scene.lights[0].glLight = GL_LIGHT0;
    scene.lights[0].lightOn = 1;
    scene.lights[0].definedByScript = 1;
    scene.lights[0].position = Vec4{0, 0, 20, 1};
    scene.lights[0].diffuse = ColorRGBA{1, 1, 1, 1};
    const int renderTypes[] = {1, 2, 3, 7, 10, 30, 40, 99};
    const int fillers[] = {20, 30, 40, 41, 50, 70, 0};
    int drawn = 0;
    for (int rt : renderTypes) {
        for (int fl : fillers) {
            for (int variant = 0; variant < 4; ++variant) {
                scene.objects.clear();
                scene.drawOrder.clear();
                SceneObject& o = addSquare(0, 0, 0, 2, ColorRGBA{1, 1, 1, 1});
                o.renderType = rt;
                o.fillerType = fl;
                o.useMaterial = variant & 1;
                o.smoothNormals = (variant >> 1) & 1;
                o.transparency = variant == 3 ? kTranspTransparent : kTranspOpaque;
                o.bumpMode = fl == kFillerBump ? variant : -1;
                o.alphaFunction = variant == 2 ? -1 : 3;
                o.alphaFunctionArb1 = 6;
                o.combineRba0 = variant;
                o.effectArb0 = variant % 3;
                o.faces[1].materialId = 1;  // texture switching in mid-object
                render();
                SCOPED_TRACE(testing::Message() << "render " << rt << " filler " << fl << " v " << variant);
                expectCleanState();
                const Pixel p = readPixel(32, 32);
                if (p.r + p.g + p.b > 0) ++drawn;
            }
        }
    }
    EXPECT_GT(drawn, 60);  // points, lines and unknown types may miss the centre
}

TEST_F(SceneRender, GlowAndRingSpritesOfALightWithItsFlareFlag) {
    scene.textureTable[kGlowTextureSlot] = makeTexture(255, 255, 255);
    scene.textureTable[kRingTextureSlot] = makeTexture(0, 0, 0);
    scene.lights.resize(2);
    for (SceneLight& l : scene.lights) {
        l.glowVisible = 1;
        l.diffuse = ColorRGBA{0.0f, 1.0f, 0.5f, 1.0f};
        l.glowSize1 = 1.0f;  // half-size in eye units: 1 at distance 10 is about 5 pixels
        l.glowSize2 = 3.0f;
    }
    scene.lights[0].flare = 1;
    scene.lights[0].position = Vec4{-2, 0, 0, 1};
    scene.lights[1].flare = 0;  // no flare flag: no sprites
    scene.lights[1].position = Vec4{2, 0, 0, 1};
    glEnable(GL_TEXTURE_2D);  // as the scene's GL preparation leaves it
    render();
    const int dx = static_cast<int>(2.0 / (10.0 * std::tan(M_PI / 8)) * 32);
    EXPECT_TRUE(near(readPixel(32 - dx, 32), 0, 255, 128));   // glow (white texture, light colour)
    EXPECT_TRUE(near(readPixel(32 - dx + 10, 32), 0, 0, 0));  // inside the ring only: black ring
    EXPECT_TRUE(near(readPixel(32 + dx, 32), 0, 0, 0));
    expectCleanState();
}

TEST_F(SceneRender, AttachedTrailLeavesTheObjectWhereItIsAndLit) {
    SceneObject& o = addSquare(0, 0, 0, 1, kRed);
    attachTrail(o).offset = Vec3{6, 0, 0};
    glEnable(GL_LIGHTING);
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 0, 0));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    expectCleanState();
}

TEST_F(SceneRender, ExtensionProbeDecidesFromTheStringOnly) {
    EXPECT_EQ(ProbeGLExtensionList(nullptr), ProbeResult::NoExtensionString);
    EXPECT_EQ(ProbeGLExtensionList("GL_ARB_texture_env_dot3 GL_ARB_multitexturex"),
              ProbeResult::NoMultitexture);
    EXPECT_FALSE(glExtensions().multitexture);
    EXPECT_EQ(ProbeGLExtensionList("GL_NV_texgen_emboss GL_ARB_multitexture"), ProbeResult::Multitexture);
    EXPECT_TRUE(glExtensions().texgenEmboss);
    EXPECT_FALSE(glExtensions().registerCombiners);
    // The real context: multitexture, combine and dot3, no register combiners, no emboss.
    SceneObject& o = addSquare(0, 0, 0, 1, kRed);
    EXPECT_EQ(o.multitexture, 1);
    EXPECT_TRUE(glExtensions().envCombine);
    EXPECT_FALSE(glExtensions().registerCombiners);
    EXPECT_FALSE(glExtensions().texgenEmboss);
    EXPECT_GE(glExtensions().textureUnits, 2);
}

TEST_F(SceneRender, MultipassCombinesTheSecondMapOnUnitOne) {
    useTwoMaps(makeTexture(255, 0, 0), makeTexture(0, 255, 0));
    SceneObject& o = addSquare(0, 0, 0, 2, ColorRGBA{1, 1, 1, 1});
    o.fillerType = kFillerMultipass;
    o.alphaFunction = -1;
    o.alphaFunctionArb1 = -1;
    o.alphaArb0 = 1.0f;
    o.combineRba0 = 1;  // GL_ADD: red base + green second map
    glEnable(GL_TEXTURE_2D);
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 255, 0));
    o.combineRba0 = 3;  // GL_SUBTRACT: second map minus base
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 0, 255, 0));
    expectCleanState();
}

TEST_F(SceneRender, TwoPassBlendsTheSecondMapWithItsOwnBlendFunction) {
    useTwoMaps(makeTexture(255, 0, 0), makeTexture(0, 0, 255));
    SceneObject& o = addSquare(0, 0, 0, 2, ColorRGBA{1, 1, 1, 1});
    o.fillerType = kFillerTwoPass;
    o.alphaArb0 = 1.0f;
    o.alphaArb1 = 1.0f;
    o.alphaFunctionArb1 = 6;  // GL_ONE, GL_ONE
    glEnable(GL_TEXTURE_2D);
    render();
    EXPECT_TRUE(near(readPixel(32, 32), 255, 0, 255));
    expectCleanState();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}
