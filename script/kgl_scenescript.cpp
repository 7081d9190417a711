// Scene-script reader: the sections IMPORT, K3D, AMBIENCE, CAMERA, LIGHT and OBJ, processed in
// that order with the keyword searches of the TokenReader. A section keyword is searched onwards
// from the current position; the keys of a section are searched within its block, which ends at
// the next '}'. Per-object options go through SetObjectOption (kgl_object_options.cpp).
#include "script/kgl_scenescript.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "common/kgl_log.h"
#include "import/kgl_import.h"
#include "script/kgl_import_prefetch.h"

namespace kgl {

namespace {

constexpr const char* kLog = "SCRIPT";

// FILLER: takes only these filler types; any other value is ignored.
constexpr int kScriptFillers[] = {kFillerBump, kFillerSphereMap, kFillerTwoPass};

bool scriptFiller(int value) {
    for (int f : kScriptFillers)
        if (f == value) return true;
    return false;
}

}  // namespace

SceneScriptReader::SceneScriptReader(Scene3D& scene, AseImporter* importer) : SceneScriptReader(importer) {
    scene_ = &scene;
}

SceneScriptReader::SceneScriptReader(AseImporter* importer) : importer_(importer) {
    if (!importer_) {
        ownImporter_ = std::make_unique<AseImporter>();
        ownImporter_->SetExitOnFatal(true);
        importer_ = ownImporter_.get();
    }
}

SceneScriptReader::~SceneScriptReader() = default;

bool SceneScriptReader::Read(Scene3D& scene, const char* path) {
    scene_ = &scene;
    return Read(path);
}

bool SceneScriptReader::Read(const char* path) {
    if (!scene_) return false;
    if (!path || !in_.Open(path)) {
        logLine("SCRIPT", path ? path : "", "not found: the scene slot stays empty");
        return false;
    }
    path_ = path;
    lastInt_ = 0;
    ReadImport();
    ReadK3D();
    ReadAmbience();
    ReadCameras();
    ReadLights();
    ReadObjects();
    return true;
}

// ---- value readers ----

bool SceneScriptReader::FindInBlock(long from, const char* key) {
    in_.Seek(from);
    return in_.FindKeywordInBlock(key) == TokenReader::kFound;
}

int32_t SceneScriptReader::ReadInt() {
    lastInt_ = in_.ReadInt();
    return lastInt_;
}

float SceneScriptReader::ReadReal() {
    const double v = in_.ReadFloat();
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) {
        logLine(kLog, path_.c_str(), "a real value out of range at offset %ld reads as 0", in_.Tell());
        return 0.0f;
    }
    return static_cast<float>(v);
}

ColorRGBA SceneScriptReader::ReadColor() {
    ColorRGBA c;
    c.r = ReadReal();
    c.g = ReadReal();
    c.b = ReadReal();
    c.a = ReadReal();
    return c;
}

bool SceneScriptReader::ReadText(const char* key, char* buf) {
    in_.GetChar();  // the one character after the key: an opening quote or a space
    const size_t length = in_.ReadLine(buf, kMaxScriptText);
    if (length < kMaxScriptText) return true;
    if (!quiet_)
        logLine(kLog, path_.c_str(), "the value of %s is longer than %zu characters; ignored", key,
                kMaxScriptText - 1);
    buf[0] = '\0';
    return false;
}

bool SceneScriptReader::CameraInRange(int index) const {
    if (index >= 0 && index < static_cast<int>(scene_->cameras.size())) return true;
    logLine(kLog, path_.c_str(), "CAMERA: %d is not a camera of the scene (%zu cameras); block ignored",
            index, scene_->cameras.size());
    return false;
}

bool SceneScriptReader::LightInRange(int index) const {
    if (index >= 0 && index < static_cast<int>(scene_->lights.size()) && index < kMaxLights) return true;
    logLine(kLog, path_.c_str(), "LIGHT: %d is not a light of the scene (%zu lights); block ignored", index,
            scene_->lights.size());
    return false;
}

// ---- sections ----

