#include "import/kgl_import.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"
#include "platform/kgl_msgbox.h"

namespace kgl {

namespace {

std::string cut(const std::string& s) {
    return s.size() > kMaxImportPath ? s.substr(0, kMaxImportPath) : s;
}

}  // namespace

AseImporter::~AseImporter() = default;

void AseImporter::SetInputFile(const std::string& name) {
    inputFile_ = cut(name);
}
void AseImporter::SetOutputFile(const std::string& name) {
    outputFile_ = cut(name);
}
void AseImporter::SetTextureDir(const std::string& path) {
    textureDir_ = cut(path);
}
void AseImporter::SetPackTextures(bool on) {
    packTextures_ = on;
}
void AseImporter::SetLogFile(const std::string& path) {
    logPath_ = path;
}

// ---- driver ----

void AseImporter::ResetRun() {
    counts_ = SceneFileCounts{};
    lastFrame_ = frameSpeed_ = ticksPerFrame_ = sampleCounter_ = 0;
    status_ = ImportStatus::NothingToDo;
    message_.clear();
    logText_.clear();
    logStarted_ = false;
    logOpen_ = false;
    out_ = SceneFileWriter{};
    repairs_ = Repairs{};
    animationEnd_ = kAseNoHit;
    block_.clear();
    notices_.clear();
    converted_ = false;
}

int AseImporter::Run() {
    Stage();
    return Commit();
}

int AseImporter::RunOnText(std::string raw) {
    StageText(std::move(raw));
    return Commit();
}

void AseImporter::Stage() {
    ResetRun();
    stagedResult_ = 0;
    if (inputFile_.empty()) return;
    std::string raw;
    if (!AseText::readWhole(inputFile_, raw)) {
        status_ = ImportStatus::InputUnreadable;
        message_ = "cannot read the input file";
        Say(message_);
        stagedResult_ = 1;
        return;
    }
    StageText(std::move(raw));
}

void AseImporter::StageText(std::string raw) {
    ResetRun();
    std::string error;
    if (!text_.load(std::move(raw), error)) {
        status_ = ImportStatus::InputUnreadable;
        message_ = "cannot decode the input: " + error;
        Say(message_);
        stagedResult_ = 1;
        return;
    }
    OpenLog(false);
    logStarted_ = true;
    Log("\n\n\n\n\n******************************\nInput File Opened OK!");
    converted_ = Convert();
    stagedResult_ = kFinishPending;
}

int AseImporter::Commit() {
    for (const Notice& n : notices_) {
        if (n.box)
            messageBox(n.text.c_str(), kMissingTextureCaption, MsgBoxKind::Info);
        else
            logLine("IMPORT", inputFile_.c_str(), "%s", n.text.c_str());
    }
    notices_.clear();
    const int result = stagedResult_;
    stagedResult_ = 0;
    return result == kFinishPending ? Finish(converted_) : result;
}

void AseImporter::CopySettings(const AseImporter& from) {
    inputFile_ = from.inputFile_;
    outputFile_ = from.outputFile_;
    textureDir_ = from.textureDir_;
    packTextures_ = from.packTextures_;
    logPath_ = from.logPath_;
    exitOnFatal_ = from.exitOnFatal_;
    repair_ = from.repair_;
    scan_ = from.scan_;
}

bool AseImporter::SameSettings(const AseImporter& o) const {
    return inputFile_ == o.inputFile_ && outputFile_ == o.outputFile_ && textureDir_ == o.textureDir_ &&
           packTextures_ == o.packTextures_ && logPath_ == o.logPath_ && exitOnFatal_ == o.exitOnFatal_ &&
           repair_ == o.repair_ && scan_ == o.scan_;
}

bool AseImporter::Convert() {
    out_.writeHeaderText();
    if (!ReadSceneValues()) return false;
    CloseLog();
    OpenLog(true);
    if (!ConvertObjects()) return false;
    CloseLog();
    OpenLog(true);
    if (!ConvertMaterials(textureDir_, packTextures_)) return false;
    CloseLog();
    OpenLog(true);
    if (!ConvertCameras()) return false;
    CloseLog();
    OpenLog(true);
    if (!ConvertLights()) return false;
    CloseLog();
    OpenLog(true);
    if (!ConvertShapes()) return false;
    counts_.lastFrameCopy = static_cast<uint16_t>(lastFrame_);
    counts_.sampleCounter = static_cast<uint16_t>(sampleCounter_);  // the counter's low 16 bits
    out_.writeCounts(counts_);
    return true;
}

// SCENE_LASTFRAME, SCENE_FRAMESPEED, SCENE_TICKSPERFRAME: each written as 16 bits at offset 50.
bool AseImporter::ReadSceneValues() {
    static const char* const kTokens[3] = {"SCENE_LASTFRAME", "SCENE_FRAMESPEED", "SCENE_TICKSPERFRAME"};
    int values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (SkipTo(kTokens[i]) != 1) return Reject("no %s in the input", kTokens[i]);
        Skip(1);
        values[i] = ReadInt();
        if (values[i] < 0 || values[i] > 0xFFFF)
            return Reject("%s %d is out of range", kTokens[i], values[i]);
    }
    lastFrame_ = values[0];
    frameSpeed_ = values[1];
    ticksPerFrame_ = values[2];
    out_.writeFrameValues(static_cast<uint16_t>(lastFrame_), static_cast<uint16_t>(frameSpeed_),
                          static_cast<uint16_t>(ticksPerFrame_));
    return true;
}

