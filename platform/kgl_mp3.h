// MP3 decoding with mpg123, shared by the music stream (its decoder thread) and the whole-file
// readers AudioStream::decodeMp3 and scanMp3. Kept apart from the stream so that the commands
// that only read music (kgl actions) link mpg123 without the audio device.
#pragma once

#include <mpg123.h>

#include <string>

namespace kgl {

// One decoder, closed and deleted with the object (mpg123 itself is initialised once a process).
class Mpg123Handle {
public:
    Mpg123Handle() {
        static const bool initialised = (mpg123_init() == MPG123_OK);
        (void)initialised;
        int err = MPG123_OK;
        handle = mpg123_new(nullptr, &err);
    }
    ~Mpg123Handle() {
        if (!handle) return;
        mpg123_close(handle);
        mpg123_delete(handle);
    }
    mpg123_handle* handle = nullptr;
};

// Opens `path` for signed 16-bit output with gapless decoding: the LAME/Xing header drops the
// encoder delay and padding, so the length is that of the audio that was encoded.
bool openMp3Decoder(mpg123_handle* mh, const char* path, long& rate, int& channels, std::string& reason);

}  // namespace kgl
