#include "scene/kgl_2d_fasttrigo.h"

#include <cmath>
#include <cstdio>

#include "common/kgl_log.h"

namespace kgl {

// The angle is a float: each step is added in double precision and the sum rounded back to float,
// so every table (and every "lissa<N>.bin" dump) has the same samples on every machine. The curve
// values themselves are computed in double and stored as floats.
void FastTrigo::claim(int channel) {
    if (filled[channel]) return;
    for (int i = 0; i < kTrigoSamples; ++i) x[channel][i] = y[channel][i] = 0.0f;
    filled[channel] = 1;
}

void FastTrigo::fill(float ampX, float ampY, int channel, uint8_t shape) {
    claim(channel);
    const double a = ampX;
    const double b = ampY;
    float t = 0.0f;
    float down = 0.0f;  // shapes 3 and 4 run a second accumulator the other way
    float* xs = x[channel];
    float* ys = y[channel];
    for (int i = 0; i < kTrigoSamples; ++i) {
        const double up = t;  // sine and cosine of the float angle, in double
        const double dn = down;
        switch (shape) {
            case 0:
                xs[i] = static_cast<float>(2.0 * std::sin(up));
                ys[i] = static_cast<float>(3.0 * std::sin(up));
                break;
            case 1:
                xs[i] = static_cast<float>(a * std::cos(up));
                ys[i] = static_cast<float>(b * std::cos(up));
                break;
            case 2:
                xs[i] = static_cast<float>(a * std::sin(up));
                ys[i] = static_cast<float>(b * std::cos(up));
                break;
            case 3:
                xs[i] = static_cast<float>(a * std::cos(up));
                ys[i] = static_cast<float>(b * std::sin(dn));
                break;
            case 4:
                xs[i] = static_cast<float>(a * std::cos(dn));
                ys[i] = static_cast<float>(b * std::sin(up));
                break;
            default:
                break;
        }
        t = static_cast<float>(static_cast<double>(t) + kTrigoAngleStep);
        down = static_cast<float>(static_cast<double>(down) - kTrigoAngleStep);
    }
}

void FastTrigo::applyFold(int channel) {
    if (!fold) return;
    for (int i = 0; i < kTrigoSamples; ++i) {
        if (x[channel][i] < 0.0f) {
            x[channel][i] = -x[channel][i];
            y[channel][i] = -y[channel][i];
        }
    }
}

void FastTrigo::generate(int ampX, int ampY, uint8_t channel, uint8_t shape) {
    const int c = channelIndex(channel);
    fill(static_cast<float>(ampX), static_cast<float>(ampY), c, shape);
    applyFold(c);
    cursor[c] = 0;
}

std::string FastTrigo::dumpFileName(float ampX, float ampY) {
    const double sum = static_cast<double>(ampX) + static_cast<double>(ampY);
    return "lissa" + std::to_string(static_cast<long long>(std::trunc(sum))) + ".bin";
}

void FastTrigo::generateAndDump(float ampX, float ampY, uint8_t channel, uint8_t shape) {
    const int c = channelIndex(channel);
    fill(ampX, ampY, c, shape);
    const std::string name = dumpFileName(ampX, ampY);
    if (FILE* f = std::fopen(name.c_str(), "w")) {
        for (int i = 0; i < kTrigoSamples; ++i) std::fprintf(f, "%3.4f %3.4f\n", x[c][i], y[c][i]);
        std::fclose(f);
    } else {
        logLine("TRIGO", name.c_str(), "cannot write the wave table dump");
    }
    applyFold(c);
    cursor[c] = 0;
}

void FastTrigo::advance(int channel) {
    const int c = channelIndex(channel);
    int32_t next = cursor[c] + step;
    // A negative or huge step would leave the table; such a cursor restarts like a wrap.
    if (next > kTrigoLastCursor || next < 0) next = 0;
    cursor[c] = next;
}

void FastTrigo::sample(int channel, float& outX, float& outY) const {
    const int c = channelIndex(channel);
    const int32_t i = cursor[c];
    if (!filled[c]) {
        outX = outY = 0.0f;
        return;
    }
    outX = x[c][i];
    outY = y[c][i];
}

}  // namespace kgl