int AseImporter::Finish(bool converted) {
    CloseLog();
    FlushLog();
    if (!converted) {
        const bool fatal =
            status_ == ImportStatus::FatalNoTexVerts || status_ == ImportStatus::FatalTextureMissing;
        if (fatal && exitOnFatal_) std::exit(kImportFatalExit);
        return fatal ? kImportFatalExit : 1;
    }
    if (!SaveFile(outputFile_, out_.bytes().data(), out_.bytes().size())) {
        status_ = ImportStatus::OutputUnwritable;
        message_ = "cannot write the scene file " + outputFile_;
        logLine("IMPORT", inputFile_.c_str(), "%s", message_.c_str());
        return 1;
    }
    status_ = ImportStatus::Ok;
    return 0;
}

bool AseImporter::Reject(const char* fmt, ...) {
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    status_ = ImportStatus::Rejected;
    message_ = text;
    Log("\n****Conversion stopped: %s", text);
    Say(std::string("not converted: ") + text);
    return false;
}

bool AseImporter::Fatal(ImportStatus status, const char* fmt, ...) {
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    status_ = status;
    message_ = text;
    Say(text);
    return false;
}

void AseImporter::Say(std::string line) {
    notices_.push_back(Notice{false, std::move(line)});
}

// ---- log and output files ----

// The log keeps its phases (closed and reopened between converters) but lives in memory and
// reaches "debug.log" once, at the end of the run or just before a fatal exit: same text,
// without a dozen opens and a truncation per run.
void AseImporter::OpenLog(bool append) {
    if (!append) logText_.clear();
    logOpen_ = true;
}

void AseImporter::CloseLog() {
    logOpen_ = false;
}

void AseImporter::Log(const char* fmt, ...) {
    if (!logOpen_) return;
    char text[1024];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    if (n > 0)
        logText_.append(text,
                        static_cast<size_t>(n) < sizeof text ? static_cast<size_t>(n) : sizeof text - 1);
}

// Overwrites the file in place (and cuts it when it was longer): cheaper than truncating it to
// zero first when a conversion is repeated.
bool AseImporter::SaveFile(const std::string& path, const void* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    long oldSize = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) oldSize = std::ftell(f);
    std::rewind(f);
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (ok && oldSize > 0 && static_cast<size_t>(oldSize) > size) {
        std::error_code ec;
        std::filesystem::resize_file(path, size, ec);
        ok = !ec;
    }
    return ok;
}

void AseImporter::FlushLog() {
    if (!logText_.empty() || logStarted_) SaveFile(logPath_, logText_.data(), logText_.size());
}

// ---- token readers ----

int AseImporter::SkipTo(const char* token) {
    const size_t end = scan_->findHit(text_, text_.tell(), text_.size(), token);
    if (end == kAseNoHit) {
        text_.toEnd();
        return 0;
    }
    text_.seek(end);
    return 1;
}
int AseImporter::SkipToInBlock(const char* token) {
    return scan_->skipToInBlock(text_, token);
}

void AseImporter::Skip(int n) {
    for (int i = 0; i < n; ++i)
        if (text_.get() == kAseEnd) return;
}

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Plain decimal text ([space][sign]digits[.digits], nothing after) as sign, digits and the
// number of digits after the point. False for anything else (left to the C library).
bool splitDecimal(const char* s, bool& negative, uint64_t& mantissa, int& decimals, bool allowPoint) {
    while (isSpace(*s)) ++s;
    negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    mantissa = 0;
    decimals = 0;
    int digits = 0;
    bool point = false;
    for (; *s; ++s) {
        if (*s == '.' && allowPoint && !point) {
            point = true;
            continue;
        }
        if (*s < '0' || *s > '9' || ++digits > 18) return false;
        mantissa = mantissa * 10 + static_cast<uint64_t>(*s - '0');
        if (point) ++decimals;
    }
    return digits > 0;
}

// Exactly what strtof gives: a mantissa below 2^24 and a power of ten up to 10^10 are both exact
// floats, so one IEEE division rounds correctly (the classic fast path); the rest goes to strtof.
float parseFloat(const char* s) {
    static const float kPowers[11] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    bool negative = false;
    uint64_t m = 0;
    int decimals = 0;
    if (splitDecimal(s, negative, m, decimals, true) && m <= (uint64_t(1) << 24) && decimals <= 10) {
        const float v = static_cast<float>(m) / kPowers[decimals];
        return negative ? -v : v;
    }
    return std::strtof(s, nullptr);
}

