#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/kgl_log.h"
#include "image/kgl_texture.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_textures.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_jpeg.h"
#include "tests/unit/kgl_test_scene.h"

using namespace kgl;
using namespace kgl_test;

namespace {

SceneLoadOptions Quiet() {
    SceneLoadOptions o;
    o.writeLogs = false;
    return o;
}

// A scene with every record kind: a static object, an animated and morphing one, a plain and a
// multi material, a camera with every track and one without, an omni and a targeted light, a shape.
TestScene FullScene() {
    TestScene s;
    s.lastFrame = 4;
    TestObject a;
    a.name = "Static";
    a.vertices = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    TestObject b;
    b.name = "Mover";
    b.material = 1;
    b.pivot[0] = 1;
    b.pivot[1] = 2;
    b.pivot[2] = 3;
    b.vertices = {1, 2, 3, 2, 2, 3, 1, 3, 3};
    b.faces = {0, 1, 2, 2};
    b.position = b.rotation = b.scale = true;
    b.positionKeys = {1, 2, 3, 4, 5, 6};
    b.rotationKeys = {-1, 2, -3, 3.1415927f, 0, 0, 1, 0.5f};
    b.scaleKeys = {1, 2, 3};
    for (int i = 0; i < 5 * 3 * 3; ++i) b.morph.push_back(static_cast<float>(i));
    s.objects = {a, b};
    TestMaterial plain;
    plain.texture = "plain.jpg";
    TestMaterial multi;
    multi.multi = true;
    multi.subs.resize(3);
    multi.subs[2].strength = 0.2f;
    multi.subs[2].texture = "third.jpg";
    s.materials = {plain, multi};
    TestCamera cam;
    cam.fov = {0.7854f, 0.5f, 0.5f, 0.5f, 0.5f};
    cam.eyeAnim = cam.targetAnim = true;
    cam.eyeKeys = {1, 2, 3};
    cam.eyeQuats = {0, 0, 1, 0.5f};
    cam.targetKeys = {4, 5, 6, 7, 8, 9};
    TestCamera still;
    still.name = "Camera02";
    s.cameras = {cam, still};
    TestLight omni;
    omni.anim = true;
    omni.keys = {1, 2, 3};
    TestLight spot;
    spot.target = true;
    spot.targetAnim = true;
    spot.targetKeys = {7, 8, 9};
    spot.color[0] = 0.8f;
    spot.intensity = 0.5f;
    s.lights = {omni, spot};
    TestShape shape;
    shape.points = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    s.shapes = {shape};
    return s;
}

void ExpectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

}  // namespace

// The scene with every record kind, written and read back; one test per record kind.
class SceneLoadRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        SceneLoadOptions opt = Quiet();
        opt.decodeTextures = false;
        scene.SetTexturePath("tex/", false);
        ASSERT_TRUE(scene.LoadFromBytes(WriteScene(FullScene()), "full.k3d", opt));
    }
    Scene3D scene;
};

TEST_F(SceneLoadRoundTrip, HeaderCountsAndDrawOrder) {
    ASSERT_EQ(scene.objectCount, 2);
    ASSERT_EQ(scene.materialCount, 2);
    ASSERT_EQ(scene.cameraCount, 2);
    ASSERT_EQ(scene.lightCount, 2);
    ASSERT_EQ(scene.shapeCount, 1);
    EXPECT_EQ(scene.lastFrame, 4);
    EXPECT_EQ(scene.frameSpeed, 30);
    EXPECT_EQ(scene.ticksPerFrame, 160);
    EXPECT_EQ(scene.sampleCounter, 5);
    EXPECT_EQ(scene.drawOrder, (std::vector<int32_t>{0, 1}));
    ExpectVec(scene.extent, 58, 58, 58);
}

