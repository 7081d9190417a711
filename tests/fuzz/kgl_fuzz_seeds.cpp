// Writes the seed corpora of the fuzz targets: small valid files of every kind the readers take
// (configuration variants, script-like text, cue tracks, short MP3s), plus a few broken ones;
// the model kinds (scenes, ASE texts, JPEGs, K2D files, scene scripts) are in
// kgl_fuzz_seeds_model.cpp. Usage: kgl_fuzz_seeds OUTDIR  ->  OUTDIR/<kind>/<seed>.
// Generated at run time, never committed.
#include "kgl_fuzz_seeds.h"

#include <lame/lame.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kgl_test {

std::string gOut;
bool gFailed = false;

void put(const std::string& kind, const std::string& name, const Bytes& bytes) {
    const std::string dir = gOut + "/" + kind;
    mkdir(dir.c_str(), 0755);
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "kgl_fuzz_seeds: cannot write %s\n", path.c_str());
        gFailed = true;
    }
}

void putText(const std::string& kind, const std::string& name, const std::string& text) {
    put(kind, name, Bytes(text.begin(), text.end()));
}

}  // namespace kgl_test

namespace {

using kgl_test::Bytes;
using kgl_test::gFailed;
using kgl_test::put;
using kgl_test::putText;

void configSeeds() {
    const std::string full =
        "KEYBOARD: 1\nRENDERACTIONS: 1\nLOADACTIONS: 1\nSAVEACTIONS: 0\nUSEMP3: 1\n"
        "MP3STARTOFFSET: 0\nMP3STARTSECONDS: 0\nMP3:escena/music.mp3\n";
    std::string crlf;
    for (char c : full) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    putText("config", "full.ini", full);
    putText("config", "crlf.ini", crlf);
    putText("config", "partial.ini", "USEMP3: 1\nMP3:\"music.mp3\"\n");
    putText("config", "star.ini", "KEYBOARD: 1\n# *\nRENDERACTIONS: 1\nLOADACTIONS: 1\n");
    putText("config", "numbers.ini",
            "MP3STARTOFFSET: -4294967297\nMP3STARTSECONDS: -5.75,3\nMP3:" + std::string(300, 'x'));
    putText("config", "next_line.ini", "KEYBOARD:\n1\nUSEMP3:\t\t 1\nMP3STARTSECONDS: 1e39\n");
    putText("config", "empty.ini", "");
}

// Scene-script-like text: blocks, quoted names, comma lists.
void textSeeds() {
    putText("text", "blocks.txt",
            "SCENE: {\n NAME:\"intro\"\n CAMERA: 2\n FOV: 45.5,1.0,-3\n}\n*\nTEXTURE:\"a.jpg\"\n");
    putText("text", "words.txt", "KEY:value:other:\"quoted\nline\"\n{ } { MP3: 12 }");
}

void u32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void mark(Bytes& b, uint32_t position, int32_t action, bool spectrum = false, float value = 0.0f) {
    u32(b, position);
    u32(b, static_cast<uint32_t>(action));
    b.push_back(spectrum ? 1 : 0);
    if (!spectrum) return;
    uint32_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 512; ++i) u32(b, bits);
}

void eventSeeds() {
    put("events", "empty.bin", {});
    Bytes one;
    mark(one, 44100, 3);
    put("events", "one.bin", one);
    Bytes several;
    for (int i = 0; i < 12; ++i) mark(several, static_cast<uint32_t>(i * 17640), i % 5);
    put("events", "several.bin", several);
    Bytes odd;
    mark(odd, 90000, -1);
    mark(odd, 10, 4095);
    mark(odd, 10, 4096);
    mark(odd, 0xffffffffu, 0x7fffffff);
    put("events", "unsorted.bin", odd);
    Bytes spectrum;
    mark(spectrum, 1000, 1, true, 0.0f);
    mark(spectrum, 2000, 2, true, 1.0f);
    put("events", "spectrum.bin", spectrum);
    Bytes cut = several;
    cut.resize(cut.size() - 4);
    put("events", "truncated.bin", cut);
}

