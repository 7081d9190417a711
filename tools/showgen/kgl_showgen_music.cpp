// Synthesizer and MP3 encoder of the show's music. Everything is deterministic: oscillators
// start at phase 0 and noise comes from a fixed linear congruential generator.
#include "kgl_showgen_music.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kgl {
namespace showgen {
namespace {

constexpr float kTwoPi = 6.28318531f;
constexpr float kDt = 1.0f / kSampleRate;

struct Bus {
    std::vector<float> l, r;
    Bus() : l(kSongFrames, 0.0f), r(kSongFrames, 0.0f) {}
    void add(int64_t i, float vl, float vr) {
        if (i < 0 || i >= kSongFrames) return;
        l[static_cast<size_t>(i)] += vl;
        r[static_cast<size_t>(i)] += vr;
    }
};

class Noise {
public:
    explicit Noise(uint32_t seed) : s_(seed) {}
    float next() {
        s_ = s_ * 1664525U + 1013904223U;
        return static_cast<float>(s_ >> 8) / 8388608.0f - 1.0f;
    }

private:
    uint32_t s_;
};

float hz(float midi) {
    return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f);
}

float polyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

// Band-limited sawtooth with its own phase.
struct Saw {
    float phase = 0;
    float next(float freq) {
        float dt = freq * kDt;
        float v = 2.0f * phase - 1.0f - polyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0f) phase -= 1.0f;
        return v;
    }
};

// One-pole low-pass. The coefficient costs an exponential, so sweeping voices refresh it
// only every kCutoffRefresh samples (well below audible rates of change).
constexpr int kCutoffRefresh = 32;

struct LowPass {
    float y = 0;
    float a = 1;
    void setCutoff(float cutoff) { a = 1.0f - std::exp(-kTwoPi * cutoff * kDt); }
    float run(float x) {
        y += a * (x - y);
        return y;
    }
};

int64_t beatFrame(int bar, float beat) {
    return static_cast<int64_t>(bar) * kFramesPerBar + static_cast<int64_t>(beat * kFramesPerBeat);
}

float envelope(float t, float len, float attack, float release) {
    float a = attack > 0 ? std::min(1.0f, t / attack) : 1.0f;
    float r = t > len ? std::max(0.0f, 1.0f - (t - len) / release) : 1.0f;
    return a * r;
}

bool kickInBar(int bar);

// Kick-driven gain reduction for bass and pads, the same shape after every beat of a bar that
// has a kick.
float duckAt(int64_t frame) {
    static const std::vector<float> shape = [] {
        std::vector<float> t(kFramesPerBeat);
        for (int i = 0; i < kFramesPerBeat; ++i)
            t[i] = 1.0f - 0.6f * std::exp(-static_cast<float>(i) * kDt * 9.0f);
        return t;
    }();
    if (frame < 0 || !kickInBar(static_cast<int>(frame / kFramesPerBar))) return 1.0f;
    return shape[static_cast<size_t>(frame % kFramesPerBeat)];
}

// ---- drums --------------------------------------------------------------------------------

void kick(Bus& b, int64_t at, float gain, Noise& n) {
    float phase = 0;
    int len = static_cast<int>(0.45f * kSampleRate);
    for (int i = 0; i < len; ++i) {
        float t = static_cast<float>(i) * kDt;
        float f = 44.0f + 120.0f * std::exp(-t * 30.0f);
        phase += f * kDt;
        float v = std::sin(kTwoPi * phase) * std::exp(-t * 6.5f) * std::min(1.0f, t * 800.0f);
        v += n.next() * std::exp(-t * 350.0f) * 0.25f;
        v = std::tanh(v * 1.4f) * gain;
        b.add(at + i, v, v);
    }
}

void snare(Bus& b, int64_t at, float gain, Noise& n) {
    float prev = 0, phase = 0;
    LowPass lp;
    lp.setCutoff(7000.0f);
    int len = static_cast<int>(0.32f * kSampleRate);
    for (int i = 0; i < len; ++i) {
        float t = static_cast<float>(i) * kDt;
        float x = n.next();
        float hp = x - prev;
        prev = x;
        phase += 190.0f * kDt;
        float v =
            lp.run(hp) * std::exp(-t * 15.0f) * 0.9f + std::sin(kTwoPi * phase) * std::exp(-t * 28.0f) * 0.5f;
        b.add(at + i, v * gain, v * gain);
    }
}