TEST_F(SceneLoadRoundTrip, Objects) {
    ASSERT_EQ(scene.objectCount, 2);
    // Static object: absolute positions, file (1, 2, 3) held at (1, 3, -2).
    const SceneObject& a = scene.objects[0];
    EXPECT_STREQ(a.name, "Static");
    ExpectVec(a.vertices[0].pos, 1, 3, -2);
    ExpectVec(a.restPositions[2], 7, 9, -8);
    EXPECT_FALSE(a.hasTransformTrack());
    EXPECT_TRUE(a.positionKeys.empty());
    EXPECT_EQ(a.renderType, 3);
    EXPECT_EQ(a.fillerType, 20);
    EXPECT_EQ(a.transparency, 301);
    EXPECT_FLOAT_EQ(a.secondPassAlpha, 0.4f);
    EXPECT_EQ(a.bumpMode, -1);
    EXPECT_FLOAT_EQ(a.vertices[0].color.r, 1.0f);

    // Animated object: relative to the pivot (1, 3, -2), absolute copy kept.
    const SceneObject& b = scene.objects[1];
    ExpectVec(b.pivot, 1, 3, -2);
    ExpectVec(b.vertices[1].pos, 1, 0, 0);
    ExpectVec(b.restPositions[2], 0, 0, -1);
    ExpectVec(b.absolutePositions[1], 2, 3, -2);
    EXPECT_EQ(b.trackCapacity, 7);
    EXPECT_EQ(b.positionKeys.size(), 7u);
    EXPECT_EQ(b.positionKeyCount, 2);
    ExpectVec(b.positionKeys[1], 4, 6, -5);
    EXPECT_EQ(b.rotationKeyCount, 2);
    ExpectVec(b.rotationKeys[0].axis, 1, 3, -2);  // absolute values, then converted
    EXPECT_NEAR(b.rotationKeys[0].angle, 180.0f, 1e-3);
    EXPECT_NEAR(b.rotationKeys[1].angle, 0.5f * 180.0f / 3.1415927f, 1e-4);
    EXPECT_NEAR(b.initialRotation[1].angle, 180.0f, 1e-3);
    EXPECT_EQ(b.scaleKeyCount, 1);
    ExpectVec(b.scaleKeys[0], 1, 3, 2);
    ASSERT_EQ(b.morphKeys.size(), 15u);
    ExpectVec(b.morphFrame(4)[2], 42, 43, 44);  // stored as read
    EXPECT_EQ(b.materialIndex, 1);
    EXPECT_EQ(b.faces[0].materialId, 2);
}

TEST_F(SceneLoadRoundTrip, Materials) {
    ASSERT_EQ(scene.materialCount, 2);
    const SceneMaterial& plain = scene.materials[0];
    EXPECT_FALSE(plain.hasSubMaterials);
    EXPECT_FLOAT_EQ(plain.shininess, 0.25f * 80.0f);
    EXPECT_FLOAT_EQ(plain.opacity, 1.0f);
    EXPECT_FLOAT_EQ(plain.wireWidth, 2.0f);
    EXPECT_FLOAT_EQ(plain.diffuse.g, 0.5f);
    EXPECT_FLOAT_EQ(plain.specular.a, 1.0f);
    EXPECT_EQ(plain.textureNames, std::vector<std::string>{"plain.jpg"});
    EXPECT_EQ(plain.texturePath, "tex/");
    const SceneMaterial& multi = scene.materials[1];
    EXPECT_TRUE(multi.hasSubMaterials);
    EXPECT_EQ(multi.subMaterialCount, 3);
    EXPECT_FLOAT_EQ(multi.shininess, 20.0f);  // the last sub-material's strength x 100
    EXPECT_EQ(multi.textureNames.back(), "third.jpg");
}

