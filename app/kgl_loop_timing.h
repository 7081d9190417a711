// When the frame loop runs its fixed-rate update step and refreshes the frame-rate title. Plain
// state and functions over an injectable tick source, so the schedule can be checked with fake
// clocks. The one instance the show uses is owned by the frame loop.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kgl {

using TickSource = uint32_t (*)();  // milliseconds, as GetTickCount

constexpr size_t kTitleSize = 64;

struct LoopTiming {
    float lastStepTick = 0.0f;  // tick (ms) of the last update step
    bool stepped = false;       // no step yet: the first one is due at once
    float titleAccumulator = 0.0f;
    float lastTitleTime = 0.0f;  // in units of 0.6 s (tick x 0.0006)
    uint32_t titleFrames = 0;    // frames drawn since the last title change
    uint32_t lastTitleTick = 0;
    bool titled = false;  // the first update step always sets the title
};

// True when an update step is due at `now` for `updateRate` steps per second. A rate below 1 is
// treated as 1 so a bad rate cannot divide by zero.
bool updateStepDue(const LoopTiming& t, float now, int32_t updateRate);

// What one update step runs (the music-end check and the engine's frame update). Returns true
// when the show has ended.
struct UpdateStepHooks {
    bool (*step)(void* context) = nullptr;
    void* context = nullptr;
};

// Runs at most one update step at the tick the source reports. Returns true when it ran;
// `showEnded` is set when the step reported the end of the show.
bool runUpdateStep(LoopTiming& t, TickSource ticks, int32_t updateRate, const UpdateStepHooks& hooks,
                   bool& showEnded);

// Called after each update step that ran: on the first call and then every 2000 ms writes "korvoGL %2.2f fps"
// (frames drawn per second since the last change) into `title` and returns true.
bool refreshTitle(LoopTiming& t, uint32_t tickMs, char* title, size_t titleSize);

}  // namespace kgl