void clap(Bus& b, int64_t at, float gain, Noise& n) {
    LowPass lp, hp;
    lp.setCutoff(2500.0f);
    hp.setCutoff(900.0f);
    int len = static_cast<int>(0.25f * kSampleRate);
    for (int i = 0; i < len; ++i) {
        float t = static_cast<float>(i) * kDt;
        float burst = t < 0.03f ? std::exp(-std::fmod(t, 0.01f) * 300.0f) : std::exp(-(t - 0.03f) * 18.0f);
        float x = n.next();
        float band = lp.run(x) - hp.run(x);
        float v = band * burst * gain * 2.0f;
        b.add(at + i, v * 0.9f, v);
    }
}

void hat(Bus& b, int64_t at, float gain, bool open, float pan, Noise& n) {
    float p1 = 0, p2 = 0;
    float decay = open ? 9.0f : 60.0f;
    int len = static_cast<int>((open ? 0.4f : 0.08f) * kSampleRate);
    for (int i = 0; i < len; ++i) {
        float t = static_cast<float>(i) * kDt;
        float x = n.next();
        float v = (x - 2.0f * p1 + p2) * 0.25f * std::exp(-t * decay) * gain;
        p2 = p1;
        p1 = x;
        b.add(at + i, v * (1.0f - pan), v * (1.0f + pan));
    }
}

void crash(Bus& b, int64_t at, float gain, Noise& nl, Noise& nr) {
    float pl = 0, pr = 0;
    int len = static_cast<int>(2.6f * kSampleRate);
    for (int i = 0; i < len; ++i) {
        float t = static_cast<float>(i) * kDt;
        float e = std::exp(-t * 2.0f) * gain * 0.5f;
        float xl = nl.next(), xr = nr.next();
        b.add(at + i, (xl - pl) * e, (xr - pr) * e);
        pl = xl;
        pr = xr;
    }
}

void riser(Bus& b, int64_t at, int64_t len, float gain, Noise& n) {
    float low = 0, band = 0;
    for (int64_t i = 0; i < len; ++i) {
        float k = static_cast<float>(i) / static_cast<float>(len);
        float f = 2.0f * std::sin(3.14159265f * (300.0f + 7000.0f * k * k) * kDt);
        float x = n.next();
        low += f * band;
        float high = x - low - 0.3f * band;
        band += f * high;
        float v = band * k * k * gain;
        b.add(at + i, v * (1.0f - 0.5f * k), v * (0.5f + 0.5f * k));
    }
}

// ---- tonal voices -------------------------------------------------------------------------

void bassNote(Bus& b, int64_t at, float len, float midi, float gain) {
    Saw saw;
    LowPass lp1, lp2;
    float sub = 0, f = hz(midi);
    int total = static_cast<int>((len + 0.03f) * kSampleRate);
    for (int i = 0; i < total; ++i) {
        float t = static_cast<float>(i) * kDt;
        if (i % kCutoffRefresh == 0) {
            float cut = 180.0f + 1600.0f * std::exp(-t * 14.0f);
            lp1.setCutoff(cut);
            lp2.setCutoff(cut * 1.5f);
        }
        float v = lp2.run(lp1.run(saw.next(f))) * 0.8f;
        sub += f * kDt;
        v += std::sin(kTwoPi * sub) * 0.6f;
        v *= envelope(t, len, 0.004f, 0.03f) * gain * duckAt(at + i);
        b.add(at + i, v, v);
    }
}

