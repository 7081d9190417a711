// Shared by the configuration, music and cue-track tests: MP3 music encoded on the spot with
// libmp3lame (with its LAME/Xing header, so that a gapless decoder restores the exact number of
// samples), and the temporary folders and text files of kgl_test_files.h.
#pragma once

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/kgl_audio_stream.h"
#include "tests/unit/kgl_test_files.h"

namespace kgl_test {

// A music clock the test moves by hand (`pos`, bytes of 44.1 kHz stereo); no sound, no length.
class ManualStream : public kgl::MusicStream {
public:
    bool open(const char*) override { return true; }
    void openSilent() override {}
    void play() override {}
    void close() override {}
    uint32_t position() override { return pos; }
    void setPosition(uint32_t bytes) override { pos = bytes; }
    bool lengthKnown() const override { return false; }
    uint32_t lengthBytes() const override { return 0; }
    uint32_t sampleRate() const override { return 44100; }
    uint32_t channels() const override { return 2; }
    uint32_t pos = 0;
};

// A sine tone of `frames` sample frames, CBR 128 kbit/s, with the LAME tag frame written over
// the placeholder the encoder leaves at the start. Returns false when encoding failed.
inline bool encodeMp3(const std::string& path, int frames, int rate = 44100, int channels = 2) {
    lame_global_flags* gf = lame_init();
    if (!gf) return false;
    lame_set_in_samplerate(gf, rate);
    lame_set_out_samplerate(gf, rate);
    lame_set_num_channels(gf, channels);
    lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(gf, 128);
    lame_set_quality(gf, 7);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return false;
    }
    std::vector<short> left(frames), right(frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = static_cast<short>(8000.0 * std::sin(i * 2.0 * M_PI * 440.0 / rate));
        right[i] = static_cast<short>(8000.0 * std::sin(i * 2.0 * M_PI * 660.0 / rate));
    }
    std::vector<unsigned char> mp3(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    int n = lame_encode_buffer(gf, left.data(), channels == 1 ? left.data() : right.data(), frames,
                               mp3.data(), static_cast<int>(mp3.size()));
    if (n < 0) {
        lame_close(gf);
        return false;
    }
    const int m = lame_encode_flush(gf, mp3.data() + n, static_cast<int>(mp3.size()) - n);
    if (m < 0) {
        lame_close(gf);
        return false;
    }
    mp3.resize(static_cast<size_t>(n + m));
    unsigned char tag[4096];
    const size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
    lame_close(gf);
    if (tagSize == 0 || tagSize > mp3.size()) return false;
    std::copy(tag, tag + tagSize, mp3.begin());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(mp3.data(), 1, mp3.size(), f) == mp3.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace kgl_test
