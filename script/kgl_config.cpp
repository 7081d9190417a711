#include "script/kgl_config.h"

#include <cstring>

#include "common/kgl_log.h"
#include "script/kgl_tokenreader.h"

namespace kgl {

namespace {

// The start time is cut toward zero and taken as an unsigned 32-bit number, so -5 becomes
// 4294967291 s (which the sound system later limits to just before the end of the music).
float wholeSecondsAsUnsigned(double v) {
    if (!(v > -9.0e18 && v < 9.0e18)) return 0.0f;  // NaN or beyond any integer
    const auto whole = static_cast<int64_t>(v);
    return static_cast<float>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}

bool found(TokenReader& in, const char* key) {
    return in.FindKeyword(key) == TokenReader::kFound;
}

// "MP3:" is followed directly by the name (a space would be part of it). A name too long for
// the field is refused rather than cut into the name of some other file: music stays off.
void readMusicName(TokenReader& in, const char* path, ConfigValues& v) {
    char name[kMp3NameSize];
    const size_t len = in.ReadLine(name, sizeof name);
    if (len >= sizeof name) {
        logLine("CONFIG", path, "music file name of %zu characters is longer than %zu: music off", len,
                sizeof name - 1);
        v.mp3FileName[0] = '\0';
        v.useMp3 = 0;
        return;
    }
    std::memcpy(v.mp3FileName, name, len + 1);
}

}  // namespace

bool ReadConfig(const char* path, ConfigValues& v) {
    TokenReader in;
    if (!in.Open(path)) {
        logLine("CONFIG", path ? path : "", "not found: the built-in settings are kept");
        return false;
    }
    // Fixed order: each search continues where the previous one left the stream.
    if (found(in, "KEYBOARD:")) v.keyboard = in.ReadInt() == 1;
    if (found(in, "RENDERACTIONS:")) v.renderActions = in.ReadInt() == 1;
    if (found(in, "LOADACTIONS:")) v.loadActions = in.ReadInt() == 1;
    if (found(in, "SAVEACTIONS:")) v.saveActions = in.ReadInt() == 1;
    if (found(in, "USEMP3:")) v.useMp3 = in.ReadInt() == 1;
    if (found(in, "MP3STARTOFFSET:")) v.mp3StartOffset = static_cast<uint32_t>(in.ReadLong());
    if (found(in, "MP3STARTSECONDS:")) v.mp3StartSeconds = wholeSecondsAsUnsigned(in.ReadFloat());
    if (found(in, "MP3:")) readMusicName(in, path, v);
    return true;
}

}  // namespace kgl