TEST_F(SceneLoadRoundTrip, Cameras) {
    ASSERT_EQ(scene.cameraCount, 2);
    const SceneCamera& cam = scene.cameras[0];
    EXPECT_EQ(cam.name, "Camera01");
    ExpectVec(cam.eye, 0, 0, 10);
    ASSERT_EQ(cam.fovKeys.size(), 5u);
    EXPECT_NEAR(cam.fovKeys[0], 45.0f, 1e-4);
    EXPECT_EQ(cam.positionKeyCount, 1);
    EXPECT_EQ(cam.rotationKeyCount, 1);
    ExpectVec(cam.positionKeys[0].pos, 1, 3, -2);
    EXPECT_FLOAT_EQ(cam.positionKeys[0].quat[3], 0.5f);
    EXPECT_EQ(cam.targetKeyCount, 2);
    ExpectVec(cam.targetKeys[1], 7, 9, -8);
    EXPECT_EQ(scene.cameras[1].name, "Camera02");
    EXPECT_EQ(scene.cameras[1].positionFlag, 0);
}

TEST_F(SceneLoadRoundTrip, Lights) {
    ASSERT_EQ(scene.lightCount, 2);
    const SceneLight& omni = scene.lights[0];
    EXPECT_EQ(omni.hasTarget, 0);
    EXPECT_EQ(omni.glLight, 0x4000u);
    EXPECT_FLOAT_EQ(omni.ambient.r, 0.4f);
    EXPECT_FLOAT_EQ(omni.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(omni.specular.r, 0.4f);
    EXPECT_EQ(omni.positionKeyCount, 1);
    EXPECT_EQ(omni.positionKeys.size(), 5u);
    EXPECT_FLOAT_EQ(omni.positionKeys[0].w, 1.0f);
    EXPECT_FLOAT_EQ(omni.spotCutoff, 90.0f);
    EXPECT_FLOAT_EQ(omni.extent.w, 1.0f);
    EXPECT_GE(omni.glowUpper1, 21);
    EXPECT_LT(omni.glowUpper1, 71);
    EXPECT_GE(omni.glowSize1, 21.0f);
    EXPECT_GE(omni.glowUpper2, 40);
    EXPECT_LT(omni.glowSize2, static_cast<float>(omni.glowUpper2));
    const SceneLight& spot = scene.lights[1];
    EXPECT_EQ(spot.hasTarget, 1);
    EXPECT_EQ(spot.glLight, 0x4001u);
    EXPECT_FLOAT_EQ(spot.target.w, 1.0f);
    EXPECT_FLOAT_EQ(spot.specular.r, 0.8f + 0.5f);
    EXPECT_FLOAT_EQ(spot.diffuse.r, 1.0f);
    EXPECT_EQ(spot.targetKeyCount, 1);
    ExpectVec(spot.targetKeys[0], 7, 9, -8);
}

TEST_F(SceneLoadRoundTrip, Shapes) {
    ASSERT_EQ(scene.shapeCount, 1);
    ASSERT_EQ(scene.shapes[0].count, 3);
    EXPECT_EQ(scene.shapes[0].name, "Bez01");
}

TEST(SceneLoad, PackedTexturesAreSkippedByTheirStoredLength) {
    TestScene s = FullScene();
    s.packed = true;
    std::vector<uint8_t> red = SolidJpeg(4, 2, 250, 0, 0);
    std::vector<uint8_t> withTail = red;
    withTail.insert(withTail.end(), {'C', 'a', 'm', 'x', 1, 2, 3});  // bytes the decoder never reads
    s.materials[0].packed = withTail;
    for (TestSub& sub : s.materials[1].subs) sub.packed = SolidJpeg(8, 8, 0, 0, 250);
    Scene3D scene;
    scene.SetTexturePath("", true);
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "packed.k3d", Quiet()));
    ASSERT_EQ(scene.cameraCount, 2);
    EXPECT_EQ(scene.cameras[1].name, "Camera02");
    EXPECT_EQ(scene.lights[1].targetKeyCount, 1);
    const MaterialSlot& slot = scene.materials[0].slots[0];
    EXPECT_EQ(slot.width, 4);
    EXPECT_EQ(slot.height, 2);
    ASSERT_EQ(slot.pixels.size(), 4u * 2 * 3);
    EXPECT_GT(slot.pixels[0], 200);
    EXPECT_LT(slot.pixels[2], 50);
    EXPECT_FALSE(slot.placeholder);
    EXPECT_EQ(scene.materials[1].slots[2].width, 8);
}

