// Seeds of the model readers: JPEGs encoded here with libjpeg (colour, greyscale, progressive,
// restart markers), K2D files holding them, scene files written field by field with the scene
// file writer and converted by the ASE importer from small ASE exports of the show generator,
// those ASE texts themselves, and scene scripts as the show generator writes them.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/kgl_bytes.h"
#include "import/kgl_import.h"
#include "kgl_fuzz_models.h"
#include "kgl_fuzz_seeds.h"
#include "kgl_showgen_ase.h"
#include "kgl_showgen_script.h"

namespace kgl_test {
namespace {

namespace sg = kgl::showgen;

void jpegSeeds() {
    put("jpeg", "rgb8.jpg", GradientJpeg(8, 8, 3, false));
    put("jpeg", "grey16x9.jpg", GradientJpeg(16, 9, 1, false));
    put("jpeg", "progressive17x5.jpg", GradientJpeg(17, 5, 3, true));
    put("jpeg", "progressive_grey.jpg", GradientJpeg(9, 12, 1, true));
    put("jpeg", "restarts.jpg", GradientJpeg(24, 24, 3, false, 1));
    put("jpeg", "one_pixel.jpg", GradientJpeg(1, 1, 3, false));
    Bytes cut = GradientJpeg(32, 16, 3, false);
    cut.resize(cut.size() / 2);
    put("jpeg", "truncated.jpg", cut);
}

void k2dSeeds() {
    const Bytes a = GradientJpeg(8, 8, 3, false);
    const Bytes b = GradientJpeg(16, 4, 1, true);
    put("k2d", "one.k2d", BuildK2D({{"pic.jpg", 0, a}}));
    put("k2d", "three.k2d", BuildK2D({{"a.jpg", 0, a}, {"b.jpg", 3, b}, {"c.jpg", 9, a}}));
    put("k2d", "bad_slot.k2d", BuildK2D({{"a.jpg", 12, a}, {"b.jpg", 255, b}}));
    put("k2d", "not_jpeg.k2d", BuildK2D({{"x", 1, Bytes(40, 0x55)}, {"", 2, {}}}));
    Bytes cut = BuildK2D({{"a.jpg", 0, a}, {"b.jpg", 1, b}});
    cut.resize(cut.size() - b.size() / 2);
    put("k2d", "truncated.k2d", cut);
}

// ---- ASE exports of the show generator, and their conversions ----

sg::Mesh quad(float size) {
    sg::Mesh m;
    m.addVertex(sg::v3(0, 0, 0), 0, 0);
    m.addVertex(sg::v3(size, 0, 0), 1, 0);
    m.addVertex(sg::v3(size, size, 0), 1, 1);
    m.addVertex(sg::v3(0, size, 0), 0, 1);
    m.addFace(0, 1, 2);
    m.addFace(0, 2, 3, 1);
    return m;
}

sg::Scene aseScene(bool animated, bool multi) {
    sg::Scene s;
    s.name = "seed";
    s.lastFrame = animated ? 3 : 0;
    sg::Material mat;
    mat.name = "Stone";
    mat.texture = "stone.jpg";
    if (multi) {
        sg::Material sub = mat;
        sub.name = "Sub";
        sub.texture = "sub.jpg";
        mat.subs = {mat, sub};
    }
    s.materials.push_back(mat);
    sg::Object o;
    o.name = "Plane01";
    o.mesh = quad(10.0f);
    o.pivot = sg::v3(1, 1, 0);
    if (animated) {
        for (int k = 0; k <= s.lastFrame; ++k) {
            o.posTrack.push_back(sg::v3(float(k), 0, 0));
            o.rotTrack.push_back(sg::RotKey{sg::v3(0, 1, 0), 0.1f});
            o.scaleTrack.push_back(sg::v3(1, 1, 1));
            o.morph.push_back(o.mesh.v);
        }
    }
    s.objects.push_back(o);
    sg::Object still = o;
    still.name = "Floor";
    still.posTrack.clear();
    still.rotTrack.clear();
    still.scaleTrack.clear();
    still.morph.clear();
    s.objects.push_back(still);
    sg::Camera cam;
    cam.name = "Camera01";
    cam.eye = sg::v3(0, 50, -100);
    if (animated)
        for (int k = 0; k <= s.lastFrame; ++k) {
            cam.eyeTrack.push_back(sg::v3(0, 50, -100.0f + k));
            cam.targetTrack.push_back(sg::v3(float(k), 0, 0));
        }
    s.cameras.push_back(cam);
    sg::Light light;
    light.name = "Omni01";
    light.pos = sg::v3(20, 40, 0);
    if (animated)
        for (int k = 0; k <= s.lastFrame; ++k) light.posTrack.push_back(sg::v3(20, 40, float(k)));
    s.lights.push_back(light);
    sg::Light spot = light;
    spot.name = "Spot01";
    spot.targeted = true;
    s.lights.push_back(spot);
    sg::Shape shape;
    shape.name = "Bline01";
    shape.points = {sg::v3(0, 0, 0), sg::v3(1, 2, 3), sg::v3(4, 5, 6)};
    s.shapes.push_back(shape);
    return s;
}

// Converts an ASE text into a scene file (textures not packed, names only).
bool convertAse(const std::string& text, Bytes& scene) {
    const std::string out = gOut + "/converted.k3d";
    kgl::AseImporter importer;
    importer.SetExitOnFatal(false);
    importer.SetPackTextures(false);
    importer.SetOutputFile(out);
    importer.SetLogFile(gOut + "/debug.log");
    importer.SetInputFile("seed.ase");
    const bool ok = importer.RunOnText(text) == 0 && kgl::readFile(out, scene);
    unlink(out.c_str());
    unlink((gOut + "/debug.log").c_str());
    return ok;
}

const char kMinimalAse[] =
    "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_FILENAME \"tiny.max\"\n\t*SCENE_FIRSTFRAME 0\n"
    "\t*SCENE_LASTFRAME 1\n\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n"
    "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 0\n}\n";

void aseAndSceneSeeds() {
    put("scene", "hand_still.k3d", testScene(false, false, 0));
    put("scene", "hand_animated.k3d", testScene(true, false, 4));
    put("scene", "hand_multi.k3d", testScene(true, true, 2));
    Bytes cut = testScene(true, true, 2);
    cut.resize(cut.size() * 2 / 3);
    put("scene", "truncated.k3d", cut);
    const struct {
        const char* name;
        bool animated, multi;
    } variants[] = {{"still", false, false}, {"animated", true, false}, {"multi", true, true}};
    for (const auto& v : variants) {
        const std::string text = sg::exportAse(aseScene(v.animated, v.multi));
        putText("ase", std::string(v.name) + ".ase", text);
        Bytes scene;
        if (!convertAse(text, scene)) {
            std::fprintf(stderr, "kgl_fuzz_seeds: converting the %s ASE seed failed\n", v.name);
            gFailed = true;
            continue;
        }
        put("scene", std::string("converted_") + v.name + ".k3d", scene);
    }
    putText("ase", "minimal.ase", kMinimalAse);
    putText("ase", "crlf_numbers.ase",
            "*SCENE {\r\n*SCENE_LASTFRAME -7\r\n*SCENE_FRAMESPEED 99999999999\r\n}\r\n*GEOMOBJECT {\r\n"
            "*NODE_NAME \"" +
                std::string(320, 'n') +
                "\"\r\n*MESH {\r\n*MESH_NUMVERTEX 70000\r\n"
                "*MESH_NUMFACES -1\r\n*MESH_VERTEX_LIST {\r\n*MESH_VERTEX 0 1.5e39 -0 nan\r\n}\r\n");
}

// ---- scene scripts ----

void scriptSeeds() {
    sg::SceneScript s;
    s.stem = "test";
    s.packed = true;
    s.fovs = {45.0f, 60.0f, 30.0f};
    sg::ScriptLight l;
    s.lights = {l, l};
    s.lights[1].coronas = "escena/flare.k2d";
    s.objects = {{"Box01", {"CULL: 1", "WIRED:"}},
                 {"Sphere01", {"TRANSP: 302", "OPACITY: 0.5", "BILL2D:", "FILLER: 41"}},
                 {"Box", {"MPASS: 0.5 0.25 1 2", "HIDDEN:", "NOMAT: 1", "ALFAFUNC: 3"}}};
    putText("scenescript", "show.txt", sg::scriptText(s));
    s.packed = false;
    s.objects = {{"Sphere01", {"BILL2D:", "FILLER: 30", "NOMAT: 2"}}};
    s.lights.resize(1);
    putText("scenescript", "unpacked.txt", sg::scriptText(s));
    putText("scenescript", "no_import.txt",
            "K3D: 1\n{\nINFILE:\"escena/test.k3d\"\n}\nAMBIENCE:\n{\nAMBIENT: 1 1 1 1\nSHINE: 1e40\n}\n"
            "CAMERA: 7\n{\nFOV: 10\n}\nLIGHT: -1\n{\nRADIUS: 3\n}\nOBJ:" +
                std::string(80, 'B') + ":\n{\nCULL: 1\n}\n");
}

}  // namespace

void modelSeeds() {
    jpegSeeds();
    k2dSeeds();
    aseAndSceneSeeds();
    scriptSeeds();
}

}  // namespace kgl_test
