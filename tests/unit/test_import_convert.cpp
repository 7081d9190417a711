// The converters on small ASE texts written for the tests: record layout, log lines, the quirks
// kept on purpose (next BITMAP, 11 sub-materials, B shapes, last face wins, two target distances)
// and the stops (no texture vertices, missing texture, bad indices, input cut anywhere).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/kgl_cmdline.h"
#include "import_testing.h"
#include "tests/unit/kgl_test_jpeg.h"

namespace kgl {
namespace {

using namespace kgl_test;

std::string header(int lastFrame = 2) {
    return "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME " +
           std::to_string(lastFrame) + "\n\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n";
}

std::string plainMaterial(const std::string& bitmap, float selfIllum = 0.3f) {
    char illum[32];
    std::snprintf(illum, sizeof illum, "%.4f", selfIllum);
    std::string s =
        "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Mat\"\n\t\t*MATERIAL_CLASS \"Standard\"\n"
        "\t\t*MATERIAL_AMBIENT 0.1000\t0.2000\t0.3000\n\t\t*MATERIAL_DIFFUSE 0.4000\t0.5000\t0.6000\n"
        "\t\t*MATERIAL_SPECULAR 0.7000\t0.8000\t0.9000\n\t\t*MATERIAL_SHINE 0.2500\n"
        "\t\t*MATERIAL_SHINESTRENGTH 0.0500\n\t\t*MATERIAL_TRANSPARENCY 0.1000\n\t\t*MATERIAL_WIRESIZE "
        "1.0000\n"
        "\t\t*MATERIAL_SELFILLUM " +
        std::string(illum) + "\n";
    if (!bitmap.empty())
        s += "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_NAME \"Map\"\n\t\t\t*BITMAP \"" + bitmap + "\"\n\t\t}\n";
    return s + "\t}\n";
}

std::string materialList(const std::string& materials, int count) {
    return "*MATERIAL_LIST {\n\t*MATERIAL_COUNT " + std::to_string(count) + "\n" + materials + "}\n";
}

std::string subMaterial(int i, const std::string& bitmap) {
    return "\t\t*SUBMATERIAL " + std::to_string(i) +
           " {\n\t\t\t*MATERIAL_NAME \"Sub\"\n"
           "\t\t\t*MATERIAL_CLASS \"Standard\"\n\t\t\t*MATERIAL_AMBIENT 0.0100\t0.0200\t0.0300\n"
           "\t\t\t*MATERIAL_DIFFUSE 0.0400\t0.0500\t0.0600\n\t\t\t*MATERIAL_SPECULAR 0.0700\t0.0800\t0.0900\n"
           "\t\t\t*MATERIAL_SHINE 0.5000\n\t\t\t*MATERIAL_SHINESTRENGTH 0.6000\n\t\t\t*MATERIAL_TRANSPARENCY "
           "0.0000\n"
           "\t\t\t*MATERIAL_WIRESIZE 1.0000\n\t\t\t*MATERIAL_SELFILLUM 0.7000\n"
           "\t\t\t*MAP_DIFFUSE {\n\t\t\t\t*BITMAP \"" +
           bitmap + "\"\n\t\t\t}\n\t\t}\n";
}

std::string multiMaterial(int subs) {
    std::string s =
        "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Multi\"\n\t\t*MATERIAL_CLASS \"Multi/Sub-Object\"\n"
        "\t\t*MATERIAL_AMBIENT 0.1000\t0.1000\t0.1000\n\t\t*MATERIAL_DIFFUSE 0.2000\t0.2000\t0.2000\n"
        "\t\t*MATERIAL_SPECULAR 0.3000\t0.3000\t0.3000\n\t\t*MATERIAL_SHINE 0.4000\n"
        "\t\t*MATERIAL_SHINESTRENGTH 0.4500\n\t\t*MATERIAL_TRANSPARENCY 0.0000\n"
        "\t\t*MATERIAL_WIRESIZE 1.0000\n\t\t*NUMSUBMTLS " +
        std::to_string(subs) + "\n";
    for (int i = 0; i < subs; ++i) s += subMaterial(i, "D:\\maps\\sub" + std::to_string(i) + ".jpg");
    return s + "\t}\n";
}

// A quad of two faces; vertex 1 and 2 are named by both faces with different normals.
std::string quad(const std::string& name, const std::string& animation = "", const std::string& faceC = "3",
                 int tverts = 3, const std::string& extra = "") {
    std::string s =
        "*GEOMOBJECT {\n\t*NODE_NAME \"" + name + "\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"" + name +
        "\"\n\t\t*TM_POS 1.0000\t2.0000\t3.0000\n\t}\n\t*MESH {\n\t\t*TIMEVALUE 0\n"
        "\t\t*MESH_NUMVERTEX 4\n\t\t*MESH_NUMFACES 2\n\t\t*MESH_VERTEX_LIST {\n"
        "\t\t\t*MESH_VERTEX    0\t0.0000\t0.0000\t0.0000\n\t\t\t*MESH_VERTEX    1\t1.0000\t0.0000\t0.0000\n"
        "\t\t\t*MESH_VERTEX    2\t0.0000\t1.0000\t0.0000\n\t\t\t*MESH_VERTEX    3\t1.0000\t1.0000\t0.5000\n"
        "\t\t}\n\t\t*MESH_FACE_LIST {\n"
        "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 "
        "\t*MESH_MTLID 0\n"
        "\t\t\t*MESH_FACE    1:    A:    2 B:    1 C:    " +
        faceC +
        " AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 1\n\t\t}\n"
        "\t\t*MESH_NUMTVERTEX " +
        std::to_string(tverts) + "\n";
    if (tverts > 0)
        s += "\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.0000\t0.0000\t0.0000\n\t\t\t*MESH_TVERT "
             "1\t1.0000\t0.0000\t0.0000\n"
             "\t\t\t*MESH_TVERT 2\t0.0000\t1.0000\t0.0000\n\t\t}\n\t\t*MESH_NUMTVFACES "
             "2\n\t\t*MESH_TFACELIST {\n"
             "\t\t\t*MESH_TFACE 0\t0\t1\t2\n\t\t\t*MESH_TFACE 1\t2\t1\t0\n\t\t}\n";
    s += "\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0000\t0.0000\t1.0000\n"
         "\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0000\t0.0000\t1.0000\n\t\t\t\t*MESH_VERTEXNORMAL "
         "1\t0.1000\t0.0000\t1.0000\n"
         "\t\t\t\t*MESH_VERTEXNORMAL 2\t0.2000\t0.0000\t1.0000\n\t\t\t*MESH_FACENORMAL "
         "1\t0.0000\t0.0000\t-1.0000\n"
         "\t\t\t\t*MESH_VERTEXNORMAL 2\t0.9000\t0.0000\t1.0000\n\t\t\t\t*MESH_VERTEXNORMAL "
         "1\t0.8000\t0.0000\t1.0000\n"
         "\t\t\t\t*MESH_VERTEXNORMAL " +
         extra + "3\t0.7000\t0.0000\t1.0000\n\t\t}\n\t}\n" + animation + "\t*MATERIAL_REF 0\n}\n";
    return s;
}

const char kTracks[] =
    "\t*TM_ANIMATION {\n\t\t*NODE_NAME \"Box01\"\n\t\t*CONTROL_POS_TRACK {\n"
    "\t\t\t*CONTROL_POS_SAMPLE 0\t1.0000\t2.0000\t3.0000\n\t\t\t*CONTROL_POS_SAMPLE "
    "160\t1.5000\t2.0000\t3.0000\n"
    "\t\t\t*CONTROL_POS_SAMPLE 320\t2.0000\t2.0000\t3.0000\n\t\t}\n\t\t*CONTROL_ROT_TRACK {\n"
    "\t\t\t*CONTROL_ROT_SAMPLE 0\t0.0000\t0.0000\t1.0000\t0.0000\n"
    "\t\t\t*CONTROL_ROT_SAMPLE 160\t0.0000\t0.0000\t1.0000\t0.5000\n\t\t}\n\t}\n";

// The camera's own TM_ANIMATION holds `eyePositions` position samples (no position track when 0)
// and two rotation samples.
std::string camera(const std::string& d1, const std::string& d2, bool animated = true,
                   const std::string& fovTimes = "0 160 320", int eyePositions = 1) {
    std::string s =
        "*CAMERAOBJECT {\n\t*NODE_NAME \"Camera01\"\n\t*CAMERA_TYPE Target\n\t*NODE_TM {\n"
        "\t\t*NODE_NAME \"Camera01\"\n\t\t*TM_POS 10.0000\t20.0000\t30.0000\n"
        "\t\t*TM_ROTAXIS 0.5000\t0.5000\t0.7071\n\t\t*TM_ROTANGLE 1.0000\n\t}\n\t*NODE_TM {\n"
        "\t\t*NODE_NAME \"Camera01.Target\"\n\t\t*TM_POS 4.0000\t5.0000\t6.0000\n\t}\n"
        "\t*CAMERA_SETTINGS {\n\t\t*TIMEVALUE 0\n\t\t*CAMERA_FOV 0.7854\n\t\t*CAMERA_TDIST " +
        d1 + "\n\t}\n";
    if (animated) {
        s += "\t*CAMERA_ANIMATION {\n";
        std::istringstream times(fovTimes);
        float fov = 0.7f;
        for (long long t; times >> t; fov += 0.1f) {
            char line[200];
            std::snprintf(line, sizeof line,
                          "\t\t*CAMERA_SETTINGS {\n\t\t\t*TIMEVALUE %lld\n\t\t\t*CAMERA_FOV "
                          "%.4f\n\t\t\t*CAMERA_TDIST %s\n\t\t}\n",
                          t, fov, d2.c_str());
            s += line;
        }
        s += "\t}\n";
    }
    s += "\t*TM_ANIMATION {\n\t\t*NODE_NAME \"Camera01\"\n";
    if (eyePositions > 0) {
        s += "\t\t*CONTROL_POS_TRACK {\n";
        for (int i = 0; i < eyePositions; ++i)
            s += "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(i * 160) + "\t10.0000\t20.0000\t30.0000\n";
        s += "\t\t}\n";
    }
    s += "\t\t*CONTROL_ROT_TRACK {\n"
         "\t\t\t*CONTROL_ROT_SAMPLE 0\t0.0000\t0.0000\t1.0000\t0.1000\n"
         "\t\t\t*CONTROL_ROT_SAMPLE 160\t0.0000\t0.0000\t1.0000\t0.2000\n\t\t}\n\t}\n"
         "\t*TM_ANIMATION {\n\t\t*NODE_NAME \"Camera01.Target\"\n\t\t*CONTROL_POS_TRACK {\n"
         "\t\t\t*CONTROL_POS_SAMPLE 0\t4.0000\t5.0000\t6.0000\n\t\t}\n\t}\n}\n";
    return s;
}

std::string light(const std::string& name, const std::string& type) {
    std::string s = "*LIGHTOBJECT {\n\t*NODE_NAME \"" + name + "\"\n\t*LIGHT_TYPE " + type +
                    "\n\t*NODE_TM {\n\t\t*NODE_NAME \"" + name +
                    "\"\n\t\t*TM_POS 5.0000\t6.0000\t7.0000\n\t}\n";
    if (type == "Target")
        s += "\t*NODE_TM {\n\t\t*NODE_NAME \"" + name +
             ".Target\"\n\t\t*TM_POS 8.0000\t9.0000\t10.0000\n\t}\n";
    s += "\t*LIGHT_SETTINGS {\n\t\t*TIMEVALUE 0\n\t\t*LIGHT_COLOR 1.0000\t0.5000\t0.2500\n\t\t*LIGHT_INTENS "
         "1.5000\n\t}\n"
         "\t*TM_ANIMATION {\n\t\t*NODE_NAME \"" +
         name +
         "\"\n\t\t*CONTROL_POS_TRACK {\n"
         "\t\t\t*CONTROL_POS_SAMPLE 0\t5.0000\t6.0000\t7.0000\n\t\t\t*CONTROL_POS_SAMPLE "
         "160\t5.0000\t6.0000\t8.0000\n"
         "\t\t}\n\t}\n}\n";
    return s;
}

std::string shape(const std::string& name) {
    return "*SHAPEOBJECT {\n\t*NODE_NAME \"" + name + "\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"" + name +
           "\"\n\t\t*TM_POS 0.5000\t0.0000\t0.0000\n\t}\n\t*SHAPE_LINECOUNT 1\n\t*SHAPE_LINE 0 {\n"
           "\t\t*SHAPE_VERTEXCOUNT 2\n\t\t*SHAPE_VERTEX_KNOT 0\t9.0000\t9.0000\t9.0000\n"
           "\t\t*SHAPE_VERTEX_INTERP 0\t1.0000\t2.0000\t3.0000\n\t\t*SHAPE_VERTEX_INTERP "
           "1\t4.0000\t5.0000\t6.0000\n\t}\n}\n";
}

std::string fullScene() {
    return header() + materialList(plainMaterial("C:\\maps\\sub\\wood.jpg"), 1) + quad("Box01", kTracks) +
           camera("100.0000", "100.0000") + light("Omni01", "Omni") + light("Spot01", "Target") +
           shape("Bpath") + shape("Line01");
}

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

TEST(AseConvert, FullSceneLayoutAndLog) {
    const Conversion c = convertText(fullScene());
    ASSERT_EQ(c.result, 0) << c.message;
    ASSERT_TRUE(c.whole);
    const Scene3D& s = *c.scene;
    // What the loader reads, in its own axes: file (x, y, z) is model (x, z, -y).
    EXPECT_EQ(s.objectCount, 1);
    EXPECT_EQ(s.materialCount, 1);
    EXPECT_EQ(s.cameraCount, 1);
    EXPECT_EQ(s.lightCount, 2);
    EXPECT_EQ(s.shapeCount, 1);  // "Line01" does not begin with B
    EXPECT_EQ(s.lastFrameCopy, 2);
    EXPECT_EQ(s.lastFrame, 2);
    EXPECT_EQ(s.frameSpeed, 30);
    EXPECT_EQ(s.ticksPerFrame, 160);
    EXPECT_EQ(std::string(c.bytes.begin(), c.bytes.begin() + 26), "KORVO_GL3D EngineSceneFile");
    EXPECT_EQ(std::string(c.bytes.begin() + 40, c.bytes.begin() + 50), std::string(10, ' '));

    const SceneObject& o = s.objects[0];
    EXPECT_STREQ(o.name, "Box01");
    EXPECT_EQ(o.positionFlag, 1);
    EXPECT_EQ(o.rotationFlag, 1);
    EXPECT_EQ(o.scaleFlag, 0);
    EXPECT_EQ(o.pivot.y, 3.0f);
    EXPECT_EQ(o.vertexCount, 4);
    EXPECT_EQ(o.morphFlag, 0);
    EXPECT_EQ(o.absolutePositions[3].y, 0.5f);
    std::vector<uint16_t> faces, texFaces;
    for (int i = 0; i < 2; ++i) {
        faces.insert(faces.end(), {o.faces[i].a, o.faces[i].b, o.faces[i].c, o.faces[i].materialId});
        texFaces.insert(texFaces.end(), o.texFaces[i].t, o.texFaces[i].t + 3);
    }
    EXPECT_EQ(faces, (std::vector<uint16_t>{0, 1, 2, 0, 2, 1, 3, 1}));
    EXPECT_EQ(o.texCoordCount, 3);
    EXPECT_EQ(texFaces, (std::vector<uint16_t>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(o.faces[1].normal.y, -1.0f);
    // Vertices 1 and 2 are named by both faces: the last face wins.
    EXPECT_FLOAT_EQ(o.vertices[1].normal.x, 0.8f);
    EXPECT_FLOAT_EQ(o.vertices[2].normal.x, 0.9f);
    EXPECT_FLOAT_EQ(o.vertices[3].normal.x, 0.7f);
    EXPECT_EQ(o.positionKeyCount, 3);
    EXPECT_EQ(o.rotationKeyCount, 2);
    EXPECT_FLOAT_EQ(o.rotationKeys[1].angle, 0.5f * kRadiansToDegrees);

    const SceneMaterial& m = s.materials[0];
    EXPECT_EQ(m.hasSubMaterials, 0);
    EXPECT_FLOAT_EQ(m.specular.b, 0.9f);
    EXPECT_FLOAT_EQ(m.shininess, 0.05f * 80);
    EXPECT_FLOAT_EQ(m.opacity, 0.9f);
    EXPECT_EQ(m.textureNames, std::vector<std::string>{"wood.jpg"});

    const SceneCamera& cam = s.cameras[0];
    EXPECT_EQ(cam.name, "Camera01");
    EXPECT_EQ(cam.eye.z, -20.0f);
    EXPECT_FLOAT_EQ(cam.roll, 0.7071f);  // the rotation axis, stored as it is
    EXPECT_EQ(cam.target.x, 4.0f);
    EXPECT_EQ(cam.fovFlag, 1);
    EXPECT_FLOAT_EQ(cam.fovKeys[2], 0.9f * kFovRadiansToDegrees);
    EXPECT_EQ(cam.positionFlag, 1);
    EXPECT_EQ(cam.positionKeyCount, 1);
    EXPECT_EQ(cam.rotationKeyCount, 2);
    EXPECT_EQ(cam.targetFlag, 1);
    EXPECT_EQ(cam.targetKeyCount, 1);
    size_t cameraAt = 0;
    ASSERT_TRUE(SceneFileReader(c.bytes, "k").findCameraSection(cameraAt));

    EXPECT_EQ(s.lights[0].hasTarget, 0);
    EXPECT_EQ(s.lights[0].positionFlag, 1);
    EXPECT_EQ(s.lights[0].positionKeyCount, 2);
    EXPECT_EQ(s.lights[1].hasTarget, 1);
    EXPECT_EQ(s.lights[1].target.y, 10.0f);
    EXPECT_FLOAT_EQ(s.lights[1].specular.r - s.lights[1].ambient.r, 0.5f);  // intensity 1.5
    EXPECT_EQ(s.lights[1].targetFlag, 0);
    EXPECT_EQ(s.shapes[0].name, "Bpath");
    ASSERT_EQ(s.shapes[0].points.size(), 2u);
    EXPECT_EQ(s.shapes[0].points[1].z, 6.0f);  // shape points stay in file axes
    // The header's sample counter is the last track the converter wrote (the camera target's).
    EXPECT_EQ(s.sampleCounter, 1);

    const std::string expected =
        "\n\n\n\n\n******************************\nInput File Opened OK!"
        "\n\n* Processing Object: Box01\nReaded Vertexes ok\nProcessed Faces OK\nProcessed S,T texture "
        "coords OK"
        "\nProcessed Textures Faces OK\nProcessed Face Normals OK"
        "Preparing to read Vertex Normals size required in bytes 48"
        "\nOK MESH_VERTEXNORMAL per faces, readed OK in buffer\n[[[Proceding to flush buffer into "
        "sceneFile]]]"
        "\n[[[ OK MESH_VERTEXNORMALS flushed to scene File, DELETING BUFFER ]]]"
        "\nWarning exporting sample keys...if not marked all the same\nas last Time in 3dsMAX, I will crash"
        "\nConverting Materials"
        "\nProcessed Camera01 Camera\nTDIST 100.000000 #1\nTDIST 100.000000 #2"
        "\nCamera : Camera01, te animaci\xF3 FOV"
        "\nWarning exporting FOV sample keys...if not marked all the same\nas last Time in 3dsMAX, I will "
        "crash"
        "\n320 FOV Camera keys\n** OK! exported animation of 2 FOV Frames"
        "\nWarning exporting sample keys...if not marked all the same\nas last Time in 3dsMAX, I will crash";
    EXPECT_EQ(c.log.substr(0, expected.size()), expected);
    EXPECT_TRUE(contains(c.log, "\nProcessed Omni01 Light\nProcessed Omni01 2 Light animation"));
    EXPECT_TRUE(contains(c.log, "\nProcessed Spot01 Light\nProcessed Spot01 Spot Light's target"));
    EXPECT_TRUE(contains(c.log, "\n\n* Process Bpath Curve \n\n* Process Line01 Curve "));
}

// Other exporters (AC3D, Biturn) write vertex indices and face corners without Max's column
// padding; with repairs those lines read as Max's layout does.
TEST(AseConvert, RepairReadsVertexAndFaceLinesWithoutMaxColumns) {
    const std::string max = fullScene();
    std::string compact = max;
    for (const char* padded : {"*MESH_VERTEX    ", "*MESH_FACE    ", ":    "}) {
        const std::string from(padded);
        const std::string to = from.substr(0, from.size() - 3);
        for (size_t at = compact.find(from); at != std::string::npos; at = compact.find(from, at))
            compact.replace(at, from.size(), to);
    }
    ASSERT_NE(compact, max);
    const Conversion a = convertText(max, false, false, "", "", true);
    const Conversion b = convertText(compact, false, false, "", "", true);
    ASSERT_TRUE(a.whole && b.whole) << b.message;
    EXPECT_EQ(a.bytes, b.bytes);  // the same vertices and faces: the same scene file
}

TEST(AseConvert, LiteralReferenceWritesTheSameBytes) {
    const std::string inputs[] = {
        fullScene(),
        header() + materialList(multiMaterial(2), 1) + quad("A") + quad("B", "", "3", 3, "7") +
            camera("1", "2"),
        header(0) + quad("Q") + camera("5", "5", false),
    };
    for (const auto& in : inputs) {
        const Conversion fast = convertText(in);
        const Conversion literal = convertText(in, true);
        ASSERT_EQ(fast.result, 0) << fast.message;
        EXPECT_EQ(fast.bytes, literal.bytes);
        EXPECT_EQ(fast.log, literal.log);
    }
}

TEST(AseConvert, CameraTargetDistancesAndFovTrack) {
    // Different distances in the settings and the animation block: no FOV track.
    Conversion c = convertText(header() + quad("Q") + camera("100.0000", "99.0000"));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->cameras[0].fovFlag, 0);
    EXPECT_TRUE(contains(c.log, "\nCamera : Camera01, #1 sense animaci\xF3 FOV"));

    c = convertText(header() + quad("Q") + camera("100.0000", "100.0000", false));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->cameras[0].fovFlag, 0);
    EXPECT_TRUE(contains(c.log, "\nCamera : Camera01, #2 sense animaci\xF3 FOV"));

    // A gap of one frame is filled with the previous value and logged.
    c = convertText(header() + quad("Q") + camera("7", "7", true, "0 320"));
    ASSERT_EQ(c.result, 0) << c.message;
    ASSERT_EQ(c.scene->cameras[0].fovKeys.size(), 3u);
    EXPECT_FLOAT_EQ(c.scene->cameras[0].fovKeys[1], 0.7f * kFovRadiansToDegrees);
    EXPECT_FLOAT_EQ(c.scene->cameras[0].fovKeys[2], 0.8f * kFovRadiansToDegrees);
    EXPECT_TRUE(contains(c.log, "\a\a\n****Recovery error #1 of Camera01 object Time 0 to 320"));
    EXPECT_TRUE(contains(c.log, "\a\a\n****Error Verify the FOV keys of Camera01 object to Time 0 to 2"));

    // Samples that never reach the end time: the conversion stops with a message.
    c = convertText(header() + quad("Q") + camera("7", "7", true, "0 160"));
    EXPECT_EQ(c.result, 1);
    EXPECT_TRUE(contains(c.message, "end time 320")) << c.message;
}

// A track token missing from its block: the samples are read from wherever the search for it
// stopped (the next "}"), as the converter always has, so a real export keeps its meaning: a
// camera animated in rotation only gets empty eye tracks and no target track, and an object
// without a MATERIAL_REF, whose flag scan ran into the camera's tracks, stays static.
TEST(AseConvert, TracksMissingFromTheirBlockAndTrackLimits) {
    Conversion c = convertText(header() + quad("Q") + camera("7", "7", true, "0 160 320", 0));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->cameras[0].positionFlag, 1);
    EXPECT_EQ(c.scene->cameras[0].positionKeyCount, 0);
    EXPECT_EQ(c.scene->cameras[0].rotationKeyCount, 0);
    EXPECT_EQ(c.scene->cameras[0].targetFlag, 0);