void padChord(Bus& b, Bus& send, int64_t at, float len, const int* notes, float gain, float bright) {
    const float detune[3] = {-0.08f, 0.0f, 0.075f};
    const float pan[3] = {-0.6f, 0.0f, 0.6f};
    for (int k = 0; k < 3; ++k) {
        for (int d = 0; d < 3; ++d) {
            Saw saw;
            saw.phase = 0.31f * static_cast<float>(d + k);
            LowPass lp1, lp2;
            float f = hz(static_cast<float>(notes[k]) + detune[d]);
            int total = static_cast<int>((len + 0.5f) * kSampleRate);
            for (int i = 0; i < total; ++i) {
                float t = static_cast<float>(i) * kDt;
                if (i % kCutoffRefresh == 0) {
                    float cut =
                        500.0f + 1800.0f * bright + 300.0f * std::sin(t * 1.7f + static_cast<float>(k));
                    lp1.setCutoff(cut);
                    lp2.a = lp1.a;
                }
                float v =
                    lp2.run(lp1.run(saw.next(f))) * envelope(t, len, 0.35f, 0.5f) * gain * duckAt(at + i);
                float vl = v * (1.0f - pan[d] * 0.5f), vr = v * (1.0f + pan[d] * 0.5f);
                b.add(at + i, vl, vr);
                send.add(at + i, vl * 0.6f, vr * 0.6f);
            }
        }
    }
}

void pluck(Bus& b, int64_t at, float midi, float gain, float pan) {
    float phase = 0, f = hz(midi);
    LowPass lp;
    int total = static_cast<int>(0.22f * kSampleRate);
    for (int i = 0; i < total; ++i) {
        float t = static_cast<float>(i) * kDt;
        phase += f * kDt;
        if (phase >= 1.0f) phase -= 1.0f;
        float sq = phase < 0.3f ? 1.0f : -1.0f;
        if (i % kCutoffRefresh == 0) lp.setCutoff(900.0f + 4000.0f * std::exp(-t * 25.0f));
        float v = lp.run(sq) * std::exp(-t * 14.0f) * gain;
        b.add(at + i, v * (1.0f - pan), v * (1.0f + pan));
    }
}

void leadNote(Bus& b, int64_t at, float len, float midi, float gain) {
    Saw s1, s2;
    s2.phase = 0.5f;
    LowPass lp1, lp2;
    float f = hz(midi);
    int total = static_cast<int>((len + 0.12f) * kSampleRate);
    for (int i = 0; i < total; ++i) {
        float t = static_cast<float>(i) * kDt;
        float vib = 1.0f + 0.006f * std::sin(kTwoPi * 5.5f * t) * std::min(1.0f, t * 3.0f);
        float x = s1.next(f * vib * 1.003f) + s2.next(f * vib * 0.997f);
        if (i % kCutoffRefresh == 0) {
            float cut = 1500.0f + 2500.0f * std::exp(-t * 6.0f);
            lp1.setCutoff(cut);
            lp2.setCutoff(cut * 1.3f);
        }
        float v = lp2.run(lp1.run(x)) * envelope(t, len, 0.008f, 0.12f) * gain;
        b.add(at + i, v * 0.95f, v);
    }
}

// ---- arrangement --------------------------------------------------------------------------

struct Section {
    bool kick, snare, hats, bass, pad, arp, roll, riser;
    int lead;  // 0 none, 1 lead, 2 lead with octave doubling
    float padBright;
};

Section sectionAt(int bar);

bool kickInBar(int bar) {
    return sectionAt(bar).kick;
}