// Action tracks as text: times, byte positions, comments, a spectrum, and a few broken lines.
void actionTextSeeds() {
    putText("actiontext", "plain.txt", "# track\n00:00.000  0  # scene 0\n00:02.500 12\n\n@176400 64\n");
    std::string spectrum = "01:04.019 5 spectrum:2";
    for (int i = 0; i < 512; ++i) spectrum += i % 3 ? " 0.25" : " 0x7fc00001";
    putText("actiontext", "spectrum.txt", spectrum + "\r\n");
    putText("actiontext", "broken.txt", "1:2.3 4\n99:99.000 1\n@ 3\n00:01.0000001 2\n00:01 x\n");
}

// A sine tone encoded with the LAME tag frame written over the encoder's placeholder.
Bytes encodeMp3(int frames, int rate, int channels, bool tag) {
    lame_global_flags* gf = lame_init();
    if (!gf) return {};
    lame_set_in_samplerate(gf, rate);
    lame_set_out_samplerate(gf, rate);
    lame_set_num_channels(gf, channels);
    lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(gf, 32);
    lame_set_quality(gf, 9);
    lame_set_bWriteVbrTag(gf, tag ? 1 : 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return {};
    }
    std::vector<short> pcm(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) pcm[i] = static_cast<short>(8000.0 * std::sin(i * 0.0627));
    Bytes mp3(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    const int n =
        lame_encode_buffer(gf, pcm.data(), pcm.data(), frames, mp3.data(), static_cast<int>(mp3.size()));
    const int m = n < 0 ? -1 : lame_encode_flush(gf, mp3.data() + n, static_cast<int>(mp3.size()) - n);
    if (m < 0) {
        lame_close(gf);
        return {};
    }
    mp3.resize(static_cast<size_t>(n + m));
    unsigned char head[4096];
    const size_t headSize = tag ? lame_get_lametag_frame(gf, head, sizeof head) : 0;
    lame_close(gf);
    if (headSize > mp3.size()) return {};
    std::copy(head, head + headSize, mp3.begin());
    return mp3;
}

void mp3Seeds() {
    const Bytes stereo = encodeMp3(4410, 22050, 2, true);
    const Bytes mono = encodeMp3(2000, 16000, 1, true);
    const Bytes plain = encodeMp3(1152 * 3, 44100, 1, false);
    if (stereo.empty() || mono.empty() || plain.empty()) {
        std::fprintf(stderr, "kgl_fuzz_seeds: MP3 encoding failed\n");
        gFailed = true;
        return;
    }
    put("mp3", "stereo.mp3", stereo);
    put("mp3", "mono.mp3", mono);
    put("mp3", "untagged.mp3", plain);
    put("mp3", "truncated.mp3", Bytes(stereo.begin(), stereo.begin() + stereo.size() / 3));
    Bytes id3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    id3.insert(id3.end(), mono.begin(), mono.end());
    put("mp3", "id3.mp3", id3);
    // A stream whose format changes: mono 44.1 kHz followed by stereo 22.05 kHz.
    Bytes mixed = plain;
    mixed.insert(mixed.end(), stereo.begin(), stereo.end());
    put("mp3", "mixed.mp3", mixed);
}

// The first byte picks the reader: even the key map, odd the key script.
void authorKeySeeds() {
    putText("authorkeys", "map.txt", std::string("\x00") + "Q 64  # flash 1\nF2 3\n\nW 12\n");
    putText("authorkeys", "map_bad.txt", std::string("\x00") + "A 3\nQ 22\nF13 1\nQ\nZ 3 4\n");
    putText("authorkeys", "script.txt",
            "\x01"
            "5 Space\n10 Shift+Right PageDown\n20 R 6 4 Enter\n30 Ctrl+S\n");
    putText("authorkeys", "script_bad.txt",
            "\x01"
            "x Space\n5\n7 Nope\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kgl_fuzz_seeds OUTDIR\n");
        return 2;
    }
    kgl_test::gOut = argv[1];
    mkdir(kgl_test::gOut.c_str(), 0755);
    configSeeds();
    textSeeds();
    eventSeeds();
    actionTextSeeds();
    authorKeySeeds();
    mp3Seeds();
    kgl_test::modelSeeds();
    return gFailed ? 1 : 0;
}