// The four import settings are each searched from just after "IMPORT:"; a missing key leaves
// the importer's setting as it was. Afterwards the K3D search starts from "IMPORT:" again.
bool SceneScriptReader::ReadImportSettings() {
    if (in_.FindKeyword("IMPORT:") != TokenReader::kFound) return false;
    const long block = in_.Tell();
    if (ReadInt() != 1) return false;
    char text[kMaxScriptText];
    if (FindInBlock(block, "INFILE:") && ReadText("INFILE:", text)) importer_->SetInputFile(text);
    if (FindInBlock(block, "OUTFILE:") && ReadText("OUTFILE:", text)) importer_->SetOutputFile(text);
    if (FindInBlock(block, "TXTPATH:") && ReadText("TXTPATH:", text)) importer_->SetTextureDir(text);
    if (FindInBlock(block, "USETXTPACK:")) importer_->SetPackTextures(ReadInt() != 0);
    in_.Seek(block);
    return true;
}

// The importer reports its own failures; its fatal stops may end the process.
void SceneScriptReader::ReadImport() {
    if (!ReadImportSettings() || !runImports) return;
    AseImporter* staged = prefetch_ ? prefetch_->Take(*importer_) : nullptr;
    if (staged)
        staged->Commit();
    else
        importer_->Run();
}

bool SceneScriptReader::PlanImport(const char* path) {
    if (!path || !in_.Open(path)) return false;
    path_ = path;
    quiet_ = true;
    const bool asks = ReadImportSettings();
    quiet_ = false;
    return asks;
}

// The texture path and packed flag are set together, by "USETXTPACK:", and before the scene
// file is loaded so its materials take them.
void SceneScriptReader::ReadK3D() {
    if (in_.FindKeyword("K3D:") != TokenReader::kFound) return;
    ReadInt();
    const long block = in_.Tell();
    char texturePath[kMaxScriptText];
    bool havePath = false;
    if (FindInBlock(block, "TXTPATH:")) havePath = ReadText("TXTPATH:", texturePath);
    if (FindInBlock(block, "USETXTPACK:")) {
        const bool packed = ReadInt() != 0;
        scene_->SetTexturePath(havePath ? std::string(texturePath) : scene_->texturePath, packed);
    }
    char file[kMaxScriptText];
    if (FindInBlock(block, "INFILE:") && ReadText("INFILE:", file)) scene_->Load(file, loadOptions_);
    in_.Seek(block);
}

// The four keys are searched one after the other, each from where the previous one stopped. A
// missing key keeps the scene's current value for it.
void SceneScriptReader::ReadAmbience() {
    if (in_.FindKeyword("AMBIENCE:") != TokenReader::kFound) return;
    ColorRGBA ambient = scene_->ambienceAmbient;
    ColorRGBA diffuse = scene_->ambienceDiffuse;
    ColorRGBA specular = scene_->ambienceSpecular;
    float shininess = scene_->ambienceShininess;
    if (in_.FindKeywordInBlock("AMBIENT:") == TokenReader::kFound) ambient = ReadColor();
    if (in_.FindKeywordInBlock("DIFFUSE:") == TokenReader::kFound) diffuse = ReadColor();
    if (in_.FindKeywordInBlock("SPECU:") == TokenReader::kFound) specular = ReadColor();
    if (in_.FindKeywordInBlock("SHINE:") == TokenReader::kFound) shininess = ReadReal();
    scene_->SetAmbience(ambient, diffuse, specular, shininess);
    for (SceneObject& o : scene_->objects) o.smoothNormals = 1;
}

void SceneScriptReader::ReadCameras() {
    while (in_.FindKeyword("CAMERA:") == TokenReader::kFound) {
        const long block = in_.Tell();
        const int index = ReadInt();
        if (CameraInRange(index) && in_.FindKeywordInBlock("FOV:") == TokenReader::kFound)
            scene_->SetCameraFov(ReadReal(), index);
        in_.Seek(block);
    }
}

void SceneScriptReader::ReadLights() {
    while (in_.FindKeyword("LIGHT:") == TokenReader::kFound) {
        const long block = in_.Tell();
        const int index = ReadInt();
        if (LightInRange(index)) ReadLight(scene_->lights[static_cast<size_t>(index)], index, block);
        in_.Seek(block);
    }
}