TEST(SceneLoad, MissingTextureFileGivesAChecker) {
    Scene3D scene;
    scene.SetTexturePath("/nonexistent/", false);
    TestScene s = FullScene();
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "t.k3d", Quiet()));
    const MaterialSlot& slot = scene.materials[0].slots[0];
    EXPECT_TRUE(slot.placeholder);
    EXPECT_EQ(slot.width, 8);
    EXPECT_EQ(slot.pixels.size(), 8u * 8 * 3);
}

TEST(SceneLoad, TextureFileIsTexturePathFollowedByName) {
    TempCwd cwd;
    std::vector<uint8_t> grey = EncodeJpeg(3, 5, 1, [](int, int, int) -> uint8_t { return 128; });
    ASSERT_TRUE(writeFile("texplain.jpg", grey));
    Scene3D scene;
    scene.SetTexturePath("tex", false);  // no separator is inserted
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(FullScene()), "t.k3d", Quiet()));
    const MaterialSlot& slot = scene.materials[0].slots[0];
    EXPECT_FALSE(slot.placeholder);
    EXPECT_EQ(slot.width, 3);
    EXPECT_EQ(slot.height, 5);
    ASSERT_EQ(slot.pixels.size(), 3u * 5 * 3);  // greyscale comes out as RGB
    EXPECT_NEAR(slot.pixels[0], 128, 3);
    EXPECT_EQ(slot.pixels[0], slot.pixels[1]);
    EXPECT_EQ(slot.pixels[1], slot.pixels[2]);
}

TEST(SceneLoad, CameraSectionIsFoundByNameOrFollowsTheMaterials) {
    TestScene s = FullScene();
    s.gapBeforeCameras = {9, 9, 9, 9, 9};  // stray bytes: only the search finds the cameras
    Scene3D scene;
    scene.SetTexturePath("", false);
    SceneLoadOptions opt = Quiet();
    opt.decodeTextures = false;
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "gap.k3d", opt));
    EXPECT_EQ(scene.cameras[0].name, "Camera01");
    EXPECT_EQ(scene.lightCount, 2);

    TestScene t = FullScene();
    t.cameras[0].name = "Eye";  // no "Camera" anywhere: carry on from the reader's position
    t.cameras[1].name = "Eye2";
    Scene3D other;
    other.SetTexturePath("", false);
    ASSERT_TRUE(other.LoadFromBytes(WriteScene(t), "nocam.k3d", opt));
    EXPECT_EQ(other.cameras[1].name, "Eye2");
    EXPECT_EQ(other.shapeCount, 1);

    TestScene u = FullScene();
    u.cameras.clear();  // no cameras at all: lights and shapes still load
    Scene3D third;
    third.SetTexturePath("", false);
    ASSERT_TRUE(third.LoadFromBytes(WriteScene(u), "none.k3d", opt));
    EXPECT_EQ(third.lightCount, 2);
    EXPECT_EQ(third.shapeCount, 1);
}