Section sectionAt(int bar) {
    Section s{};
    s.pad = true;
    s.padBright = 0.4f;
    if (bar < kBuild1Bar) {
        s.arp = bar >= 4;
        s.padBright = 0.1f + 0.05f * static_cast<float>(bar);
    } else if (bar < kDrop1Bar) {
        s.kick = s.hats = s.bass = s.arp = true;
        s.roll = bar >= kDrop1Bar - 2;
        s.riser = bar >= kDrop1Bar - 4;
    } else if (bar < kBreakBar) {
        s.kick = s.snare = s.hats = s.bass = s.arp = true;
        s.lead = 1;
        s.padBright = 0.55f;
    } else if (bar < kBuild2Bar) {
        s.arp = bar >= kBreakBar + 4;
        s.lead = bar >= kBreakBar + 4 ? 1 : 0;
        s.padBright = 0.8f;
    } else if (bar < kDrop2Bar) {
        s.kick = s.hats = s.bass = s.arp = s.riser = true;
        s.roll = bar >= kDrop2Bar - 2;
    } else if (bar < kBridgeBar) {
        s.kick = s.snare = s.hats = s.bass = s.arp = true;
        s.lead = bar >= 52 ? 2 : 1;
        s.padBright = 0.6f;
    } else if (bar < kDrop3Bar) {
        s.kick = s.hats = s.bass = true;
        s.pad = false;
        s.roll = s.riser = bar == kDrop3Bar - 1;
    } else if (bar < kOutroBar) {
        s.kick = s.snare = s.hats = s.bass = s.arp = true;
        s.lead = 2;
        s.padBright = 0.7f;
    } else {
        s.kick = bar < kOutroBar + 4;
        s.hats = bar < kOutroBar + 6;
        s.arp = bar < kOutroBar + 6;
        s.padBright = 0.5f - 0.05f * static_cast<float>(bar - kOutroBar);
    }
    return s;
}

// A minor: Am, F, C, G, one chord per bar.
const int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
const int kRoots[4] = {33, 29, 36, 31};

struct Note {
    int step, len, midi;  // sixteenth steps within a four-bar phrase
};
const Note kPhraseA[] = {{0, 3, 76},  {3, 3, 79},  {6, 2, 81},  {8, 4, 79},  {12, 4, 76}, {16, 3, 77},
                         {19, 3, 76}, {22, 2, 72}, {24, 8, 69}, {32, 3, 72}, {35, 3, 76}, {38, 2, 79},
                         {40, 4, 84}, {44, 4, 83}, {48, 3, 79}, {51, 3, 81}, {54, 2, 79}, {56, 8, 74}};
const Note kPhraseB[] = {{0, 2, 81},  {2, 2, 79},  {4, 2, 76},  {6, 2, 79},  {8, 6, 81},
                         {14, 2, 84}, {16, 4, 84}, {20, 2, 81}, {22, 2, 77}, {24, 8, 76},
                         {32, 2, 79}, {34, 2, 76}, {36, 2, 72}, {38, 2, 76}, {40, 8, 79},
                         {48, 4, 79}, {52, 4, 81}, {56, 4, 83}, {60, 4, 86}};

// Three stereo buses: dry (drums, bass, pads), melodic (arpeggio and lead, through the delay)
// and the reverb send; the reverb output and the melodic bus are summed into the dry bus.
struct Instruments {
    Bus dry, melodic, send;
    Noise nk{11}, ns{23}, nc{37}, nh{41}, nx{53}, ny{59}, nr{61};
};

void drumsForBar(Instruments& in, int bar, const Section& s) {
    if (s.kick)
        for (int beat = 0; beat < 4; ++beat)
            kick(in.dry, beatFrame(bar, static_cast<float>(beat)), 0.72f, in.nk);
    if (s.snare) {
        snare(in.dry, beatFrame(bar, 1), 0.45f, in.ns);
        snare(in.dry, beatFrame(bar, 3), 0.45f, in.ns);
        clap(in.dry, beatFrame(bar, 1), 0.3f, in.nc);
        clap(in.dry, beatFrame(bar, 3), 0.3f, in.nc);
    }
    if (s.roll) {
        bool last = sectionAt(bar + 1).roll == false;
        int hits = last ? 16 : 8;
        for (int i = 0; i < hits; ++i) {
            float k = static_cast<float>(i) / hits;
            snare(in.dry, beatFrame(bar, 4.0f * k), 0.15f + 0.3f * k, in.ns);
        }
    }
    if (s.hats) {
        for (int i = 0; i < 16; ++i) {
            bool off = i % 4 == 2;
            float g = off ? 0.5f : (i % 2 == 0 ? 0.22f : 0.12f);
            hat(in.dry, beatFrame(bar, 0.25f * static_cast<float>(i)), g, off && s.snare,
                (i % 2) ? 0.3f : -0.3f, in.nh);
        }
    }
    bool sectionStart = bar == kBuild1Bar || bar == kDrop1Bar || bar == 24 || bar == kBreakBar ||
                        bar == kDrop2Bar || bar == 52 || bar == kDrop3Bar || bar == 76 || bar == kOutroBar;
    if (sectionStart) crash(in.dry, beatFrame(bar, 0), 0.5f, in.nx, in.ny);
    if (s.riser && !sectionAt(bar - 1).riser) {
        int len = 0;
        while (sectionAt(bar + len).riser) ++len;
        riser(in.dry, beatFrame(bar, 0), static_cast<int64_t>(len) * kFramesPerBar, 0.18f, in.nr);
    }
}

