#include "platform/kgl_ticks.h"

#include <chrono>

namespace kgl {

namespace {
using Clock = std::chrono::steady_clock;
Clock::time_point gOrigin = Clock::now();
double gStepMs = 0.0;
double gFixedMs = 0.0;
}  // namespace

double tickTimeMs() {
    if (gStepMs > 0.0) return gFixedMs;
    return std::chrono::duration<double, std::milli>(Clock::now() - gOrigin).count();
}

uint32_t tickCount() {
    return static_cast<uint32_t>(static_cast<uint64_t>(tickTimeMs()));
}

void setFixedTickStep(double msPerStep) {
    gStepMs = msPerStep > 0.0 ? msPerStep : 0.0;
    gFixedMs = 0.0;
}

bool fixedTickMode() {
    return gStepMs > 0.0;
}
double fixedTickStepMs() {
    return gStepMs;
}

void advanceFixedTick() {
    if (gStepMs > 0.0) gFixedMs += gStepMs;
}

}  // namespace kgl