long parseLong(const char* s) {
    bool negative = false;
    uint64_t m = 0;
    int decimals = 0;
    if (splitDecimal(s, negative, m, decimals, false)) {
        const long v = static_cast<long>(m);
        return negative ? -v : v;
    }
    return std::strtol(s, nullptr, 10);
}

}  // namespace

long AseImporter::ReadLong() {
    char buf[kAseNumberBuffer];
    text_.collectValue(buf, kAseNumberBuffer);
    return parseLong(buf);
}

int AseImporter::ReadInt() {
    const long v = ReadLong();
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

float AseImporter::ReadFloat() {
    char buf[kAseNumberBuffer];
    text_.collectValue(buf, kAseNumberBuffer);
    return parseFloat(buf);
}

size_t AseImporter::ReadUntilQuote(char* buffer) {
    size_t n = 0;
    for (;;) {
        const int c = text_.get();
        if (c == kAseEnd || c == '"' || c == '\n') break;
        if (n + 1 < kAseNameBuffer) buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    return n;
}

// Keeps the part after the last backslash. The name also ends at a line feed, so a missing
// closing quote cannot swallow the rest of the file.
size_t AseImporter::ReadFileName(char* buffer) {
    Skip(2);
    size_t n = 0;
    for (;;) {
        const int c = text_.get();
        if (c == kAseEnd || c == '"' || c == '\n') break;
        if (c == '\\') {
            n = 0;
            continue;
        }
        if (n + 1 < kAseNameBuffer) buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    return n;
}

// ---- shared steps ----

std::string AseImporter::ReadNodeName() {
    char buf[kAseNameBuffer];
    if (SkipTo("NODE_NAME") != 1) return std::string();
    Skip(2);
    ReadUntilQuote(buf);
    return buf;
}

void AseImporter::WriteName(const std::string& name) {
    if (!out_.name(name)) {
        char line[128];
        std::snprintf(line, sizeof line, "the name \"%.40s...\" (%zu bytes) is cut to %zu bytes",
                      name.c_str(), name.size(), kMaxSceneNameLength);
        Say(line);
    }
}

void AseImporter::WriteVector() {
    Skip(1);
    const float x = ReadFloat();
    const float y = ReadFloat();
    const float z = ReadFloat();
    out_.vec3(x, y, z);
}

bool AseImporter::WriteVectorAfter(const char* token) {
    if (SkipTo(token) != 1) return false;
    WriteVector();
    return !hitEnd();
}

// "TM_ANIMATION" followed by the node name `nodeName`; the input stays after that name.
bool AseImporter::NextAnimationIs(const std::string& nodeName) {
    if (SkipTo("TM_ANIMATION") != 1) return false;
    animationEnd_ = BlockEnd(text_.tell());
    const std::string name = ReadNodeName();
    return !hitEnd() && name == nodeName;
}

int AseImporter::WriteTrack(const char* sampleToken, int values, bool timeAfterEnd, int maxSamples) {
    const size_t at = out_.beginTrack();
    int written = 0;
    bool overflow = false;
    float last[4] = {0, 0, 0, 0};
    for (;;) {
        const int r = SkipToInBlock(sampleToken);
        if (r == 0) {
            block_.clear();
            return -1;
        }
        if (timeAfterEnd || r == 1) ReadLong();  // the sample's time; not stored
        if (r == 2) break;
        float v[4] = {0, 0, 0, 0};
        for (int i = 0; i < values; ++i) v[i] = ReadFloat();
        if (written < maxSamples) {
            for (int i = 0; i < values; ++i) PutF32(v[i]);
            std::memcpy(last, v, sizeof last);
            ++written;
        } else {
            overflow = true;
        }
    }
    written = HoldLastSample(last, values, written, maxSamples);
    FlushBlock();
    if (overflow) Log("\n****Track %s longer than %d samples: the rest is dropped", sampleToken, maxSamples);
    out_.endTrack(at, written);
    return written;
}

// The track token is searched within the block and the samples are read from wherever that
// search stopped, found or not: a track that is missing from its block usually stops at the next
// "}" and is written with the samples (normally none) up to the following one. Only the end of
// the input, where the sample search would never meet a "}", stops the conversion. Repair mode
// looks for the track within its TM_ANIMATION only and writes a missing one empty (count 0: the
// value stays as it is).
int AseImporter::WriteTrackBlock(const char* trackToken, const char* sampleToken, int values,
                                 bool timeAfterEnd, int maxSamples) {
    if (repair_ && animationEnd_ != kAseNoHit && SkipToWithin(trackToken, animationEnd_) != 1) {
        Log("\n****Repair: no %s in the TM_ANIMATION: an empty track", trackToken);
        ++repairs_.heldAnimations;
        out_.endTrack(out_.beginTrack(), 0);
        return 0;
    }
    if (repair_ && animationEnd_ != kAseNoHit)
        return WriteTrack(sampleToken, values, timeAfterEnd, maxSamples);
    if (SkipToInBlock(trackToken) == 0) return -1;
    return WriteTrack(sampleToken, values, timeAfterEnd, maxSamples);
}

}  // namespace kgl