    std::string noRef = quad("Box01");
    noRef.erase(noRef.find("\t*MATERIAL_REF 0\n"), 16);
    c = convertText(header() + noRef + camera("7", "7", true, "0 160 320", 0));
    ASSERT_EQ(c.result, 0) << c.message;
    const SceneObject& o = c.scene->objects[0];
    EXPECT_EQ(o.positionFlag, 1);  // the flag scan ran on into the camera's block
    EXPECT_EQ(o.rotationFlag, 1);
    EXPECT_EQ(o.positionKeyCount, 0);
    EXPECT_EQ(o.rotationKeyCount, 0);  // not the camera's two rotation samples

    // Camera tracks hold up to last frame + 3 samples, as the loader does.
    for (int samples : {5, 6}) {
        c = convertText(header() + quad("Q") + camera("7", "7", true, "0 160 320", samples));
        ASSERT_EQ(c.result, 0) << c.message;
        EXPECT_EQ(c.scene->cameras[0].positionKeyCount, 5);
    }

    // The end time of 40000 frames of 60000 ticks is past 32 bits.
    const std::string big =
        "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_LASTFRAME 40000\n"
        "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 60000\n}\n";
    c = convertText(big + quad("Q") + camera("7", "7", true, "0 2400000000"));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->cameras[0].fovKeys.size(), 40001u);

