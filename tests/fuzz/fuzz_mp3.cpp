// Malformed MP3 data through the music stream's open path (the scan of every frame header) and
// through the whole decoder: the input is written to a file and opened as the show's music. The
// fixed-step clock is on, so no audio device is ever opened.
// fuzz-seeds: mp3
// fuzz-dict: "ID3" "Xing" "Info" "LAME" "TAG" "\xff\xfb" "\xff\xf3" "\xff\xe3"
// fuzz-options: -max_len=16384
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "platform/kgl_audio_stream.h"
#include "platform/kgl_ticks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kgl::setFixedTickStep(1000.0 / 30.0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = kgl_test::writeInput("music.mp3", data, size);
    kgl::AudioStream stream;
    const bool ok = stream.open(path);
    std::vector<uint8_t> pcm;
    uint32_t rate = 0;
    uint32_t channels = 0;
    std::string reason;
    if (kgl::AudioStream::decodeMp3(path, pcm, rate, channels, reason) && (pcm.empty() || rate == 0))
        std::abort();
    if (ok) {
        // What the sound system relies on after a successful open.
        if (stream.lengthBytes() == 0 || (stream.channels() != 1 && stream.channels() != 2)) std::abort();
        if (stream.sampleRate() == 0 || stream.lengthBytes() % (stream.channels() * 2) != 0) std::abort();
    } else if (stream.lengthKnown() || stream.clock() != kgl::AudioStream::Clock::kManual) {
        std::abort();
    }
    stream.play();
    kgl::advanceFixedTick();
    if (stream.lengthKnown() && stream.position() > stream.lengthBytes()) std::abort();
    stream.setPosition(static_cast<uint32_t>(size) * 1000u);
    if (stream.lengthKnown() && stream.position() > stream.lengthBytes()) std::abort();
    stream.close();
    return 0;
}
