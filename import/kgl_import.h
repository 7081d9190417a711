// AseImporter: converts one 3ds Max ASE text export into one engine scene file ("K3D"), writing
// its progress into "debug.log". One importer per scene-script reader; it holds the settings of
// the script's IMPORT block and runs the five converters (objects, materials, cameras, lights,
// shapes) in that order. The converters search tokens forward through the text and rely on the
// exporter's line order; they do not parse the block structure.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "import/kgl_ase_text.h"
#include "scene/kgl_scenefile.h"

namespace kgl {

constexpr size_t kMaxImportPath = 255;   // input, output and texture directory settings
constexpr size_t kAseNumberBuffer = 20;  // characters collected for one number (with terminator)
constexpr size_t kAseNameBuffer = 300;   // characters collected for one quoted name (with terminator)
constexpr int kMaxMeshVertices = 65535;  // vertex, face and texture-vertex counts are 16-bit
constexpr int kImportFatalExit = -1;     // exit status of the two fatal stops

constexpr char kMissingTextureCaption[] = "Fatality Error! ;) [K3D Import Console Message]";

// Outcome of one Run.
enum class ImportStatus {
    Ok,                   // the scene file was written
    NothingToDo,          // no input file name was set
    InputUnreadable,      // input missing, unreadable or not decodable
    OutputUnwritable,     // the scene file could not be written
    Rejected,             // the input ends or breaks inside something the file needs (see message)
    FatalNoTexVerts,      // an object without texture vertices (exit status -1)
    FatalTextureMissing,  // a texture to pack was not found (exit status -1)
};

class AseImporter {
public:
    AseImporter() = default;
    virtual ~AseImporter();
    AseImporter(const AseImporter&) = delete;
    AseImporter& operator=(const AseImporter&) = delete;

    // Settings of the script's IMPORT block ("INFILE:", "OUTFILE:", "TXTPATH:", "USETXTPACK:").
    // Texts longer than kMaxImportPath characters are cut there.
    void SetInputFile(const std::string& name);
    void SetOutputFile(const std::string& name);
    void SetTextureDir(const std::string& path);  // prefixed verbatim to texture file names
    void SetPackTextures(bool on);                // on at creation
    // Where the conversion log goes ("debug.log" in the working directory by default).
    void SetLogFile(const std::string& path);
    // The two fatal stops end the process with status -1 (the default). Off: Run returns -1.
    void SetExitOnFatal(bool on) { exitOnFatal_ = on; }
    // Repair mode (kgl convert --repair): instead of stopping, an object without texture
    // vertices gets one zero coordinate, a material value missing from its block gets a default
    // and an animation that ends before the scene holds its last key. Off at creation (the
    // script's IMPORT blocks never repair). Each repair is a line of the log.
    void SetRepair(bool on) { repair_ = on; }
    // What the last Run repaired, by kind.
    struct Repairs {
        int texVerts = 0;        // objects given zero texture coordinates
        int materialValues = 0;  // material values (or bitmap names) defaulted
        int heldAnimations = 0;  // tracks and per-frame blocks held at their last key
        int total() const { return texVerts + materialValues + heldAnimations; }
    };
    const Repairs& repairs() const { return repairs_; }
    // Replaces the token searches (tests run the literal reference through this).
    void SetScanOps(const AseScanOps& ops) { scan_ = &ops; }

    const std::string& inputFile() const { return inputFile_; }
    const std::string& outputFile() const { return outputFile_; }
    const std::string& textureDir() const { return textureDir_; }
    bool packTextures() const { return packTextures_; }

    // One conversion. Returns 0 when the file was written (or nothing was asked), -1 after a
    // fatal stop (when it does not end the process), 1 when the input or output could not be
    // used or the input was rejected; status() and message() say which and why.
    int Run();
    // Converts text that is already in memory (the input setting only names it in messages).
    int RunOnText(std::string raw);
    // Run in two halves, so that the conversion can run on another thread: Stage reads and
    // converts, keeping what Run would print and show; Commit prints and shows it in the same
    // order, then writes the log and the scene file (or ends the process at a fatal stop) and
    // returns what Run would. Run is the two in a row.
    void Stage();
    int Commit();
    // The settings above, the log file, the fatal-stop and repair modes and the token searches.
    void CopySettings(const AseImporter& from);
    bool SameSettings(const AseImporter& other) const;

    ImportStatus status() const { return status_; }
    const std::string& message() const { return message_; }
    const SceneFileCounts& counts() const { return counts_; }

    // ---- token readers (all bounded; at the end of input they stop and hitEnd() is set) ----
    int SkipTo(const char* token);
    int SkipToInBlock(const char* token);
    int ReadInt();
    long ReadLong();
    float ReadFloat();
    size_t ReadUntilQuote(char* buffer);  // kAseNameBuffer bytes
    size_t ReadFileName(char* buffer);    // kAseNameBuffer bytes
    void Skip(int n);
    bool hitEnd() const { return text_.hitEnd(); }
    AseText& text() { return text_; }

private:
    // driver (kgl_import.cpp)
    bool Convert();
    bool ReadSceneValues();
    int Finish(bool converted);
    void ResetRun();

    // converters (one file each)
    bool ConvertObjects();
    bool ConvertMaterials(const std::string& textureDir, bool pack);
    bool ConvertCameras();
    bool ConvertLights();
    bool ConvertShapes();