TEST(SceneLoad, VertexLogHoldsTheLastObject) {
    TempCwd cwd;
    Scene3D scene;
    scene.SetTexturePath("", false);
    SceneLoadOptions opt;
    opt.decodeTextures = false;
    TestScene s = FullScene();
    s.objects[1].vertices = {1, 2, 3, 2, 2, 3};
    s.objects[1].faces = {0, 1, 1, 0};
    s.objects[1].morph.resize(5 * 2 * 3);
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "log.k3d", opt));
    const std::string expected =
        "\n************************************\nMover PIVOT! X:1.000000 Y:3.000000 Z:-2.000000 "
        "\nVert 0 X:1.000000 Y:3.000000 Z:-2.000000 \nVert 1 X:2.000000 Y:3.000000 Z:-2.000000 \n\n"
        "\nVert 0 X:0.000000 Y:0.000000 Z:0.000000 \nVert 1 X:1.000000 Y:0.000000 Z:0.000000 ";
    EXPECT_EQ(ReadText("VERTEXS.LOG"), expected);
    EXPECT_EQ(ReadText("BEZIER1.LOG"),
              "\n\nBezier Pivot 0.000000 0.000000 0.000000"
              "\nControl Point 0, 0.000000 0.000000 0.000000"
              "\nControl Point 1, 1.000000 1.000000 1.000000"
              "\nControl Point 2, 2.000000 2.000000 2.000000"
              "\nBern_Coef 0 1.000000\nBern_Coef 1 3.000000\nBern_Coef 2 3.000000");
}

// The logs' own float writer against printf, where the two could part: ties in the sixth place,
// signed zeros and values that round to them, the largest floats, NaN and infinities.
TEST(SceneLoad, LogFloatsAreWrittenAsPrintfWritesThem) {
    const float values[] = {0.0f,    -0.0f,    1.0f / 128, -3.0f / 256, 2.5e-6f, -1e-7f,   123456.789f,
                            FLT_MAX, -FLT_MAX, FLT_MIN,    NAN,         -NAN,    INFINITY, -INFINITY};
    for (float v : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%f", static_cast<double>(v));
        char written[kFixedChars + 1];
        *putFixed(written, v) = '\0';
        EXPECT_STREQ(written, expected);
    }
}

TEST(SceneLoad, MissingFileShowsTheBoxAndLeavesAnEmptyScene) {
    Scene3D scene;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(scene.Load("/nonexistent/scene.k3d"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("K3D Loading ERROR: K3D Scene File Not Founde."), std::string::npos) << err;
    EXPECT_EQ(scene.objectCount, 0);
    EXPECT_TRUE(scene.cameras.empty());
}

TEST(SceneLoad, AttachGivesDiffuseColoursAndPlainFaceIds) {
    Scene3D scene;
    scene.SetTexturePath("", false);
    SceneLoadOptions opt = Quiet();
    opt.decodeTextures = false;
    TestScene s = FullScene();
    s.objects[0].faces = {0, 1, 2, 5};
    s.objects.push_back(s.objects[0]);
    s.objects[2].material = 9;  // no such material
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "t.k3d", opt));
    testing::internal::CaptureStderr();
    AttachSceneMaterials(scene);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(scene.objects[0].material, &scene.materials[0]);
    EXPECT_EQ(scene.objects[0].faces[0].materialId, 0);  // plain material
    EXPECT_EQ(scene.objects[1].faces[0].materialId, 2);  // multi material keeps its ids
    EXPECT_FLOAT_EQ(scene.objects[0].vertices[0].color.g, 0.5f);
    EXPECT_FLOAT_EQ(scene.objects[0].vertices[0].color.a, 1.0f);
    EXPECT_EQ(scene.objects[2].material, &scene.fallbackMaterial);
    EXPECT_GT(scene.objects[2].vertices[0].color.r, 0.25f);  // grey, not black
    EXPECT_EQ(scene.objects[2].textureTable, scene.textureTable);
}

// ---- malformed files ----

namespace {

bool LoadBytes(Scene3D& scene, const std::vector<uint8_t>& bytes, std::string* err = nullptr,
               bool packed = false) {
    scene.SetTexturePath("", packed);
    testing::internal::CaptureStderr();
    const bool ok = scene.LoadFromBytes(bytes, "bad.k3d", Quiet());
    const std::string e = testing::internal::GetCapturedStderr();
    if (err) *err = e;
    return ok;
}

}  // namespace