    // The header keeps the low 16 bits of the sample counter: 65537 field-of-view samples give 1.
    std::string many = header() + quad("Q") +
                       "*CAMERAOBJECT {\n\t*NODE_NAME \"Camera01\"\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n"
                       "\t\t*TM_ROTAXIS 0 0 1\n\t}\n\t*NODE_TM {\n\t\t*NODE_NAME \"Camera01.Target\"\n"
                       "\t\t*TM_POS 4 5 6\n\t}\n\t*CAMERA_SETTINGS {\n\t\t*CAMERA_TDIST 7\n\t}\n"
                       "\t*CAMERA_ANIMATION {\n\t\t*CAMERA_TDIST 7\n";
    for (int i = 0; i < 65536; ++i) many += "*TIMEVALUE 0\n*CAMERA_FOV 0.5\n";
    many += "*TIMEVALUE 320\n*CAMERA_FOV 0.5\n\t}\n}\n";
    c = convertText(many);
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->sampleCounter, 1);
}

// A name longer than the 255 bytes a scene file holds is cut, and says so once.
TEST(AseConvert, OverlongNamesAreCutWithOneLine) {
    const std::string name = "B" + std::string(279, 'N');  // a shape keeps its whole name when loaded
    ::testing::internal::CaptureStderr();
    const Conversion c = convertText(header() + quad("Q") + shape(name));
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->shapes[0].name, name.substr(0, 255));
    size_t lines = 0;
    for (size_t at = err.find("is cut to 255 bytes"); at != std::string::npos;
         at = err.find("is cut to 255", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << err;
}

TEST(AseConvert, MaterialQuirks) {
    // A plain material without its own bitmap takes the next BITMAP in the input.
    std::string two = plainMaterial("") + plainMaterial("E:\\x\\second.jpg");
    Conversion c = convertText(header() + materialList(two, 1) + quad("Q"));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->materials[0].textureNames[0], "second.jpg");

    // Eleven sub-materials: written as a plain material, each value the next of its kind.
    c = convertText(header() + materialList(multiMaterial(11), 1) + quad("Q"));
    ASSERT_EQ(c.result, 0) << c.message;
    const SceneMaterial& m = c.scene->materials[0];
    EXPECT_EQ(m.hasSubMaterials, 0);
    EXPECT_EQ(m.subMaterialCount, 0);
    EXPECT_FLOAT_EQ(m.shininess, 0.45f * 80);
    EXPECT_FLOAT_EQ(m.diffuse.g, 0.2f);
    EXPECT_EQ(m.textureNames, std::vector<std::string>{"sub0.jpg"});

    c = convertText(header() + materialList(multiMaterial(10), 1) + quad("Q"));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->materials[0].hasSubMaterials, 1);
    EXPECT_EQ(c.scene->materials[0].subMaterialCount, 10);
    EXPECT_EQ(c.scene->materials[0].textureNames[9], "sub9.jpg");

    // No bitmap left at all: an empty name (not packed) instead of a search to the end.
    c = convertText(header() + materialList(plainMaterial(""), 1) + quad("Q"));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->materials[0].textureNames[0], "");
}

