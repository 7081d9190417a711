#include "app/kgl_loop_timing.h"

#include <cstdio>

namespace kgl {

namespace {
constexpr float kTitleUnitsPerMs = 0.0006f;  // the title clock counts 0.6 s units
constexpr float kTitleInterval = 1.2f;       // 2000 ms in those units
}  // namespace

bool updateStepDue(const LoopTiming& t, float now, int32_t updateRate) {
    if (!t.stepped) return true;
    const float period = 1000.0f / static_cast<float>(updateRate < 1 ? 1 : updateRate);
    return !(period > now - t.lastStepTick);
}

bool runUpdateStep(LoopTiming& t, TickSource ticks, int32_t updateRate, const UpdateStepHooks& hooks,
                   bool& showEnded) {
    const float now = static_cast<float>(ticks());
    if (!updateStepDue(t, now, updateRate)) return false;
    showEnded = hooks.step ? hooks.step(hooks.context) : false;
    t.lastStepTick = now;
    t.stepped = true;
    return true;
}

bool refreshTitle(LoopTiming& t, uint32_t tickMs, char* title, size_t titleSize) {
    const float units = static_cast<float>(tickMs) * kTitleUnitsPerMs;
    t.titleAccumulator += units - t.lastTitleTime;
    // The title clock starts at 0, which the tick count of a running machine is always far past,
    // so the first update step sets the title; ours counts from the process start, hence the flag.
    if (t.titled && !(units - t.lastTitleTime > kTitleInterval)) return false;
    t.titled = true;
    const uint32_t elapsedMs = tickMs - t.lastTitleTick;
    const double fps = elapsedMs > 0 ? t.titleFrames * 1000.0 / elapsedMs : 0.0;
    std::snprintf(title, titleSize, "korvoGL %2.2f fps", fps);
    t.lastTitleTime = units;
    t.lastTitleTick = tickMs;
    t.titleAccumulator = 0.0f;
    t.titleFrames = 0;
    return true;
}

}  // namespace kgl
