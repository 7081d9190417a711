#include "sync/kgl_timer.h"

#include <chrono>

namespace kgl {

int64_t DemoTimer::monotonicNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void DemoTimer::Tick() {
    nowCount = readCounter();
    const float previous = elapsed;
    elapsed = static_cast<float>(static_cast<double>(nowCount - startCount) /
                                 static_cast<double>(frequency > 0 ? frequency : 1));
    delta = elapsed - previous;
    // A read in the same counter tick as the previous one measured no interval: no rate to add,
    // which keeps an infinity out of the sum.
    if (delta != 0.0f) rateSum += 1.0f / delta;
}

// The warm-up's reads advance `elapsed`, and the second take of the counter does not reset it:
// the first Tick after Start measures against the last warm-up read, so it is negative when it
// comes sooner after Start than the warm-up lasted. The motion blur's first capture depends on
// that, so it is kept; the depth argument selects no calibration that anything reads.
void DemoTimer::Start(uint8_t slotNumber, uint8_t /*depth*/) {
    slot = slotNumber;
    frequency = counterFrequency;
    startCount = readCounter();
    rateSum = 0.0f;
    delta = 0.0f;
    int reads = 0;
    do {
        Tick();
    } while (++reads < kMaxWarmUpReads && elapsed < kWarmUpSeconds);
    frequency = counterFrequency;
    startCount = readCounter();
    rateSum = 0.0f;
    delta = 0.0f;
}

bool DemoTimer::Due() {
    if (static_cast<float>(threshold) < rateSum) {
        rateSum = 0.0f;
        return true;
    }
    return false;
}

}  // namespace kgl