TEST(AseConvert, PackingAndTheMissingTextureBox) {
    const std::string dir = scratchDir();
    const std::vector<uint8_t> jpeg = SolidJpeg(8, 4, 200, 100, 50);
    WriteText(dir + "wood.jpg", std::string(jpeg.begin(), jpeg.end()));
    const std::string in = header() + materialList(plainMaterial("C:\\maps\\wood.jpg"), 1) + quad("Q");
    Conversion c = convertText(in, false, true, dir);
    ASSERT_EQ(c.result, 0) << c.message;
    ASSERT_TRUE(c.whole);
    const MaterialSlot& slot = c.scene->materials[0].slots[0];  // the packed bytes decode as packed
    EXPECT_FALSE(slot.placeholder);
    EXPECT_EQ(slot.width, 8);
    EXPECT_EQ(slot.height, 4);

    ::testing::internal::CaptureStderr();
    c = convertText(in, false, true, dir + "nowhere/");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(c.result, kImportFatalExit);
    EXPECT_EQ(c.status, ImportStatus::FatalTextureMissing);
    EXPECT_TRUE(contains(err, "Fatality Error! ;) [K3D Import Console Message]: Texture bitmap : " + dir +
                                  "nowhere/wood.jpg not found!"))
        << err;
    EXPECT_TRUE(contains(c.log, "Converting Materials"));  // the log reaches the disk before the stop
}