void tonalForBar(Instruments& in, int bar, const Section& s) {
    int c = bar % 4;
    if (s.bass) {
        for (int i = 0; i < 8; ++i) {
            int midi = kRoots[c] + ((i % 4 == 3) ? 12 : 0);
            bassNote(in.dry, beatFrame(bar, 0.5f * static_cast<float>(i)), 0.2f, static_cast<float>(midi),
                     0.32f);
        }
    }
    if (s.pad) padChord(in.dry, in.send, beatFrame(bar, 0), 2.0f, kChords[c], 0.042f, s.padBright);
    if (s.arp) {
        const int order[8] = {0, 1, 2, 1, 0, 2, 1, 2};
        for (int i = 0; i < 16; ++i) {
            int midi = kChords[c][order[i % 8]] + 12 + ((i / 8) % 2) * 12;
            pluck(in.melodic, beatFrame(bar, 0.25f * static_cast<float>(i)), static_cast<float>(midi), 0.07f,
                  (i % 2) ? 0.4f : -0.4f);
        }
    }
    if (s.lead && bar % 4 == 0) {
        bool useB = (bar / 4) % 2 == 1;
        const Note* notes = useB ? kPhraseB : kPhraseA;
        size_t count = useB ? sizeof kPhraseB / sizeof kPhraseB[0] : sizeof kPhraseA / sizeof kPhraseA[0];
        float gain = (bar >= kBreakBar && bar < kBuild2Bar) ? 0.06f : 0.1f;
        for (size_t i = 0; i < count; ++i) {
            float start = 0.25f * static_cast<float>(notes[i].step);
            float len = 0.125f * static_cast<float>(notes[i].len) - 0.02f;
            int64_t at =
                static_cast<int64_t>(bar) * kFramesPerBar + static_cast<int64_t>(start * kFramesPerBeat);
            leadNote(in.melodic, at, len, static_cast<float>(notes[i].midi), gain);
            if (s.lead == 2)
                leadNote(in.melodic, at, len, static_cast<float>(notes[i].midi - 12), gain * 0.6f);
        }
    }
}

void finalChord(Instruments& in) {
    const int notes[3] = {57, 64, 69};
    padChord(in.dry, in.send, beatFrame(kSongBars - 2, 0), 5.5f, notes, 0.045f, 0.5f);
    bassNote(in.dry, beatFrame(kSongBars - 2, 0), 5.0f, 33.0f, 0.25f);
}

// Ping-pong delay of a dotted eighth.
void delay(Bus& b, float feedback) {
    const int d = kFramesPerBeat * 3 / 4;
    for (int64_t i = d; i < kSongFrames; ++i) {
        size_t k = static_cast<size_t>(i), j = static_cast<size_t>(i - d);
        b.l[k] += b.r[j] * feedback;
        b.r[k] += b.l[j] * feedback;
    }
}

struct Comb {
    std::vector<float> buf;
    size_t pos = 0;
    float store = 0;
    explicit Comb(size_t n) : buf(n, 0.0f) {}
    float run(float x, float fb, float damp) {
        float y = buf[pos];
        store = y * (1.0f - damp) + store * damp;
        buf[pos] = x + store * fb;
        pos = (pos + 1) % buf.size();
        return y;
    }
};

