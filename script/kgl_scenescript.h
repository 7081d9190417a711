// Scene scripts: the small text files under "escena/scripts/" that convert an ASE export when
// asked, name the scene file to load, and set ambience, cameras, lights and per-object options.
// The engine owns one SceneScriptReader, which reads all the show's scripts at start-up, each
// into its scene, and owns the one ASE importer of their IMPORT blocks (unless it is handed one):
// an IMPORT block that leaves a key out keeps the value an earlier script gave it.
// SetObjectOption is also the one way the engine set-up and the director reach object options.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/kgl_vec.h"
#include "scene/kgl_scene3d.h"
#include "script/kgl_tokenreader.h"

namespace kgl {

class AseImporter;
class ImportPrefetch;

constexpr size_t kMaxScriptText = 256;       // text values (paths): 255 characters + terminator
constexpr size_t kMaxScriptObjectName = 64;  // the name after "OBJ:": 63 characters + terminator
constexpr size_t kObjectNameMatchChars = 8;  // option names match on their first 8 characters

// Applies one option to every object whose name equals `objectName` or agrees with it in the
// first 8 characters. The value is a real; integer options take its whole part.
void SetObjectOption(Scene3D& scene, const char* objectName, const char* option, float value);

// Turns face culling off for the objects whose name is exactly `objectName` (the script's CULL).
void SetCullOffExact(Scene3D& scene, const char* objectName);

class SceneScriptReader {
public:
    // With `importer` null the reader makes its own, whose fatal stops end the process with a
    // negative status.
    explicit SceneScriptReader(AseImporter* importer = nullptr);
    // A reader whose Read(path) applies scripts to `scene`.
    explicit SceneScriptReader(Scene3D& scene, AseImporter* importer = nullptr);
    virtual ~SceneScriptReader();
    SceneScriptReader(const SceneScriptReader&) = delete;
    SceneScriptReader& operator=(const SceneScriptReader&) = delete;

    // How "INFILE:" of the K3D section loads the scene (the show's defaults unless set).
    void SetLoadOptions(const SceneLoadOptions& options) { loadOptions_ = options; }
    AseImporter& importer() { return *importer_; }
    // false: IMPORT blocks are read but the converter does not run (the author mode builds the
    // show again for a backward seek from the scene files this run already converted).
    bool runImports = true;

    // Reads and applies the script to `scene` (which later Read(path) calls keep using); false
    // when it cannot be opened (one line on stderr).
    bool Read(Scene3D& scene, const char* path);
    bool Read(const char* path);
    // While set, an IMPORT block that asks for a conversion takes it from `prefetch` (already
    // converted there) when it was planned, and converts in place otherwise.
    void SetPrefetch(ImportPrefetch* prefetch) { prefetch_ = prefetch; }
    // Reads only the IMPORT block of the script at `path` into the importer's settings, printing
    // nothing and converting nothing: true when it asks for a conversion.
    bool PlanImport(const char* path);

private:
    void ReadImport();
    bool ReadImportSettings();  // true when the block asks for a conversion
    void ReadK3D();
    void ReadAmbience();
    void ReadCameras();
    void ReadLights();
    void ReadLight(SceneLight& light, int index, long blockStart);
    void ReadObjects();
    void ReadObject(const char* name, long blockStart);
    void ReadMultipass(const char* name);

    // Seeks to `from` and searches `key` in the block there; true only when it was found.
    bool FindInBlock(long from, const char* key);
    int32_t ReadInt();  // remembers the value for "BILL2D:"
    float ReadReal();   // non-finite or out-of-range values read as 0 (one message)
    ColorRGBA ReadColor();
    // Skips the character after the key, then reads the value into buf (kMaxScriptText bytes).
    // False, with one message, when the value does not fit.
    bool ReadText(const char* key, char* buf);
    bool CameraInRange(int index) const;
    bool LightInRange(int index) const;

    Scene3D* scene_ = nullptr;
    AseImporter* importer_ = nullptr;
    std::unique_ptr<AseImporter> ownImporter_;
    SceneLoadOptions loadOptions_;
    TokenReader in_;
    std::string path_;
    int32_t lastInt_ = 0;  // the last integer the script read, whichever key it belonged to
    ImportPrefetch* prefetch_ = nullptr;
    bool quiet_ = false;  // PlanImport: the script is read again, and says it then
};

}  // namespace kgl