TEST(AseConvert, FatalAndRejectedObjects) {
    ::testing::internal::CaptureStderr();
    Conversion c = convertText(header() + quad("NoUV", "", "3", 0));
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(c.result, kImportFatalExit);
    EXPECT_EQ(c.status, ImportStatus::FatalNoTexVerts);
    EXPECT_TRUE(contains(err, "NoUV has no texture vertices")) << err;
    EXPECT_TRUE(c.bytes.empty());

    // A face naming a vertex past the vertex count: rejected, no file.
    ::testing::internal::CaptureStderr();
    c = convertText(header() + quad("Bad", "", "9"));
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.status, ImportStatus::Rejected);
    EXPECT_TRUE(contains(c.message, "face 1 names vertex 2 1 9 of 4")) << c.message;
    EXPECT_TRUE(c.bytes.empty());

    // A vertex normal past the vertex count is logged and dropped.
    c = convertText(header() + quad("N", "", "3", 3, "1"));  // index 13
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_TRUE(contains(c.log, "\n************** FATAL ERROR lectura MESH_vertexnormal se vaaa"));
    EXPECT_EQ(c.scene->objects[0].vertices[3].normal.x, 0.0f);
}

TEST(AseConvert, MeshAnimationFramesAndPadding) {
    std::string frames = "\t*MESH_ANIMATION {\n";
    for (int t : {0, 320}) {
        frames += "\t\t*MESH {\n\t\t\t*TIMEVALUE " + std::to_string(t) +
                  "\n\t\t\t*MESH_NUMVERTEX 4\n\t\t\t*MESH_NUMFACES 2\n\t\t\t*MESH_VERTEX_LIST {\n";
        for (int i = 0; i < 4; ++i)
            frames += "\t\t\t\t*MESH_VERTEX    " + std::to_string(i) + "\t" + std::to_string(t + i) +
                      ".0\t0.0\t0.0\n";
        frames += "\t\t\t}\n\t\t}\n";
    }
    frames += "\t}\n";
    // The animation block follows the material reference, as the exporter writes it.
    std::string obj = quad("M");
    obj.insert(obj.rfind("}\n"), frames);
    const Conversion c = convertText(header() + obj);
    ASSERT_EQ(c.result, 0) << c.message;
    const SceneObject& o = c.scene->objects[0];
    EXPECT_EQ(o.morphFlag, 1);
    ASSERT_EQ(o.morphKeys.size(), 3u * 4);  // frames 0..2 of four vertices, file axes
    EXPECT_EQ(o.morphKeys[1].x, 1.0f);
    EXPECT_EQ(o.morphKeys[5].x, 1.0f);  // frame 1 is missing: it repeats frame 0
    EXPECT_EQ(o.morphKeys[8].x, 320.0f);
    EXPECT_TRUE(contains(c.log, "\a\a\n****Recovery error #1 of M object Time 0 to 320"));
    EXPECT_TRUE(contains(c.log, "\nExporting MESH_ANIMATION KEYS"));
    EXPECT_TRUE(contains(
        c.log,
        "\a\a\n****Error Verify the keys of M object to Time 0 to 2\n** OK! exported animation of 1 Frames"));
}

