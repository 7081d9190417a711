// Scene scripts and SetObjectOption without GL: the section order, the block and '*' rules, the
// option order with its stops and the draw-order exchange, the IMPORT block running the importer,
// and bad input (indices out of range, long values, a missing script).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"
#include "engine/kgl_demoengine.h"
#include "import/kgl_import.h"
#include "script/kgl_import_prefetch.h"
#include "script/kgl_scenescript.h"
#include "tests/unit/kgl_test_files.h"
#include "tests/unit/kgl_test_scene.h"

namespace kgl {
namespace {

using kgl_test::TempCwd;

SceneLoadOptions modelOnly() {
    SceneLoadOptions o;
    o.decodeTextures = false;
    o.writeLogs = false;
    return o;
}

// Writes "scene.k3d" (in the current directory) with the named objects, two cameras, two lights
// and one material whose texture is packed (as a scene is read by default) or named only.
void writeSceneFile(const std::vector<std::string>& names, bool packed = true) {
    kgl_test::TestScene s;
    s.packed = packed;
    for (const std::string& n : names) {
        kgl_test::TestObject o;
        o.name = n;
        o.pivot[0] = 0.5f;
        o.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
        s.objects.push_back(o);
    }
    s.materials.resize(1);
    s.materials[0].packed = {1, 2, 3};
    s.cameras.resize(2);
    s.cameras[1].name = "Camera02";
    s.lights.resize(2);
    ASSERT_TRUE(writeFile("scene.k3d", kgl_test::WriteScene(s)));
}

// Runs a script text on a scene (the script file is written into the current directory).
void runScript(Scene3D& scene, const std::string& text) {
    ASSERT_TRUE(kgl_test::WriteText("script.txt", text));
    SceneScriptReader reader(scene);
    reader.SetLoadOptions(modelOnly());
    reader.importer().SetExitOnFatal(false);
    ASSERT_TRUE(reader.Read("script.txt"));
}

// A scene with the given objects, loaded model-only from a written scene file.
void loadScene(Scene3D& scene, const std::vector<std::string>& names) {
    writeSceneFile(names);
    ASSERT_TRUE(scene.Load("scene.k3d", modelOnly()));
}

std::vector<int32_t> order(const Scene3D& s) {
    return s.drawOrder;
}

// Each test runs in a fresh working folder (the readers write their logs and dumps there) with a
// scene of its own.
class SceneScript : public ::testing::Test {
protected:
    TempCwd cwd;
    Scene3D scene;
};

// ---- sections ----

TEST_F(SceneScript, WithoutImportLoadsTheK3DFileFromTheStart) {
    writeSceneFile({"Box01", "Box02"});
    runScript(scene, "K3D: 1\n{\n INFILE:\"scene.k3d\"\n}\n");
    EXPECT_EQ(scene.ObjectCount(), 2);
    EXPECT_TRUE(scene.texturesPacked);  // no USETXTPACK: path and flag stay as created

    Scene3D again;
    runScript(again, "IMPORT: 0\n{ INFILE:\"nothing.ase\" }\nK3D: 1\n{ INFILE:\"scene.k3d\" }\n");
    EXPECT_EQ(again.ObjectCount(), 2);
}

TEST_F(SceneScript, K3DSetsTexturePathAndPackedFlagTogetherBeforeLoading) {
    writeSceneFile({"Box01"}, false);
    runScript(scene, "K3D: 1\n{\n TXTPATH:\"maps/\"\n USETXTPACK: 0\n INFILE: scene.k3d\n}\n");
    EXPECT_EQ(scene.texturePath, "maps/");
    EXPECT_FALSE(scene.texturesPacked);
    ASSERT_EQ(scene.materials.size(), 1u);
    EXPECT_EQ(scene.materials[0].texturePath, "maps/");  // the materials saw them at load

    writeSceneFile({"Box01"}, true);
    Scene3D pathOnly;  // a path without USETXTPACK: is not taken
    runScript(pathOnly, "K3D: 1 { TXTPATH:\"maps/\" INFILE:\"scene.k3d\" }");
    EXPECT_EQ(pathOnly.texturePath, "");
    EXPECT_TRUE(pathOnly.texturesPacked);
}

TEST_F(SceneScript, KeysPastTheBlockEndOrAStarAreNotTaken) {
    writeSceneFile({"Box01"});
    runScript(scene, "K3D: 1\n{\n}\nINFILE:\"scene.k3d\"\n");
    EXPECT_EQ(scene.ObjectCount(), 0);

    Scene3D starred;
    runScript(starred, "*\nK3D: 1 { INFILE:\"scene.k3d\" }\n");  // the '*' stops the IMPORT search only
    EXPECT_EQ(starred.ObjectCount(), 1);
}

TEST_F(SceneScript, AmbienceForcesAlphaAndTurnsSmoothNormalsOn) {
    loadScene(scene, {"Box01", "Box02"});
    runScript(scene,
              "AMBIENCE:\n{\n AMBIENT: 0.1 0.2 0.3 0.4\n DIFFUSE: 0.5,0.6,0.7,0.8\n"
              " SPECU: 0.9 1.0 0.25 0.5\n SHINE: 64\n}\n");
    EXPECT_FLOAT_EQ(scene.ambienceAmbient.r, 0.1f);
    EXPECT_FLOAT_EQ(scene.ambienceAmbient.a, 1.0f);
    EXPECT_FLOAT_EQ(scene.ambienceDiffuse.g, 0.6f);
    EXPECT_FLOAT_EQ(scene.ambienceDiffuse.a, 1.0f);
    EXPECT_FLOAT_EQ(scene.ambienceSpecular.a, 0.5f);
    EXPECT_FLOAT_EQ(scene.ambienceShininess, 64.0f);
    for (const SceneObject& o : scene.objects) EXPECT_EQ(o.smoothNormals, 1);
}

TEST_F(SceneScript, CamerasAndLightsOutOfRangeAreIgnoredWithOneLine) {
    loadScene(scene, {"Box01"});
    testing::internal::CaptureStderr();
    runScript(scene,
              "CAMERA: 1 { FOV: 33 }\nCAMERA: 2 { FOV: 50 }\nCAMERA: -1 { FOV: 50 }\n"
              "LIGHT: 1 { RADIUS: 12.5 LIMITS: 50 30 20 10 FLARE: 1 SPOT: 2.5 45 }\n"
              "LIGHT: 2 { RADIUS: 99 }\nLIGHT: 9 { FLARE: 1 }\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FLOAT_EQ(scene.cameras[1].fov, 33.0f);
    EXPECT_FLOAT_EQ(scene.cameras[0].fov, 45.0f);
    const SceneLight& l = scene.lights[1];
    EXPECT_FLOAT_EQ(l.radius, 12.5f);
    EXPECT_EQ(l.glowUpper1, 50);
    EXPECT_FLOAT_EQ(l.glowLower2, 10.0f);
    EXPECT_EQ(l.flare, 1);
    EXPECT_FLOAT_EQ(l.spotExponent, 2.5f);
    EXPECT_FLOAT_EQ(l.spotCutoff, 45.0f);
    EXPECT_EQ(l.definedByScript, 1);
    EXPECT_EQ(scene.lights[0].definedByScript, 0);
    EXPECT_NE(err.find("SCRIPT: [script.txt] CAMERA: 2 is not a camera"), std::string::npos) << err;
    EXPECT_NE(err.find("CAMERA: -1"), std::string::npos);
    EXPECT_NE(err.find("LIGHT: 2 is not a light"), std::string::npos);
    EXPECT_NE(err.find("LIGHT: 9 is not a light"), std::string::npos);
}

TEST_F(SceneScript, MissingScriptIsSkippedAndNamed) {
    loadScene(scene, {"Box01"});
    SceneScriptReader reader(scene);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reader.Read("no/such/script.txt"));
    auto engine = std::make_unique<DemoEngine>();  // too large for the stack
    ParseSceneScript(*engine, scene, "no/such/script.txt");
    ParseSceneScript(*engine, scene, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("SCRIPT: [no/such/script.txt] not found"), std::string::npos) << err;
    EXPECT_EQ(scene.ObjectCount(), 1);
}

TEST_F(SceneScript, OverlongValuesAreRefusedNotCut) {
    writeSceneFile({"Box01"});
    const std::string longPath(400, 'x');
    testing::internal::CaptureStderr();
    runScript(scene,
              "K3D: 1 { INFILE:\"" + longPath + "\" }\nOBJ:" + std::string(100, 'B') + ":{ NOMAT: 1 }\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(scene.ObjectCount(), 0);
    EXPECT_NE(err.find("INFILE: is longer than 255"), std::string::npos) << err;
    EXPECT_NE(err.find("OBJ: name longer than 63"), std::string::npos) << err;
}

// ---- OBJ blocks ----

TEST_F(SceneScript, FillerTakesOnly41_30_70) {
    loadScene(scene, {"A", "B", "C"});
    for (SceneObject& o : scene.objects) o.fillerType = kFillerSphereMap;
    runScript(scene, "OBJ:A:{ FILLER: 20 }\nOBJ:B:{ FILLER: 41 }\nOBJ:C:{ FILLER: 70 }\n");
    EXPECT_EQ(scene.objects[0].fillerType, kFillerSphereMap);
    EXPECT_EQ(scene.objects[1].fillerType, kFillerBump);
    EXPECT_EQ(scene.objects[2].fillerType, kFillerTwoPass);
    EXPECT_FLOAT_EQ(scene.objects[2].secondPassAlpha, 0.3f);
}

TEST_F(SceneScript, NomatOneTurnsTheMaterialOffTwoKeepsIt) {
    loadScene(scene, {"A", "B", "C"});
    runScript(scene, "OBJ:A:{ NOMAT: 1 }\nOBJ:B:{ NOMAT: 2 }\nOBJ:C:{ NOMAT: 0 }\n");
    EXPECT_EQ(scene.objects[0].useMaterial, 0);
    EXPECT_EQ(scene.objects[1].useMaterial, 1);
    EXPECT_EQ(scene.objects[2].useMaterial, 0);
}

TEST_F(SceneScript, TwoTransparentObjectsEndLastInTheDrawOrder) {
    loadScene(scene, {"O0", "T1", "O2", "T3", "O4", "O5", "O6"});
    runScript(scene, "OBJ:T1:{ TRANSP: 1\n ALFAFUNC: 10\n OPACITY: 0.5 }\nOBJ:T3:{ TRANSP: 0 }\n");
    EXPECT_EQ(order(scene), (std::vector<int32_t>{0, 6, 2, 5, 4, 3, 1}));
    EXPECT_EQ(scene.objects[1].transparency, kTranspTransparent);
    EXPECT_EQ(scene.objects[3].transparency, kTranspTransparent);  // whatever the value
    EXPECT_EQ(scene.objects[1].alphaFunction, 10);                 // ALFAFUNC after TRANSP
    EXPECT_FLOAT_EQ(scene.objects[1].opacity, 0.5f);
}

TEST_F(SceneScript, EightCharacterNamesMatchButCullIsExact) {
    loadScene(scene, {"Cylinder", "Cylinder01", "Cylinde", "Cylinder02"});
    runScript(scene, "OBJ:Cylinder:{\n NOMAT: 1\n CULL: 1\n HIDDEN:\n}\n");
    EXPECT_EQ(scene.objects[0].useMaterial, 0);
    EXPECT_EQ(scene.objects[1].useMaterial, 0);
    EXPECT_EQ(scene.objects[2].useMaterial, 1);  // 7 characters do not agree in 8
    EXPECT_EQ(scene.objects[3].useMaterial, 0);
    EXPECT_EQ(scene.objects[0].cullOff, 1);
    EXPECT_EQ(scene.objects[1].cullOff, 0);
    EXPECT_EQ(scene.objects[3].cullOff, 0);
    EXPECT_EQ(scene.objects[1].hidden, 1);
}

TEST_F(SceneScript, Bill2DFollowsTheLastIntegerRead) {
    loadScene(scene, {"Masked", "Board", "Earlier"});
    scene.objects[1].vertices[0].pos = Vec3{0.25f, -2.0f, 3.0f};
    runScript(scene,
              "OBJ:Masked:{ CULL: 1 BILL2D: }\nOBJ:Board:{ CULL: 0 BILL2D: }\n"
              "OBJ:Earlier:{ BILL2D: }\n");
    EXPECT_EQ(scene.objects[0].usesMask, 1);
    EXPECT_EQ(scene.objects[0].orientType, 0);
    EXPECT_EQ(scene.objects[1].usesMask, 0);
    EXPECT_EQ(scene.objects[1].orientType, kOrientBillboard);
    // ORIENT_TYPE folds the working vertices around the pivot (0.5 on x in this scene).
    const Vec3 p = scene.objects[1].vertices[0].pos;
    EXPECT_FLOAT_EQ(p.x, 0.25f);
    EXPECT_FLOAT_EQ(p.y, std::fabs(-2.0f - scene.objects[1].pivot.y));
    EXPECT_FLOAT_EQ(p.z, std::fabs(3.0f - scene.objects[1].pivot.z));
    EXPECT_EQ(scene.objects[2].orientType, kOrientBillboard);  // the 0 of the block before
}

TEST_F(SceneScript, MultipassWiredAndHidden) {
    loadScene(scene, {"M", "W"});
    scene.objects[0].combineRba0 = 3;
    scene.objects[0].effectArb0 = 2;
    runScript(scene, "OBJ:M:{ MPASS: 0.3, 1.0, 4, 7 }\nOBJ:W:{ WIRED: HIDDEN: }\n");
    const SceneObject& m = scene.objects[0];
    EXPECT_EQ(m.fillerType, kFillerMultipass);
    EXPECT_FLOAT_EQ(m.alphaArb0, 0.3f);
    EXPECT_FLOAT_EQ(m.alphaArb1, 1.0f);
    EXPECT_EQ(m.alphaFunction, 4);
    EXPECT_EQ(m.alphaFunctionArb1, 7);
    EXPECT_EQ(m.combineRba0, 0);
    EXPECT_EQ(m.effectArb0, 0);
    EXPECT_EQ(scene.objects[1].renderType, kRenderWire);
    EXPECT_EQ(scene.objects[1].hidden, 1);
    EXPECT_EQ(order(scene), (std::vector<int32_t>{0, 1}));
}

// A name that contains a key is only a name.
TEST_F(SceneScript, KeysAreSearchedAfterTheObjectName) {
    loadScene(scene, {"HIDDEN", "Box01"});
    runScript(scene, "OBJ:HIDDEN:{ NOMAT: 0 }\nOBJ:Box01:{ HIDDEN: }\n");
    EXPECT_EQ(scene.objects[0].hidden, 0);
    EXPECT_EQ(scene.objects[0].useMaterial, 0);
    EXPECT_EQ(scene.objects[1].hidden, 1);
}

// ---- SetObjectOption ----

TEST(SetObjectOption, StoppingOptionsEndAtTheFirstMatch) {
    TempCwd cwd;
    Scene3D scene;
    loadScene(scene, {"Sphere0100", "Sphere0101"});
    SetObjectOption(scene, "Sphere01", "OPACITY", 0.7f);
    SetObjectOption(scene, "Sphere01", "ALPHA_FUNCTION", 6.9f);
    SetObjectOption(scene, "Sphere01", "BUMP_MODE", 2.0f);
    EXPECT_FLOAT_EQ(scene.objects[0].opacity, 0.7f);
    EXPECT_FLOAT_EQ(scene.objects[1].opacity, 0.0f);
    EXPECT_EQ(scene.objects[0].alphaFunction, 6);  // the whole part
    EXPECT_EQ(scene.objects[1].alphaFunction, 0);
    EXPECT_EQ(scene.objects[0].bumpMode, 2);
    EXPECT_EQ(scene.objects[1].bumpMode, -1);

    // LINE_WIDTH and the general setter go on with every match.
    SetObjectOption(scene, "Sphere01", "LINE_WIDTH", 0.5f);
    SetObjectOption(scene, "Sphere01", "MAT_RANGE", 3.0f);
    SetObjectOption(scene, "Sphere01", "BILLBOARD", 123.0f);
    for (const SceneObject& o : scene.objects) {
        EXPECT_FLOAT_EQ(o.lineWidth, 0.5f);
        EXPECT_EQ(o.matRange, 3);
    }
    EXPECT_FLOAT_EQ(scene.objects[1].opacity, 0.8f);

    // RESTORE_MORPH puts the rest shape back into the first match only.
    for (SceneObject& o : scene.objects) o.vertices[1].pos = Vec3{9, 9, 9};
    SetObjectOption(scene, "Sphere01", "RESTORE_MORPH", 100.0f);
    EXPECT_FLOAT_EQ(scene.objects[0].vertices[1].pos.x, scene.objects[0].restPositions[1].x);
    EXPECT_FLOAT_EQ(scene.objects[1].vertices[1].pos.x, 9.0f);
}

TEST(SetObjectOption, TransparencyMovesOnlyTheFirstMatchAndNeverTakesTheFirstEntry) {
    TempCwd cwd;
    Scene3D scene;
    loadScene(scene, {"Glass0001", "Glass0002", "Wall"});
    scene.objects[0].alphaFunction = 5;
    SetObjectOption(scene, "Glass000", "TRANSP_TYPE", 302.0f);
    EXPECT_EQ(scene.objects[0].transparency, kTranspTransparent);
    EXPECT_EQ(scene.objects[0].alphaFunction, 0);
    EXPECT_EQ(scene.objects[1].transparency, kTranspOpaque);  // the exchange ended the call
    EXPECT_EQ(order(scene), (std::vector<int32_t>{2, 1, 0}));

    // Only opaque entries from the last down to the second are candidates.
    Scene3D three;
    loadScene(three, {"A", "B", "C"});
    SetObjectOption(three, "B", "TRANSP_TYPE", 1.0f);
    EXPECT_EQ(order(three), (std::vector<int32_t>{0, 2, 1}));
    SetObjectOption(three, "C", "TRANSP_TYPE", 1.0f);
    EXPECT_EQ(order(three), (std::vector<int32_t>{0, 2, 1}));  // A, at the first entry, is not taken
}

TEST(SetObjectOption, ValueFortyMovesAnyOption) {
    TempCwd cwd;
    Scene3D scene;
    loadScene(scene, {"A", "B", "C", "D"});
    SetObjectOption(scene, "A", "FILLER_TYPE", 40.0f);
    EXPECT_EQ(scene.objects[0].fillerType, kFillerSphereAdd);
    EXPECT_EQ(order(scene), (std::vector<int32_t>{3, 1, 2, 0}));
    SetObjectOption(scene, "B", "FILLER_TYPE", 41.0f);
    EXPECT_EQ(order(scene), (std::vector<int32_t>{3, 1, 2, 0}));
}

TEST(SetObjectOption, UnknownNamesOptionsAndBadValuesDoNothingHarmful) {
    TempCwd cwd;
    Scene3D scene;
    loadScene(scene, {"A", "B"});
    SetObjectOption(scene, "Nobody", "NOMAT", 0.0f);
    SetObjectOption(scene, "A", "NO_SUCH_OPTION", 1.0f);
    SetObjectOption(scene, nullptr, "NOMAT", 0.0f);
    SetObjectOption(scene, "A", nullptr, 0.0f);
    SetObjectOption(scene, "A", "RENDER_TYPE", std::nanf(""));
    SetObjectOption(scene, "A", "SHADER_TYPE", 1e30f);
    EXPECT_EQ(scene.objects[0].useMaterial, 1);
    EXPECT_EQ(scene.objects[1].useMaterial, 1);
    EXPECT_EQ(scene.objects[0].renderType, 0);
    EXPECT_EQ(scene.objects[0].shaderType, INT32_MAX);
    scene.drawOrder.clear();  // an object missing from the draw order is not moved
    SetObjectOption(scene, "A", "TRANSP_TYPE", 302.0f);
    EXPECT_EQ(scene.objects[0].transparency, kTranspTransparent);
}

// ---- IMPORT ----

std::string smallAse(int textureVertices = 3) {
    std::string s =
        "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 2\n"
        "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n"
        "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Mat\"\n\t\t*MATERIAL_CLASS \"Standard\"\n"
        "\t\t*MATERIAL_AMBIENT 0.1\t0.2\t0.3\n\t\t*MATERIAL_DIFFUSE 0.4\t0.5\t0.6\n"
        "\t\t*MATERIAL_SPECULAR 0.7\t0.8\t0.9\n\t\t*MATERIAL_SHINE 0.25\n\t\t*MATERIAL_SHINESTRENGTH 0.05\n"
        "\t\t*MATERIAL_TRANSPARENCY 0.0\n\t\t*MATERIAL_WIRESIZE 1.0\n\t\t*MATERIAL_SELFILLUM 0.0\n"
        "\t\t*MAP_DIFFUSE {\n\t\t\t*BITMAP \"wood.jpg\"\n\t\t}\n\t}\n}\n"
        "*GEOMOBJECT {\n\t*NODE_NAME \"Tri01\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"Tri01\"\n"
        "\t\t*TM_POS 0.0\t0.0\t0.0\n\t}\n\t*MESH {\n\t\t*TIMEVALUE 0\n\t\t*MESH_NUMVERTEX 3\n"
        "\t\t*MESH_NUMFACES 1\n\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0\t0.0\t0.0\t0.0\n"
        "\t\t\t*MESH_VERTEX 1\t1.0\t0.0\t0.0\n\t\t\t*MESH_VERTEX 2\t0.0\t1.0\t0.0\n\t\t}\n"
        "\t\t*MESH_FACE_LIST {\n\t\t\t*MESH_FACE 0:\tA: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1\t*MESH_SMOOTHING 1\t"
        "*MESH_MTLID 0\n\t\t}\n\t\t*MESH_NUMTVERTEX " +
        std::to_string(textureVertices) + "\n";
    if (textureVertices > 0)
        s += "\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0\n\t\t\t*MESH_TVERT 1\t1.0\t0.0\t0.0\n"
             "\t\t\t*MESH_TVERT 2\t0.0\t1.0\t0.0\n\t\t}\n\t\t*MESH_NUMTVFACES 1\n\t\t*MESH_TFACELIST {\n"
             "\t\t\t*MESH_TFACE 0\t0\t1\t2\n\t\t}\n";
    s += "\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0\t0.0\t1.0\n\t\t\t\t*MESH_VERTEXNORMAL "
         "0\t0.0\t0.0\t1.0\n"
         "\t\t\t\t*MESH_VERTEXNORMAL 1\t0.0\t0.0\t1.0\n\t\t\t\t*MESH_VERTEXNORMAL "
         "2\t0.0\t0.0\t1.0\n\t\t}\n\t}\n"
         "\t*MATERIAL_REF 0\n}\n";
    return s;
}

const char kImportScript[] =
    "IMPORT: 1\n{\n INFILE:\"in.ase\"\n OUTFILE:\"out.k3d\"\n TXTPATH:\"maps/\"\n USETXTPACK: 0\n}\n"
    "K3D: 1\n{\n TXTPATH:\"maps/\"\n USETXTPACK: 0\n INFILE:\"out.k3d\"\n}\n"
    "OBJ:Tri01:{ TRANSP: 1 }\n";

TEST_F(SceneScript, ImportConvertsTheAseThenK3DLoadsTheResult) {
    ASSERT_TRUE(kgl_test::WriteText("in.ase", smallAse()));
    ASSERT_TRUE(kgl_test::WriteText("script.txt", kImportScript));
    SceneScriptReader reader(scene);
    reader.SetLoadOptions(modelOnly());
    ASSERT_TRUE(reader.Read("script.txt"));
    EXPECT_EQ(reader.importer().inputFile(), "in.ase");
    EXPECT_EQ(reader.importer().outputFile(), "out.k3d");
    EXPECT_EQ(reader.importer().textureDir(), "maps/");
    EXPECT_FALSE(reader.importer().packTextures());
    EXPECT_EQ(reader.importer().status(), ImportStatus::Ok);
    ASSERT_EQ(scene.ObjectCount(), 1);
    EXPECT_STREQ(scene.objects[0].name, "Tri01");
    EXPECT_EQ(scene.objects[0].transparency, kTranspTransparent);
    EXPECT_FALSE(kgl_test::ReadText("debug.log").empty());
}

TEST_F(SceneScript, ImportKeysThatAreMissingLeaveTheImporterAsItWas) {
    ASSERT_TRUE(kgl_test::WriteText("in.ase", smallAse()));
    ASSERT_TRUE(kgl_test::WriteText("script.txt", "IMPORT: 1 { INFILE:\"in.ase\" }\n"));
    SceneScriptReader reader(scene);
    reader.importer().SetOutputFile("preset.k3d");
    reader.importer().SetPackTextures(false);
    ASSERT_TRUE(reader.Read("script.txt"));
    EXPECT_EQ(reader.importer().status(), ImportStatus::Ok);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(readFile("preset.k3d", bytes));
    EXPECT_EQ(scene.ObjectCount(), 0);  // no K3D section: nothing loaded
}

// The engine's one reader and importer serve every script: a later IMPORT block that names only
// its input converts into the output file and with the packing an earlier script set.
TEST_F(SceneScript, OneImporterForEveryScriptOfTheShow) {
    ASSERT_TRUE(kgl_test::WriteText("in.ase", smallAse()));
    std::string second = smallAse();
    second.replace(second.find("Tri01"), 5, "Tri02");
    ASSERT_TRUE(kgl_test::WriteText("in2.ase", second));
    ASSERT_TRUE(kgl_test::WriteText("first.txt", kImportScript));
    ASSERT_TRUE(kgl_test::WriteText("second.txt", "IMPORT: 1 { INFILE:\"in2.ase\" }\n"));
    auto owned = std::make_unique<DemoEngine>();  // too big for the stack
    DemoEngine& engine = *owned;
    engine.scriptReader.SetLoadOptions(modelOnly());
    engine.scriptReader.importer().SetExitOnFatal(false);
    Scene3D first, again;
    ParseSceneScript(engine, first, "first.txt");
    ASSERT_EQ(first.ObjectCount(), 1);
    ParseSceneScript(engine, again, "second.txt");
    const AseImporter& importer = engine.scriptReader.importer();
    EXPECT_EQ(importer.status(), ImportStatus::Ok) << importer.message();
    EXPECT_EQ(importer.outputFile(), "out.k3d");
    EXPECT_FALSE(importer.packTextures());
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readFile("out.k3d", bytes));
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("Tri02"), std::string::npos);
    EXPECT_EQ(again.ObjectCount(), 0);  // the second script loads nothing itself
}

// Conversions planned from the scripts and run ahead give what converting in place gives: the
// same scene, settings carried from one script to the next, a block with 0 left alone, and a
// failure reported when its script is read, not when it was converted.
TEST_F(SceneScript, ConversionsRunAheadCommitWhenTheirScriptIsRead) {
    ASSERT_TRUE(kgl_test::WriteText("in.ase", smallAse()));
    ASSERT_TRUE(kgl_test::WriteText("first.txt", kImportScript));
    ASSERT_TRUE(kgl_test::WriteText("off.txt", "IMPORT: 0 { INFILE:\"off.ase\" }\n"));
    ASSERT_TRUE(kgl_test::WriteText("second.txt", "IMPORT: 1 { INFILE:\"missing.ase\" }\n"));
    SceneScriptReader reader(scene);
    reader.SetLoadOptions(modelOnly());
    reader.importer().SetExitOnFatal(false);
    const char* scripts[] = {"first.txt", "off.txt", "second.txt"};
    ImportPrefetch prefetch;
    prefetch.Start(reader.importer(), scripts, 3);
    EXPECT_EQ(prefetch.planned(), 2u);
    reader.SetPrefetch(&prefetch);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(reader.Read("first.txt"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(scene.ObjectCount(), 1);
    EXPECT_STREQ(scene.objects[0].name, "Tri01");
    EXPECT_FALSE(kgl_test::ReadText("debug.log").empty());
    Scene3D other;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(reader.Read(other, "second.txt"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "IMPORT: [missing.ase] cannot read the input file\n");
    EXPECT_EQ(reader.importer().outputFile(), "out.k3d");  // carried over, as the plan had it
}

// Found by fuzz_scenescript: an IMPORT block whose INFILE names a directory ("escena/") ended the
// process: the directory's end offset was taken for a size to reserve. The input as found:
TEST_F(SceneScript, ImportOfADirectoryIsAnUnreadableInput) {
    ASSERT_EQ(mkdir("escena", 0755), 0);
    writeSceneFile({"Box01"});
    const char found[] =
        "IMPORT: 1\n{\nINFILE:\"escena/\n\nK3D: 1\n{\nTXTPATH:\"escena/maps/\"\nUSETXPACK: 1\n"
        "INFILE:\"escena/test.k3d\"\n}\n\nAMBIENCE:\n{\nAMBIEnT: 0.3 0.3 0.AR\nHIDDEN:\nNOMAT: 1\n"
        "ALFAFUNC: 3\n}\n\n*\n";
    ASSERT_EQ(sizeof found - 1, 170u);
    testing::internal::CaptureStderr();
    runScript(scene, found);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("IMPORT: [escena/] cannot read the input file"), std::string::npos) << err;

    AseImporter importer;
    importer.SetExitOnFatal(false);
    importer.SetInputFile("escena");
    testing::internal::CaptureStderr();
    EXPECT_EQ(importer.Run(), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(importer.status(), ImportStatus::InputUnreadable);
}

TEST(SceneScriptDeathTest, FatalConversionEndsTheProcessWithMinusOne) {
    TempCwd cwd;
    ASSERT_TRUE(kgl_test::WriteText("in.ase", smallAse(0)));  // an object without texture vertices
    ASSERT_TRUE(kgl_test::WriteText("script.txt", kImportScript));
    auto engine = std::make_unique<DemoEngine>();  // too large for the stack
    Scene3D scene;
    EXPECT_EXIT(ParseSceneScript(*engine, scene, "script.txt"), testing::ExitedWithCode(255),
                "has no texture vertices");
}

}  // namespace
}  // namespace kgl