void SceneScriptReader::ReadLight(SceneLight& light, int index, long blockStart) {
    if (FindInBlock(blockStart, "RADIUS:")) light.SetLightRadius(ReadReal());
    if (FindInBlock(blockStart, "LIMITS:")) {
        const float upper1 = ReadReal();
        const float lower1 = ReadReal();
        const float upper2 = ReadReal();
        const float lower2 = ReadReal();
        light.SetGlowLimits(upper1, lower1, upper2, lower2);
    }
    if (FindInBlock(blockStart, "ACCEL:")) light.SetLightOn(ReadInt() != 0 ? 1 : 0);
    if (FindInBlock(blockStart, "FLARE:")) light.flare = static_cast<uint8_t>(ReadInt() != 0);
    if (FindInBlock(blockStart, "SPOT:")) {
        const float exponent = ReadReal();
        const float cutoff = ReadReal();
        light.SetLightSpot(exponent, cutoff);
    }
    char file[kMaxScriptText];
    if (FindInBlock(blockStart, "CORONAS:") && ReadText("CORONAS:", file)) scene_->LoadLensFlare(index, file);
    light.definedByScript = 1;
}

// Objects are read from the start of the file again. The keys of a block are searched from just
// after the name's closing colon, so a name can never be taken for one of the keys.
void SceneScriptReader::ReadObjects() {
    in_.Seek(0);
    while (in_.FindKeyword("OBJ:") == TokenReader::kFound) {
        char name[kMaxScriptObjectName];
        size_t length = 0;
        in_.ReadWord(name, sizeof name, &length);
        if (length >= sizeof name)
            logLine(kLog, path_.c_str(), "OBJ: name longer than %zu characters, cut to \"%s\"",
                    sizeof name - 1, name);
        const long block = in_.Tell();
        ReadObject(name, block);
        in_.Seek(block);
    }
}

void SceneScriptReader::ReadObject(const char* name, long blockStart) {
    if (FindInBlock(blockStart, "TRANSP:"))
        SetObjectOption(*scene_, name, "TRANSP_TYPE", static_cast<float>(ReadInt()));
    if (FindInBlock(blockStart, "OPACITY:")) SetObjectOption(*scene_, name, "OPACITY", ReadReal());
    if (FindInBlock(blockStart, "NOMAT:"))
        SetObjectOption(*scene_, name, "NOMAT", static_cast<float>(ReadInt()));
    if (FindInBlock(blockStart, "ALFAFUNC:"))
        SetObjectOption(*scene_, name, "ALPHA_FUNCTION", static_cast<float>(ReadInt()));
    if (FindInBlock(blockStart, "CULL:") && ReadInt() != 0) SetCullOffExact(*scene_, name);
    // BILL2D: has no value of its own; it follows the last integer the script read.
    if (FindInBlock(blockStart, "BILL2D:")) {
        if (lastInt_ == 0)
            SetObjectOption(*scene_, name, "ORIENT_TYPE", static_cast<float>(kOrientBillboard));
        else
            SetObjectOption(*scene_, name, "USESMASK", 1.0f);
    }
    if (FindInBlock(blockStart, "HIDDEN:")) SetObjectOption(*scene_, name, "HIDDEN_TYPE", 1.0f);
    if (FindInBlock(blockStart, "MPASS:")) ReadMultipass(name);
    if (FindInBlock(blockStart, "FILLER:")) {
        const int filler = ReadInt();
        if (scriptFiller(filler)) SetObjectOption(*scene_, name, "FILLER_TYPE", static_cast<float>(filler));
    }
    if (FindInBlock(blockStart, "WIRED:"))
        SetObjectOption(*scene_, name, "RENDER_TYPE", static_cast<float>(kRenderWire));
}

// "MPASS:" alpha0 alpha1 blend0 blend1: the multipass filler with its two passes' alphas and
// blend functions, plain combine and no texture generation on the second unit.
void SceneScriptReader::ReadMultipass(const char* name) {
    const float alpha0 = ReadReal();
    const float alpha1 = ReadReal();
    const int blend0 = ReadInt();
    const int blend1 = ReadInt();
    SetObjectOption(*scene_, name, "FILLER_TYPE", static_cast<float>(kFillerMultipass));
    SetObjectOption(*scene_, name, "ALPHA_ARB0", alpha0);
    SetObjectOption(*scene_, name, "ALPHA_ARB1", alpha1);
    SetObjectOption(*scene_, name, "ALPHA_FUNCTION", static_cast<float>(blend0));
    SetObjectOption(*scene_, name, "ALPHA_FUNCTION_ARB1", static_cast<float>(blend1));
    SetObjectOption(*scene_, name, "COMBINE_RBA0", 0.0f);
    SetObjectOption(*scene_, name, "EFFECT_ARB0", 0.0f);
}

}  // namespace kgl