TEST(AseConvert, LightTypesShapesAndEncodings) {
    Conversion c = convertText(header() + quad("Q") + light("Sun", "Directional"));
    ASSERT_EQ(c.result, 0) << c.message;
    EXPECT_EQ(c.scene->lights[0].hasTarget, 0);
    EXPECT_TRUE(contains(c.log, "Light Sun of type Directional written as Omni"));

    c = convertText(header() + quad("Q") + shape("bpath") + shape("Bezier") + shape("Cpath"));
    ASSERT_EQ(c.result, 0) << c.message;
    ASSERT_EQ(c.scene->shapes.size(), 1u);
    EXPECT_EQ(c.scene->shapes[0].name, "Bezier");

    // CR LF and UTF-16 inputs convert to the same bytes as the plain text.
    const std::string text = fullScene();
    std::string crlf;
    for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    std::string utf16 = "\xFF\xFE";
    for (char ch : crlf) utf16 += std::string(1, ch) + std::string(1, '\0');
    const Conversion plain = convertText(text);
    EXPECT_EQ(convertText(crlf).bytes, plain.bytes);
    EXPECT_EQ(convertText(utf16).bytes, plain.bytes);
}

// Every cut of a small scene terminates, never crashes, and either writes a file that reads back
// whole or reports why not (and then writes no file).
TEST(AseConvert, TruncatedInputAtEveryCut) {
    const std::string text = header() + materialList(multiMaterial(2), 1) + quad("Box01", kTracks) +
                             camera("3", "3") + light("Spot01", "Target") + shape("Bpath");
    const std::string dir = scratchDir();
    const std::string out = dir + "out.k3d";
    ::testing::internal::CaptureStderr();
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        for (bool literal : {false, true}) {
            if (literal && cut % 7 != 0) continue;
            std::remove(out.c_str());
            AseImporter imp;
            imp.SetInputFile("cut.ase");
            imp.SetOutputFile(out);
            imp.SetLogFile(dir + "debug.log");
            imp.SetPackTextures(false);
            imp.SetExitOnFatal(false);
            if (literal) imp.SetScanOps(literalScan());
            const int result = imp.RunOnText(text.substr(0, cut));
            std::vector<uint8_t> bytes;
            const bool written = readFile(out, bytes);
            ASSERT_TRUE(result == 0 || result == 1 || result == kImportFatalExit) << cut;
            if (result == 0) {
                bool whole = false;
                loadConverted(bytes, false, whole);
                ASSERT_TRUE(written && whole) << "cut " << cut;
            } else {
                ASSERT_FALSE(imp.message().empty()) << cut;
                ASSERT_FALSE(written) << cut;
            }
        }
    }
    ::testing::internal::GetCapturedStderr();
}

