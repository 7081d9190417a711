// The scene-script reader on hostile text, applied to a small loaded scene (two objects, one
// camera, two lights), with the scene file at "escena/test.k3d" for the K3D block and a lens
// flare picture at "escena/flare.k2d" for CORONAS. The reader's importer returns from its fatal
// stops; IMPORT blocks name files that do not exist unless the input names the scene itself.
// Paths stay inside the private working directory: an input is skipped unless every '/' ends a
// run of word characters and slashes that begins with "escena", so nothing outside is touched.
// fuzz-seeds: scenescript
// fuzz-dict: "IMPORT:" "INFILE:" "OUTFILE:" "TXTPATH:" "USETXTPACK:" "K3D:" "AMBIENCE:" "AMBIENT:"
// fuzz-dict: "DIFFUSE:" "SPECU:" "SHINE:" "CAMERA:" "FOV:" "LIGHT:" "RADIUS:" "LIMITS:" "ACCEL:"
// fuzz-dict: "FLARE:" "SPOT:" "CORONAS:" "OBJ:" "TRANSP:" "OPACITY:" "NOMAT:" "ALFAFUNC:" "CULL:"
// fuzz-dict: "BILL2D:" "HIDDEN:" "MPASS:" "FILLER:" "WIRED:" "Box01" "Sphere01" "escena/test.k3d"
// fuzz-dict: "escena/flare.k2d" "{" "}" "*" "\"" "\x0d\x0a"
// fuzz-options: -max_len=8192
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/kgl_bytes.h"
#include "fuzz_common.h"
#include "import/kgl_import.h"
#include "kgl_fuzz_models.h"
#include "scene/kgl_scene3d.h"
#include "script/kgl_scenescript.h"

namespace {

constexpr char kScenePath[] = "escena/test.k3d";
constexpr int kFrames = 4;

kgl_test::Bytes gScene;

bool pathCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '/';
}

// True when every '/' ends a run of [A-Za-z0-9_/] that begins with "escena": no absolute path,
// no "..", whatever character the reader skips after a key.
bool pathsStayInside(const std::string& text) {
    static const std::string prefix = "escena";
    for (size_t i = text.find('/'); i != std::string::npos; i = text.find('/', i + 1)) {
        size_t start = i;
        while (start > 0 && pathCharacter(text[start - 1])) --start;
        if (text.compare(start, prefix.size(), prefix) != 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mkdir("escena", 0755);
    gScene = kgl_test::testScene(true, true, 4);
    const kgl_test::Bytes flare =
        kgl_test::BuildK2D({{"glow.jpg", 0, kgl_test::GradientJpeg(16, 16, 3, false)},
                            {"ring.jpg", 1, kgl_test::GradientJpeg(8, 8, 1, true)}});
    if (!kgl::writeFile("escena/flare.k2d", flare)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!pathsStayInside(text)) return 0;
    // An earlier input may have converted something over the scene file: write it afresh.
    if (!kgl::writeFile(kScenePath, gScene)) std::abort();
    const char* path = kgl_test::writeInput("scene.txt", data, size);

    kgl::SceneLoadOptions options;
    options.decodeTextures = false;
    options.writeLogs = false;
    static auto* scene = new kgl::Scene3D();
    scene->SetTexturePath("", true);
    if (!scene->LoadFromBytes(gScene, kScenePath, options)) std::abort();
    kgl::AseImporter importer;
    importer.SetExitOnFatal(false);
    {
        kgl::SceneScriptReader reader(*scene, &importer);
        reader.SetLoadOptions(options);
        if (!reader.Read(path)) std::abort();
    }
    if (scene->lights.size() > static_cast<size_t>(kgl::kMaxLights) ||
        scene->objectCount != scene->objects.size())
        std::abort();
    for (const kgl::SceneObject& o : scene->objects)
        if (std::memchr(o.name, '\0', sizeof o.name) == nullptr) std::abort();
    for (int i = 0; i < kFrames; ++i) scene->Update();
    return 0;
}
