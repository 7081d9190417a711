// FastTrigo: four channels of 1024 precomputed (x, y) samples of a periodic curve (a line, an
// ellipse or a circle run either way), filled once at set-up and walked with a cursor per frame,
// so per-frame motion costs one addition, one comparison and two array reads. Embedded by value
// in every animated owner (grids, deformers, motion blur, line trails, the engine).
#pragma once

#include <cstdint>
#include <string>

namespace kgl {

constexpr int kTrigoChannels = 4;
constexpr int kTrigoSamples = 1024;
constexpr int kTrigoLastCursor = 1022;                 // a cursor past this wraps to 0
constexpr double kTrigoAngleStep = 0.012272186953125;  // radians per sample, about 4*pi per table

class FastTrigo {
public:
    FastTrigo() = default;
    virtual ~FastTrigo() = default;

    // Fills one channel with shape 0..4 (other shapes keep the samples) and resets its cursor.
    void generate(int ampX, int ampY, uint8_t channel, uint8_t shape);
    // The same with float amplitudes; also writes "lissa<N>.bin" (N = whole part of ampX + ampY)
    // in the working directory with one "%3.4f %3.4f" line per sample, before folding.
    void generateAndDump(float ampX, float ampY, uint8_t channel, uint8_t shape);
    void setFold() { fold = 1; }
    void setStep(int n) { step = n; }
    void advance(int channel);
    void sample(int channel, float& outX, float& outY) const;

    // Name of the dump file generateAndDump writes for these amplitudes.
    static std::string dumpFileName(float ampX, float ampY);

    uint8_t fold = 0;
    // The samples are written when a channel is first filled (zeros before any shape), not at
    // construction: hundreds of tables are embedded in the engine's slots and most are never
    // used, so their 32 KB each stay untouched memory. A channel not yet filled samples as zero.
    float x[kTrigoChannels][kTrigoSamples];
    float y[kTrigoChannels][kTrigoSamples];
    int32_t cursor[kTrigoChannels] = {};
    int32_t step = 1;
    uint8_t filled[kTrigoChannels] = {};

private:
    void fill(float ampX, float ampY, int channel, uint8_t shape);
    void claim(int channel);  // zeroes a channel's samples the first time it is filled
    void applyFold(int channel);
    static int channelIndex(int channel) { return channel & (kTrigoChannels - 1); }
};

}  // namespace kgl
