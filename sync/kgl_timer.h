// DemoTimer: a high-resolution stopwatch that adds up the reciprocal of each interval between
// its ticks (the instantaneous rate) and answers whether that sum passed a threshold. Owned by
// the motion blur, which captures a new image on the frames where Due() is true.
#pragma once

#include <cstdint>

namespace kgl {

class DemoTimer {
public:
    // The warm-up in Start reads the counter for about 2 ms (at most kMaxWarmUpReads reads);
    // it only delays, no result is kept, see Start.
    static constexpr float kWarmUpSeconds = 0.002f;
    static constexpr int kMaxWarmUpReads = 160000;

    DemoTimer() = default;
    virtual ~DemoTimer() = default;

    void Start(uint8_t slot, uint8_t depth);
    void Tick();
    bool Due();

    int64_t frequency = 0;   // counter ticks per second
    int64_t startCount = 0;  // counter at the last Start
    int64_t nowCount = 0;    // counter at the last read
    float elapsed = 0.0f;    // seconds from startCount to nowCount
    float delta = 0.0f;      // seconds between the last two reads
    float rateSum = 0.0f;    // sum of 1 / delta since the last reset
    int32_t threshold = 0;
    uint8_t slot = 0;

    // The counter, a monotonic clock in nanoseconds; tests put a scripted counter here.
    int64_t (*readCounter)() = monotonicNanoseconds;
    int64_t counterFrequency = 1000000000;

    static int64_t monotonicNanoseconds();
};

}  // namespace kgl
