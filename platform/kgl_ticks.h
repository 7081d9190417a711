// Millisecond tick counts (stands in for GetTickCount / timeGetTime). In fixed-step mode
// (--fixed-fps) time does not flow by itself: every frame-loop turn advances it by exactly one
// step, so runs are deterministic. The manual music clock reads the same fixed time.
#pragma once

#include <cstdint>

namespace kgl {

// Milliseconds since the first call (or fixed-step time), as the 32-bit tick count.
uint32_t tickCount();
// The same time with its fraction, in milliseconds.
double tickTimeMs();

// Switches to fixed-step time: each advanceFixedTick() adds msPerStep. 0 switches back to real time.
void setFixedTickStep(double msPerStep);
bool fixedTickMode();
double fixedTickStepMs();
void advanceFixedTick();

}  // namespace kgl
