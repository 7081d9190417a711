// The ASE importer on hostile text: the last input byte chooses Run on a file or RunOnText in
// memory, and whether textures are packed (from "textures/", where one small file exists); the
// rest is the ASE text. Fatal stops return instead of ending the process. A scene file the
// importer wrote is then read back by the scene loader, model only.
// fuzz-seeds: ase ../shared/testdata/ase
// fuzz-dict: "*GEOMOBJECT" "*NODE_NAME" "*MESH" "*MESH_NUMVERTEX" "*MESH_NUMFACES" "*MESH_VERTEX_LIST"
// fuzz-dict: "*MESH_VERTEX" "*MESH_FACE_LIST" "*MESH_FACE" "*MESH_MTLID" "*MESH_NUMTVERTEX" "*MESH_TVERTLIST"
// fuzz-dict: "*MESH_TVERT" "*MESH_NUMTVFACES" "*MESH_TFACELIST" "*MESH_TFACE" "*MESH_NORMALS"
// fuzz-dict: "*MESH_FACENORMAL" "*MESH_VERTEXNORMAL" "*MATERIAL_REF" "*TM_ANIMATION" "*TM_POS"
// fuzz-dict: "*TM_ROTAXIS" "*CONTROL_POS_TRACK" "*CONTROL_POS_SAMPLE" "*CONTROL_ROT_TRACK"
// fuzz-dict: "*CONTROL_ROT_SAMPLE" "*CONTROL_SCALE_TRACK" "*CONTROL_SCALE_SAMPLE" "*MESH_ANIMATION"
// fuzz-dict: "*TIMEVALUE" "*MATERIAL_LIST" "*MATERIAL_COUNT" "*MATERIAL" "*MATERIAL_NAME"
// fuzz-dict: "*MATERIAL_CLASS" "*MATERIAL_AMBIENT" "*MATERIAL_DIFFUSE" "*MATERIAL_SPECULAR"
// fuzz-dict: "*MATERIAL_SHINE" "*MATERIAL_SHINESTRENGTH" "*MATERIAL_TRANSPARENCY"
// fuzz-dict: "*MATERIAL_WIRESIZE" "*MATERIAL_SELFILLUM" "*NUMSUBMTLS" "*SUBMATERIAL" "*BITMAP"
// fuzz-dict: "*MAP_DIFFUSE" "Multi/Sub-Object" "*CAMERAOBJECT" "*CAMERA_SETTINGS" "*CAMERA_FOV"
// fuzz-dict: "*CAMERA_TDIST" "*CAMERA_ANIMATION" "*LIGHTOBJECT" "*LIGHT_TYPE" "*LIGHT_COLOR"
// fuzz-dict: "*LIGHT_INTENS" "*SHAPEOBJECT" "*SHAPE_VERTEXCOUNT" "*SHAPE_VERTEX_INTERP"
// fuzz-dict: "*SCENE" "*SCENE_LASTFRAME" "*SCENE_FRAMESPEED" "*SCENE_TICKSPERFRAME" "Target"
// fuzz-dict: "{" "}" "\"" "\x0d\x0a" "\xff\xfe" "-1" "65535" "1e39"
// fuzz-options: -max_len=65536
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"
#include "fuzz_common.h"
#include "import/kgl_import.h"
#include "scene/kgl_scene3d.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The working directory is already the private one: a texture the packing step can find.
    mkdir("textures", 0755);
    const uint8_t texture[] = {0xff, 0xd8, 0xff, 0xd9};
    std::vector<uint8_t> bytes(texture, texture + sizeof texture);
    kgl::writeFile("textures/stone.jpg", bytes);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[size - 1];
    std::string text(reinterpret_cast<const char*>(data), size - 1);
    const bool pack = mode & 2;
    // Packing reads the named files: keep it inside the working directory.
    if (pack && text.find("..") != std::string::npos) return 0;
    std::remove("out.k3d");
    kgl::AseImporter importer;
    importer.SetExitOnFatal(false);
    importer.SetOutputFile("out.k3d");
    importer.SetTextureDir("textures/");
    importer.SetPackTextures(pack);
    int result = 0;
    if (mode & 1) {
        importer.SetInputFile(
            kgl_test::writeInput("scene.ase", reinterpret_cast<const uint8_t*>(text.data()), text.size()));
        result = importer.Run();
    } else {
        importer.SetInputFile("memory.ase");
        result = importer.RunOnText(std::move(text));
    }
    if (result != 0 && result != 1 && result != kgl::kImportFatalExit) std::abort();
    if ((result == 0) != (importer.status() == kgl::ImportStatus::Ok)) std::abort();
    if (result != 0) return 0;
    std::vector<uint8_t> scene;
    if (!kgl::readFile("out.k3d", scene)) std::abort();
    kgl::SceneLoadOptions options;
    options.decodeTextures = false;
    options.writeLogs = false;
    auto loaded = std::make_unique<kgl::Scene3D>();
    loaded->LoadFromBytes(scene, "out.k3d", options);
    return 0;
}