    // object steps (kgl_import_objects.cpp, kgl_import_mesh.cpp)
    bool ConvertObject();
    void ScanTrackFlags(uint16_t flags[3]);
    bool ProbeMeshAnimation(int v, int f);
    bool WriteVertices(int v);
    bool WriteFaces(int f);
    bool WriteTextureVertices(const std::string& name);
    bool WriteTextureFaces(int f);
    bool WriteFaceNormals(int f);
    bool WriteVertexNormals(int v, int f);
    bool WriteMaterialRef(const std::string& name);
    bool WriteObjectTracks(const uint16_t flags[3]);
    bool WriteMeshAnimation(const std::string& name, int v);

    // material steps (kgl_import_materials.cpp)
    bool ConvertMaterial(const std::string& textureDir, bool pack);
    bool WriteColours();
    bool WriteFloatAfter(const char* token);
    bool WriteTexture(const std::string& textureDir, bool pack, const char* token);
    bool PackTexture(const std::string& textureDir, const char* name);

    // repair steps (kgl_import_repair.cpp)
    // Position of the "}" closing the first "{" at or after `from` (the text size when unclosed).
    size_t BlockEnd(size_t from) const;
    // SkipTo limited to matches that end before `limit`; the cursor stays put when none does.
    int SkipToWithin(const char* token, size_t limit);
    bool ConvertMaterialRepaired(const std::string& textureDir, bool pack);
    bool WriteMaterialValuesIn(size_t from, size_t to, bool plain, bool sub);
    bool WriteTextureIn(size_t from, size_t to, const std::string& textureDir, bool pack);
    void WriteZeroTextureCoords(const std::string& name, int f);
    int HoldLastSample(const float* last, int values, int written, int maxSamples);

    // camera and light steps
    bool ConvertCamera();
    bool WriteFovTrack(const std::string& name, size_t blockEnd);
    bool WriteCameraAnimation(const std::string& name, size_t p);
    bool ConvertLight();
    bool WriteLightTrack(const std::string& name, bool target, size_t p);
    bool ConvertShape();

    // shared steps (kgl_import.cpp)
    // Writes a track: placeholder, then the samples found with SkipToInBlock(sampleToken) until
    // the block ends, `values` floats each; `timeAfterEnd` reads the time after the closing
    // search too (rotation and scale tracks). Returns the sample count, -1 at the end of input.
    int WriteTrack(const char* sampleToken, int values, bool timeAfterEnd, int maxSamples);
    // Searches the track token within the block first; a track that is not there is written
    // empty (count 0) and the input returns to where the search began.
    int WriteTrackBlock(const char* trackToken, const char* sampleToken, int values, bool timeAfterEnd,
                        int maxSamples);
    std::string ReadNodeName();
    // A counted string; a name longer than the file holds (255 bytes) is cut, with one line on
    // stderr.
    void WriteName(const std::string& name);
    bool WriteVectorAfter(const char* token);
    void WriteVector();
    bool NextAnimationIs(const std::string& nodeName);
    void StageText(std::string raw);
    // A line for stderr ("IMPORT: [input] ..."), kept until Commit.
    void Say(std::string line);
    bool Reject(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    bool Fatal(ImportStatus status, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    void Log(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void OpenLog(bool append);
    void CloseLog();
    void FlushLog();
    static bool SaveFile(const std::string& path, const void* data, size_t size);
    // Bulk lists are staged as little-endian bytes and appended to the output in one go.
    void PutF32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
        block_.insert(block_.end(), b, b + 4);
    }
    void PutU16(uint16_t v) {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        block_.insert(block_.end(), b, b + 2);
    }
    void FlushBlock() {
        out_.raw(block_.data(), block_.size());
        block_.clear();
    }
    // The time value of the last sample; both factors are 16-bit, so the product needs 64 bits.
    int64_t EndTime() const { return static_cast<int64_t>(lastFrame_) * ticksPerFrame_; }

    std::string inputFile_;
    std::string outputFile_;
    std::string textureDir_;
    bool packTextures_ = true;
    std::string logPath_ = "debug.log";
    bool exitOnFatal_ = true;
    bool repair_ = false;
    Repairs repairs_;
    bool zeroTexVerts_ = false;        // the object being converted got the repair's coordinates
    size_t animationEnd_ = kAseNoHit;  // "}" of the TM_ANIMATION being read (repair mode)
    const AseScanOps* scan_ = &fastAseScan();

    AseText text_;
    SceneFileWriter out_;
    std::vector<uint8_t> block_;  // staged bytes of the list being written
    std::string logText_;         // the conversion log, written to logPath_ at the end of the run
    bool logOpen_ = false;
    bool logStarted_ = false;
    SceneFileCounts counts_;
    int lastFrame_ = 0;
    int frameSpeed_ = 0;
    int ticksPerFrame_ = 0;
    int sampleCounter_ = 0;
    int faceVertexLimit_ = 0;     // vertex count of the object being converted
    int textureVertexCount_ = 0;  // texture-vertex count of the object being converted
    ImportStatus status_ = ImportStatus::NothingToDo;
    std::string message_;
    struct Notice {
        bool box;  // the missing-texture message box, else a line for stderr
        std::string text;
    };
    std::vector<Notice> notices_;  // what the staged run has to say, in order
    static constexpr int kFinishPending = 2;
    int stagedResult_ = 0;  // Run's result, or kFinishPending: Finish(converted_) decides it
    bool converted_ = false;
};

}  // namespace kgl