TEST(SceneLoadMalformed, EveryTruncationStopsCleanlyWithOneLine) {
    TestScene s = FullScene();
    s.packed = true;
    s.materials[0].packed = SolidJpeg(4, 4, 1, 2, 3);
    for (TestSub& sub : s.materials[1].subs) sub.packed = SolidJpeg(4, 4, 1, 2, 3);
    const std::vector<uint8_t> full = WriteScene(s);
    for (size_t n = 0; n < full.size(); n += (n < 80 ? 1 : 7)) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
        Scene3D scene;
        std::string err;
        EXPECT_FALSE(LoadBytes(scene, cut, &err, true)) << n;
        EXPECT_NE(err.find("SCENE: [bad.k3d]"), std::string::npos) << n << err;
        EXPECT_LE(scene.objects.size(), 2u);
        EXPECT_EQ(scene.drawOrder.size(), scene.objects.size());
    }
}

TEST(SceneLoadMalformed, HugeCountsInASmallFileAllocateNothing) {
    std::vector<uint8_t> bytes = WriteScene(TestScene());
    bytes.resize(200, 0);
    bytes[26] = 0xff;
    bytes[27] = 0xff;  // 65535 objects
    Scene3D scene;
    std::string err;
    EXPECT_FALSE(LoadBytes(scene, bytes, &err));
    EXPECT_TRUE(scene.objects.empty());
    EXPECT_NE(err.find("objects"), std::string::npos) << err;

    // Vertex count larger than the data.
    TestScene s;
    s.objects.resize(1);
    std::vector<uint8_t> one = WriteScene(s);
    one[56 + 2 + 5 + 6 + 12 + 1] = 0xff;  // high byte of the vertex count
    Scene3D second;
    EXPECT_FALSE(LoadBytes(second, one, &err));
    EXPECT_NE(err.find("geometry"), std::string::npos) << err;
}

TEST(SceneLoadMalformed, BadIndicesCountsAndLengths) {
    std::string err;
    {
        TestScene s = FullScene();
        s.objects[0].faces = {0, 1, 7, 0};  // vertex 7 of 3
        Scene3D scene;
        EXPECT_FALSE(LoadBytes(scene, WriteScene(s), &err));
        EXPECT_NE(err.find("vertex 7"), std::string::npos) << err;
        EXPECT_TRUE(scene.objects.empty());
    }
    {
        TestScene s = FullScene();
        s.objects[0].texFaces = {0, 3, 0};  // texture vertex 3 of 1
        Scene3D scene;
        EXPECT_FALSE(LoadBytes(scene, WriteScene(s), &err));
        EXPECT_NE(err.find("texture vertex 3"), std::string::npos) << err;
    }
    {
        TestScene s = FullScene();
        s.materials[1].subs.resize(11);  // above 10
        Scene3D scene;
        EXPECT_FALSE(LoadBytes(scene, WriteScene(s), &err));
        EXPECT_NE(err.find("11 sub-materials"), std::string::npos) << err;
        EXPECT_EQ(scene.objectCount, 2);  // what came before is kept
        EXPECT_EQ(scene.materialCount, 1);
    }
    {
        TestScene s = FullScene();
        s.packed = true;
        s.materials.assign(7, TestMaterial());
        s.materials[6].multi = true;
        s.materials[6].subs.resize(10);
        for (int i = 0; i < 6; ++i) {
            s.materials[i].multi = true;
            s.materials[i].subs.resize(10);
        }  // 70 textures
        Scene3D scene;
        EXPECT_FALSE(LoadBytes(scene, WriteScene(s), &err, true));
        EXPECT_NE(err.find("more than 64 material textures"), std::string::npos) << err;
    }
    {
        TestScene s = FullScene();
        s.packed = true;
        s.materials.resize(1);
        s.materials[0].packed = {1, 2, 3};
        std::vector<uint8_t> bytes = WriteScene(s);
        // Make the packed length claim more bytes than the file has.
        for (size_t i = 56; i + 7 <= bytes.size(); ++i) {
            if (bytes[i] == 3 && bytes[i + 1] == 0 && bytes[i + 2] == 0 && bytes[i + 3] == 0 &&
                bytes[i + 4] == 1 && bytes[i + 5] == 2 && bytes[i + 6] == 3) {
                bytes[i + 2] = 0x10;
                break;
            }
        }
        Scene3D scene;
        EXPECT_FALSE(LoadBytes(scene, bytes, &err, true));
        EXPECT_NE(err.find("runs past the end"), std::string::npos) << err;
    }
    {
        TestScene s = FullScene();
        s.objects[1].positionKeys.assign(3 * 9, 0.0f);  // 9 keys, room for L + 3 = 7
        Scene3D scene;
        EXPECT_FALSE(LoadBytes(scene, WriteScene(s), &err));
        EXPECT_NE(err.find("9 samples"), std::string::npos) << err;
    }
}