TEST(AseConvert, DriverSettingsAndCommandLine) {
    const std::string dir = scratchDir();
    AseImporter imp;
    imp.SetLogFile(dir + "debug.log");
    EXPECT_EQ(imp.Run(), 0);  // no input file name: nothing at all, not even the log
    EXPECT_EQ(imp.status(), ImportStatus::NothingToDo);
    EXPECT_FALSE(std::filesystem::exists(dir + "debug.log"));
    imp.SetInputFile(std::string(300, 'x'));
    EXPECT_EQ(imp.inputFile().size(), kMaxImportPath);
    EXPECT_TRUE(imp.packTextures());

    WriteText(dir + "in.ase", fullScene());
    const std::string in = dir + "in.ase", out = dir + "out.k3d", missing = dir + "missing.ase";
    // kgl convert writes "debug.log" into the working directory: run it from the scratch one.
    struct WorkingDir {
        explicit WorkingDir(const std::string& dir) : saved(std::filesystem::current_path()) {
            std::filesystem::current_path(dir);
        }
        ~WorkingDir() { std::filesystem::current_path(saved); }
        std::filesystem::path saved;
    } cwd(dir);
    auto run = [](std::vector<std::string> args) {
        std::vector<const char*> argv = {"kgl", "convert"};
        for (auto& a : args) argv.push_back(a.c_str());
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        const int r = runCommandLine(static_cast<int>(argv.size()), argv.data());
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::GetCapturedStderr();
        return r;
    };
    EXPECT_EQ(run({in, out}), 0);
    EXPECT_TRUE(contains(ReadText(dir + "debug.log"), "Input File Opened OK!"));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readFile(out, bytes));
    bool whole = false;
    loadConverted(bytes, false, whole);
    EXPECT_TRUE(whole);
    EXPECT_EQ(run({in}), kUsageExit);
    EXPECT_EQ(run({in, out, "--bogus"}), kUsageExit);
    EXPECT_EQ(run({in, out, "--texdir"}), kUsageExit);
    EXPECT_EQ(run({missing, out}), 1);
    EXPECT_EQ(run({in, dir + "no/such/dir/out.k3d"}), 1);
    EXPECT_EQ(run({in, out, "--pack", "--texdir", dir}), kImportFatalExit);  // wood.jpg is not there
    WriteText(dir + "wood.jpg", "J");
    EXPECT_EQ(run({in, out, "--pack", "--texdir", dir}), 0);
    // A shorter result overwrites a longer file completely.
    WriteText(out, std::string(100000, 'z'));
    EXPECT_EQ(run({in, out}), 0);
    std::vector<uint8_t> again;
    ASSERT_TRUE(readFile(out, again));
    EXPECT_EQ(again, bytes);
}

}  // namespace
}  // namespace kgl