struct AllPass {
    std::vector<float> buf;
    size_t pos = 0;
    explicit AllPass(size_t n) : buf(n, 0.0f) {}
    float run(float x) {
        float b = buf[pos];
        buf[pos] = x + b * 0.5f;
        pos = (pos + 1) % buf.size();
        return b - x;
    }
};

void reverbChannel(const std::vector<float>& in, std::vector<float>& out, size_t spread, float gain) {
    Comb combs[4] = {Comb(1116 + spread), Comb(1188 + spread), Comb(1277 + spread), Comb(1356 + spread)};
    AllPass ap[2] = {AllPass(556 + spread), AllPass(441 + spread)};
    for (size_t i = 0; i < in.size(); ++i) {
        float x = in[i] * 0.2f, y = 0;
        for (Comb& c : combs) y += c.run(x, 0.84f, 0.25f);
        for (AllPass& a : ap) y = a.run(y);
        out[i] += y * gain;
    }
}

std::vector<int16_t> mixDown(Instruments& in) {
    delay(in.melodic, 0.33f);
    for (size_t i = 0; i < static_cast<size_t>(kSongFrames); ++i) {
        in.send.l[i] += in.melodic.l[i] * 0.4f;
        in.send.r[i] += in.melodic.r[i] * 0.4f;
        in.dry.l[i] += in.melodic.l[i];
        in.dry.r[i] += in.melodic.r[i];
    }
    reverbChannel(in.send.l, in.dry.l, 0, 0.5f);
    reverbChannel(in.send.r, in.dry.r, 23, 0.5f);
    float peak = 1e-6f;
    for (size_t i = 0; i < static_cast<size_t>(kSongFrames); ++i) {
        in.dry.l[i] = std::tanh(in.dry.l[i] * 1.1f);
        in.dry.r[i] = std::tanh(in.dry.r[i] * 1.1f);
        peak = std::max(peak, std::max(std::fabs(in.dry.l[i]), std::fabs(in.dry.r[i])));
    }
    float norm = 0.89f / peak * 32767.0f;
    std::vector<int16_t> pcm(static_cast<size_t>(kSongFrames) * 2);
    for (size_t i = 0; i < static_cast<size_t>(kSongFrames); ++i) {
        pcm[i * 2] = static_cast<int16_t>(std::lround(in.dry.l[i] * norm));
        pcm[i * 2 + 1] = static_cast<int16_t>(std::lround(in.dry.r[i] * norm));
    }
    return pcm;
}

std::vector<uint8_t> encodeMp3(const std::vector<int16_t>& pcm) {
    lame_global_flags* gf = lame_init();
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_brate(gf, 128);
    lame_set_quality(gf, 7);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return {};
    }
    std::vector<uint8_t> out;
    const int chunk = 8192;
    std::vector<unsigned char> buf(static_cast<size_t>(chunk) * 5 / 4 + 7200);
    for (int64_t at = 0; at < kSongFrames; at += chunk) {
        int n = static_cast<int>(std::min<int64_t>(chunk, kSongFrames - at));
        // libmp3lame takes a non-const buffer though it does not write to it.
        short* src = const_cast<short*>(reinterpret_cast<const short*>(pcm.data()) + at * 2);
        int got = lame_encode_buffer_interleaved(gf, src, n, buf.data(), static_cast<int>(buf.size()));
        if (got > 0) out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    int got = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
    if (got > 0) out.insert(out.end(), buf.begin(), buf.begin() + got);
    // The tag frame (with encoder delay and padding) replaces the placeholder frame at the start.
    unsigned char tag[4096];
    size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagSize > 0 && tagSize <= out.size()) std::copy(tag, tag + tagSize, out.begin());
    lame_close(gf);
    return out;
}

}  // namespace

std::vector<uint8_t> makeMusicMp3() {
    Instruments in;
    for (int bar = 0; bar < kSongBars; ++bar) {
        Section s = sectionAt(bar);
        drumsForBar(in, bar, s);
        tonalForBar(in, bar, s);
    }
    finalChord(in);
    return encodeMp3(mixDown(in));
}

}  // namespace showgen
}  // namespace kgl
