// The engine scene file ("K3D"): byte layout shared by the ASE importer (writer) and the scene
// loader (reader). The file is a header and five sections (objects, materials, cameras, lights,
// shapes) with no directory and no record sizes, so both sides walk it field by field.
// All numbers little-endian; names are counted strings of which readers use the low length byte.
//
// Writing a file (what the importer does, in this order):
//   SceneFileWriter w;
//   w.writeHeaderText();                       // 69-char text: magic + 43 spaces
//   w.writeFrameValues(last, speed, ticks);    // offsets 50..55; output now at offset 56
//   ... each record field by field: w.name(), w.u16(), w.f32(), w.vec3(), w.u8(), w.i32() ...
//   size_t t = w.beginTrack();                 // int32 placeholder 999
//   ... the samples ...; w.endTrack(t, count); // patches the real count in place
//   w.writeCounts(counts);                     // the seven counts at offset 26, last; a file
//                                              // stays at least the 69 characters long
//   w.save(path);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/kgl_bytes.h"

namespace kgl {

constexpr char kSceneMagic[] = "KORVO_GL3D EngineSceneFile";  // 26 characters, no terminator
constexpr size_t kSceneMagicLength = 26;
constexpr size_t kSceneHeaderTextLength = 69;  // the magic followed by 43 spaces
constexpr size_t kSceneCountsOffset = 26;
constexpr size_t kSceneFramesOffset = 50;
constexpr size_t kSceneSectionsOffset = 56;
constexpr int32_t kTrackPlaceholder = 999;
constexpr size_t kMaxSceneNameLength = 255;  // readers take the low byte of the length
constexpr int kMaxSubMaterials = 10;

// The seven 16-bit counts at offset 26, in file order.
struct SceneFileCounts {
    uint16_t objects = 0;
    uint16_t cameras = 0;
    uint16_t lastFrameCopy = 0;  // copy of the last frame at offset 50
    uint16_t materials = 0;
    uint16_t lights = 0;
    uint16_t sampleCounter = 0;  // sample count of the last track the converter wrote
    uint16_t shapes = 0;
};

// The three frame values at offset 50.
struct SceneFileFrames {
    uint16_t lastFrame = 0;      // SCENE_LASTFRAME
    uint16_t frameSpeed = 0;     // SCENE_FRAMESPEED, frames per second
    uint16_t ticksPerFrame = 0;  // SCENE_TICKSPERFRAME
};

struct SceneFileHeader {
    SceneFileCounts counts;
    SceneFileFrames frames;
};

// Builds a scene file in memory; `save` writes it out. Positions are absolute offsets from the
// start of the file.
class SceneFileWriter {
public:
    virtual ~SceneFileWriter() = default;

    // The 69-character header text; must be the first thing written.
    void writeHeaderText();
    // Overwrites offsets 50..55 with the frame values and leaves the output at offset 56, where
    // the sections start (they overwrite the rest of the padding).
    void writeFrameValues(uint16_t lastFrame, uint16_t frameSpeed, uint16_t ticksPerFrame);
    // The seven counts at offset 26, written last when they are known.
    bool writeCounts(const SceneFileCounts& counts);

    void u8(uint8_t v) { out_.u8(v); }
    void u16(uint16_t v) { out_.u16(v); }
    void i32(int32_t v) { out_.i32(v); }
    void f32(float v) { out_.f32(v); }
    void vec3(float x, float y, float z);
    void raw(const void* data, size_t count) { out_.raw(data, count); }
    // Counted string: uint16 length (high byte 0) and the bytes. Longer names are cut to 255
    // bytes, the most a reader can take; returns false when it had to cut.
    bool name(const std::string& text);
    // A packed texture: int32 byte length and the file's bytes exactly.
    void packedTexture(const std::vector<uint8_t>& fileBytes);

    // Writes the int32 placeholder 999 and returns its offset for `endTrack`.
    size_t beginTrack();
    // Writes the real sample count over the placeholder; the output stays at its end.
    bool endTrack(size_t placeholderOffset, int32_t sampleCount);
    // Overwrites a 16-bit value already written (for a writer that sets header values one by one).
    bool patchU16(size_t offset, uint16_t v) { return out_.patchU16(offset, v); }

    size_t position() const { return out_.position(); }
    const std::vector<uint8_t>& bytes() const { return out_.bytes(); }
    bool save(const std::string& path) const { return writeFile(path, out_.bytes()); }

private:
    ByteWriter out_;
};

// A bounded cursor over a whole scene file with the checks every scene reader needs. The first
// problem found is reported once on stderr as "SCENE: [file] what" and the reader stays failed:
// callers stop at what they could trust.
class SceneFileReader {
public:
    SceneFileReader(const std::vector<uint8_t>& bytes, std::string fileName);
    virtual ~SceneFileReader() = default;

    bool failed() const { return failed_; }
    size_t position() const { return in_.position(); }
    size_t size() const { return in_.size(); }
    size_t remaining() const { return in_.remaining(); }
    const std::string& fileName() const { return fileName_; }
    const uint8_t* data() const { return in_.data(); }

    // Seeks to 26 for the counts, to 50 for the frame values and leaves the reader at 56.
    bool header(SceneFileHeader& out);

    bool u8(uint8_t& v, const char* what);
    bool u16(uint16_t& v, const char* what);
    bool i32(int32_t& v, const char* what);
    bool f32(float& v, const char* what);
    bool vec3(float out[3], const char* what);  // file order x, y, z
    bool floats(float* out, size_t count, const char* what);
    // Counted string; the length's high byte is skipped.
    bool name(std::string& out, const char* what);
    bool seek(size_t offset, const char* what);
    bool skip(size_t count, const char* what);

    // Checks that `count` records of at least `minRecordBytes` each can still be in the file.
    bool fits(size_t count, size_t minRecordBytes, const char* what);
    // Reads an int32 track count and checks it against 0..maxSamples and the remaining bytes.
    bool trackCount(int32_t& n, size_t sampleBytes, int32_t maxSamples, const char* what);

    // Finds the first "Camera" in the file and returns the offset of the 2-byte name length
    // before it (the match position + 6 − 8). False when the bytes do not occur (no failure).
    bool findCameraSection(size_t& offset) const;

    // Reports a problem (once) and fails the reader.
    void fail(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

private:
    bool check(bool ok, const char* what);

    ByteReader in_;
    std::string fileName_;
    bool failed_ = false;
};

}  // namespace kgl
