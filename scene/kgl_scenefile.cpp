#include "scene/kgl_scenefile.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/kgl_log.h"

namespace kgl {

// ---- writer ----

void SceneFileWriter::writeHeaderText() {
    out_.raw(kSceneMagic, kSceneMagicLength);
    out_.padTo(kSceneHeaderTextLength, ' ');
}

void SceneFileWriter::writeFrameValues(uint16_t lastFrame, uint16_t frameSpeed, uint16_t ticksPerFrame) {
    out_.padTo(kSceneSectionsOffset, ' ');
    out_.patchU16(kSceneFramesOffset, lastFrame);
    out_.patchU16(kSceneFramesOffset + 2, frameSpeed);
    out_.patchU16(kSceneFramesOffset + 4, ticksPerFrame);
    // The sections continue at 56 and overwrite the rest of the header text's padding.
    out_.bytes().resize(kSceneSectionsOffset);
}

bool SceneFileWriter::writeCounts(const SceneFileCounts& c) {
    const uint16_t values[7] = {c.objects, c.cameras,       c.lastFrameCopy, c.materials,
                                c.lights,  c.sampleCounter, c.shapes};
    // Sections shorter than the header text's padding leave the rest of it in place: a scene
    // with no records is the 69-character header text, its frame values patched in.
    out_.padTo(kSceneHeaderTextLength, ' ');
    bool ok = true;
    for (int i = 0; i < 7; ++i) ok = out_.patchU16(kSceneCountsOffset + 2 * i, values[i]) && ok;
    return ok;
}

void SceneFileWriter::vec3(float x, float y, float z) {
    out_.f32(x);
    out_.f32(y);
    out_.f32(z);
}

bool SceneFileWriter::name(const std::string& text) {
    const size_t n = text.size() < kMaxSceneNameLength ? text.size() : kMaxSceneNameLength;
    out_.u16(static_cast<uint16_t>(n));
    out_.raw(text.data(), n);
    return n == text.size();
}

void SceneFileWriter::packedTexture(const std::vector<uint8_t>& fileBytes) {
    out_.i32(static_cast<int32_t>(fileBytes.size()));
    out_.raw(fileBytes.data(), fileBytes.size());
}

size_t SceneFileWriter::beginTrack() {
    const size_t at = out_.position();
    out_.i32(kTrackPlaceholder);
    return at;
}

bool SceneFileWriter::endTrack(size_t placeholderOffset, int32_t sampleCount) {
    return out_.patchU32(placeholderOffset, static_cast<uint32_t>(sampleCount));
}

// ---- reader ----

SceneFileReader::SceneFileReader(const std::vector<uint8_t>& bytes, std::string fileName)
    : in_(bytes), fileName_(std::move(fileName)) {}

void SceneFileReader::fail(const char* fmt, ...) {
    if (failed_) return;
    failed_ = true;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    logLine("SCENE", fileName_.c_str(), "%s", text);
}

bool SceneFileReader::check(bool ok, const char* what) {
    if (failed_) return false;
    if (!ok) fail("file ends inside %s at offset %zu", what, in_.position());
    return ok;
}

bool SceneFileReader::header(SceneFileHeader& h) {
    if (!seek(kSceneCountsOffset, "the header")) return false;
    SceneFileCounts& c = h.counts;
    uint16_t* counts[7] = {&c.objects, &c.cameras,       &c.lastFrameCopy, &c.materials,
                           &c.lights,  &c.sampleCounter, &c.shapes};
    for (uint16_t* v : counts)
        if (!u16(*v, "the header counts")) return false;
    if (!seek(kSceneFramesOffset, "the header")) return false;
    return u16(h.frames.lastFrame, "the frame values") && u16(h.frames.frameSpeed, "the frame values") &&
           u16(h.frames.ticksPerFrame, "the frame values");
}

bool SceneFileReader::u8(uint8_t& v, const char* what) {
    return check(!failed_ && in_.u8(v), what);
}
bool SceneFileReader::u16(uint16_t& v, const char* what) {
    return check(!failed_ && in_.u16(v), what);
}
bool SceneFileReader::i32(int32_t& v, const char* what) {
    return check(!failed_ && in_.i32(v), what);
}
bool SceneFileReader::f32(float& v, const char* what) {
    return check(!failed_ && in_.f32(v), what);
}

bool SceneFileReader::vec3(float out[3], const char* what) {
    return floats(out, 3, what);
}

bool SceneFileReader::floats(float* out, size_t count, const char* what) {
    if (!fits(count, 4, what)) return false;
    for (size_t i = 0; i < count; ++i) in_.f32(out[i]);
    return true;
}

bool SceneFileReader::name(std::string& out, const char* what) {
    uint8_t lengthLow = 0;
    out.clear();
    if (!u8(lengthLow, what) || !skip(1, what)) return false;
    if (!fits(lengthLow, 1, what)) return false;
    out.assign(reinterpret_cast<const char*>(in_.data() + in_.position()), lengthLow);
    in_.skip(lengthLow);
    return true;
}

bool SceneFileReader::seek(size_t offset, const char* what) {
    if (failed_) return false;
    if (!in_.seek(offset)) {
        fail("offset %zu of %s is past the end of the file (%zu bytes)", offset, what, in_.size());
        return false;
    }
    return true;
}

bool SceneFileReader::skip(size_t count, const char* what) {
    return check(!failed_ && in_.skip(count), what);
}

bool SceneFileReader::fits(size_t count, size_t minRecordBytes, const char* what) {
    if (failed_) return false;
    const size_t left = in_.remaining();
    if (minRecordBytes != 0 && count > left / minRecordBytes) {
        fail("%s: %zu entries need at least %zu bytes, only %zu remain", what, count, count * minRecordBytes,
             left);
        return false;
    }
    return true;
}

bool SceneFileReader::trackCount(int32_t& n, size_t sampleBytes, int32_t maxSamples, const char* what) {
    if (!i32(n, what)) return false;
    if (n < 0 || n > maxSamples) {
        fail("%s holds %d samples, the scene has room for %d", what, n, maxSamples);
        return false;
    }
    return fits(static_cast<size_t>(n), sampleBytes, what);
}

bool SceneFileReader::findCameraSection(size_t& offset) const {
    static const char kWord[] = "Camera";
    const size_t size = in_.size();
    const uint8_t* data = in_.data();
    for (size_t i = 0; i + 6 <= size; ++i) {
        if (std::memcmp(data + i, kWord, 6) != 0) continue;
        if (i < 2) return false;  // no room for the name length before it
        offset = i + 6 - 8;
        return true;
    }
    return false;
}

}  // namespace kgl