TEST(SceneLoadMalformed, LongNamesAreCutAndLightsBeyondEightDropped) {
    TestScene s = FullScene();
    s.objects[0].name = "AVeryLongObjectName";
    s.lights.assign(10, TestLight());
    Scene3D scene;
    std::string err;
    SceneLoadOptions opt = Quiet();
    opt.decodeTextures = false;
    scene.SetTexturePath("", false);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(scene.LoadFromBytes(WriteScene(s), "names.k3d", opt));
    err = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(scene.objects[0].name, "AVeryLongOb");
    EXPECT_EQ(scene.lightCount, 8);
    EXPECT_EQ(scene.shapeCount, 1);  // read past the dropped lights
    EXPECT_NE(err.find("cut to 11"), std::string::npos) << err;
}

TEST(SceneLoadMalformed, RandomByteDamageNeverEscapesTheArrays) {
    TestScene s = FullScene();
    s.packed = true;
    s.materials[0].packed = SolidJpeg(4, 4, 1, 2, 3);
    for (TestSub& sub : s.materials[1].subs) sub.packed = SolidJpeg(4, 4, 1, 2, 3);
    const std::vector<uint8_t> good = WriteScene(s);
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    testing::internal::CaptureStderr();
    for (int round = 0; round < 600; ++round) {
        std::vector<uint8_t> bytes = good;
        const int hits = 1 + static_cast<int>(next() % 4);
        for (int h = 0; h < hits; ++h) bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
        Scene3D scene;
        scene.SetTexturePath("", true);
        scene.LoadFromBytes(bytes, "fuzz.k3d", Quiet());
        ASSERT_EQ(scene.drawOrder.size(), scene.objects.size());
        ASSERT_LE(scene.lights.size(), static_cast<size_t>(kMaxLights));
        for (const SceneObject& o : scene.objects) {
            for (const ObjectFace& f : o.faces) ASSERT_LT(f.c, o.vertices.size());
        }
        AttachSceneMaterials(scene);
    }
    testing::internal::GetCapturedStderr();
}

TEST(BezierShapes, CoefficientsAndTheLastShapeTrace) {
    TempCwd cwd;
    TestScene s;
    TestShape empty;
    empty.name = "Bempty";
    TestShape four;
    four.name = "B4";
    four.pivot[0] = 1.5f;
    four.points.assign(4 * 3, 0.0f);
    s.shapes = {four, empty};
    Scene3D scene;
    scene.SetTexturePath("", false);
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "b.k3d"));
    ASSERT_EQ(scene.shapes.size(), 2u);
    EXPECT_EQ(scene.shapes[0].coefficients, (std::vector<double>{1, 4, 6, 4}));
    EXPECT_EQ(scene.shapes[0].index, 0);
    EXPECT_EQ(scene.shapes[1].index, 1);
    EXPECT_FLOAT_EQ(scene.shapes[0].pivot.x, 1.5f);  // shapes keep file coordinates
    EXPECT_TRUE(scene.shapes[1].points.empty());
    EXPECT_EQ(ReadText("BEZIER1.LOG"), "\n\nBezier Pivot 0.000000 0.000000 0.000000");
    EXPECT_GE(scene.lineTrails[7].points.capacity(), static_cast<size_t>(kTrailStrips * kTrailPointCapacity));
}

// A 786 KB scene file with one shape of 65535 points (replayed through fuzz_scene: 24 s) took two
// billion steps to compute its coefficients. Each coefficient now continues from the one before.
TEST(BezierShapes, LargestShapeLoadsInOnePassWithTheSameCoefficients) {
    TestScene s;
    TestShape big;
    big.name = "B";
    big.points.assign(65535 * 3, 0.0f);
    s.shapes = {big};
    Scene3D scene;
    SceneLoadOptions options;
    options.writeLogs = false;
    ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "big.k3d", options));
    ASSERT_EQ(scene.shapes.size(), 1u);
    const std::vector<double>& c = scene.shapes[0].coefficients;
    ASSERT_EQ(c.size(), 65535u);
    EXPECT_EQ(c[0], 1.0);
    EXPECT_EQ(c[1], 65535.0);
    EXPECT_EQ(c[2], 65535.0 * 65534.0 / 2.0);
    EXPECT_EQ(c[3], 65535.0 * 65534.0 * 65533.0 / 6.0);
}

// Coefficient i is the product n (n-1) ... (n-i+1) divided by i!, both in double, wherever they
// are finite (a running binomial differs from 23 points on, and the trace from 36 on); past the
// overflow of the product the coefficients stay finite. The trace file is emptied before a
// record is read, so a shape cut short leaves no stale trace behind.
TEST(BezierShapes, CoefficientsAreTheProductOverTheFactorialAndTheTraceIsEmptiedFirst) {
    TempCwd cwd;
    for (int n : {3, 23, 36, 200}) {
        TestScene s;
        TestShape shape;
        shape.name = "B";
        shape.points.assign(static_cast<size_t>(n) * 3, 0.0f);
        s.shapes = {shape};
        Scene3D scene;
        ASSERT_TRUE(scene.LoadFromBytes(WriteScene(s), "b.k3d")) << n;
        const std::vector<double>& c = scene.shapes[0].coefficients;
        double product = 1.0, factorial = 1.0;
        for (int i = 0; i < n; ++i) {
            if (i > 0) product *= n - (i - 1), factorial *= i;
            if (std::isfinite(product)) {
                ASSERT_EQ(c[i], product / factorial) << n << " points, coefficient " << i;
            } else {
                const double expected =
                    std::exp(std::lgamma(n + 1.0) - std::lgamma(i + 1.0) - std::lgamma(n - i + 1.0));
                ASSERT_NEAR(c[i] / expected, 1.0, 1e-9) << n << " points, coefficient " << i;
            }
        }
        if (n == 36) {
            EXPECT_NE(ReadText("BEZIER1.LOG").find("\nBern_Coef 16 7307872110.000001\n"), std::string::npos);
        }
        if (n != 200) continue;
        std::vector<uint8_t> cut = WriteScene(s);
        cut.resize(cut.size() - 6);  // inside the last point
        Scene3D broken;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(broken.LoadFromBytes(cut, "cut.k3d"));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(ReadText("BEZIER1.LOG"), "");
    }
}

TEST(SceneLoadMalformed, TrackTablesSizedByTheHeaderAreBoundedByTheFileSize) {
    TestScene s;
    s.lastFrame = 65535;  // every track table gets 65538 keys
    TestObject o;
    o.position = true;  // with no keys in the file
    s.objects.assign(60, o);
    Scene3D scene;
    std::string err;
    EXPECT_FALSE(LoadBytes(scene, WriteScene(s), &err));
    EXPECT_NE(err.find("more than a scene can hold"), std::string::npos) << err;
    EXPECT_LT(scene.objects.size(), 30u);
    EXPECT_GT(scene.objects.size(), 10u);  // a sound allowance still loads
}
