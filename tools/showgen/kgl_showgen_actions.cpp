// The choreography of the default show, as a table of (bar, action) against the music's bar
// grid: 120 beats a minute, four beats a bar, so bar b starts at b x 2 s. Sections: intro on the
// blue gyroscope, a build with camera cuts and zoom trails, drops on the corridor, the drooler,
// the fire cave and the roots, a breakdown on the crystal, an outro back on the gyroscope.
#include "kgl_showgen_actions.h"

#include "common/kgl_bytes.h"
#include "kgl_showgen_music.h"

#include <algorithm>
#include <cmath>

namespace kgl {
namespace showgen {
namespace {

struct Mark {
    double bar;  // bars from the start of the music; fractions are parts of a bar (0.25 = a beat)
    int action;
};

// Numbers: 0-5 scene switches, 6/7 overlay scenes, 12-26 overlay pictures and flashes, 27-34
// blend selectors, 35-41 playback, 42-49 cameras, 50-53 composition alphas, 54-59 blur, wave
// grids and pulse, 60-63 scene animations, 64-68 flashes, 69-80 morphs, 81-86 vertex programs
// and trails, 87-90 overlay cameras.
const Mark kMarks[] = {
    // Intro: the blue gyroscope, revealed from black, the title over it, the disc overlay.
    {0.0, 0}, {0.01, 64}, {0.02, 42}, {1.0, 12}, {2.0, 7}, {2.02, 87}, {3.0, 16}, {4.0, 45}, {5.0, 17},
    {6.0, 43}, {7.0, 88}, {7.5, 18},
    // Build 1: overlay off, camera cuts on every bar, zoom trails.
    {8.0, 7}, {8.01, 44}, {8.02, 54}, {9.0, 46}, {10.0, 47}, {10.01, 54}, {11.0, 48}, {12.0, 55},
    {12.02, 56}, {13.0, 49}, {14.0, 13}, {14.01, 42}, {15.0, 19}, {15.5, 65}, {15.78, 67},
    // Drop 1 (bar 16): the warm corridor.
    {16.0, 1}, {16.01, 56}, {16.02, 13}, {16.03, 68}, {17.0, 20}, {18.0, 81}, {18.5, 43}, {19.0, 42},
    {20.0, 57}, {20.01, 81}, {21.0, 21}, {22.0, 57}, {22.01, 43}, {23.0, 42}, {23.5, 65},
    // Drop 1, second half (bar 24): the drooler inside its shell.
    {24.0, 3}, {24.02, 68}, {24.5, 60}, {25.0, 43}, {26.0, 77}, {26.01, 44}, {27.0, 61}, {27.5, 23},
    {28.0, 79}, {28.01, 45}, {29.0, 82}, {29.13, 82}, {29.5, 42}, {30.0, 62}, {30.01, 83}, {30.5, 83},
    {31.0, 78}, {31.5, 80}, {31.75, 24},
    // Breakdown (bar 32): the emerald crystal, letterbox, playback tricks and the batons.
    {32.0, 2}, {32.01, 64}, {33.0, 15}, {34.0, 43}, {34.01, 6}, {34.02, 89}, {35.0, 38}, {35.5, 39},
    {35.75, 35}, {36.0, 36}, {36.01, 44}, {37.0, 40}, {37.01, 90}, {37.5, 41}, {38.0, 37}, {38.01, 45},
    {39.0, 6}, {39.5, 15}, {39.75, 25},
    // Build 2 (bar 40): the roots morph under the flare.
    {40.0, 4}, {40.01, 42}, {40.02, 69}, {41.0, 70}, {41.01, 46}, {41.5, 71}, {42.0, 72}, {42.01, 44},
    {42.5, 73}, {43.0, 74}, {43.01, 43}, {43.25, 75}, {43.5, 26}, {43.79, 67},
    // Drop 2 (bar 44): the fire cave, its six particle lights and the two trails.
    {44.0, 5}, {44.01, 68}, {44.25, 60}, {45.0, 61}, {46.0, 62}, {47.0, 63}, {48.0, 85}, {49.0, 65},
    {50.0, 86}, {51.5, 16},
    // Drop 2 (bar 52): gyroscope telephotos, the credits, the corridor with a wave grid.
    {52.0, 0}, {52.01, 48}, {52.02, 84}, {53.0, 49}, {54.0, 14}, {55.0, 47}, {56.0, 1}, {56.01, 58},
    {56.02, 84}, {57.0, 59}, {58.0, 58}, {59.0, 59}, {59.5, 17},
    // Drop 2 (bar 60): the drooler again.
    {60.0, 3}, {60.01, 44}, {60.02, 60}, {61.0, 77}, {61.01, 43}, {62.0, 61}, {62.5, 79}, {63.0, 62},
    {63.5, 65},
    // Bridge (bar 64): the crystal, a wave grid, then a stutter into the drop. Stepping the blend
    // selectors and alphas hands the engine's own composition values over (dark alpha 0.01 over
    // the whole picture), which blacks the picture out until the next scene switch; so they come
    // in the last beats before the drop, one mark a frame apart, with a white flash on top.
    {64.0, 2}, {64.01, 45}, {66.25, 57}, {67.5, 57}, {67.7, 27}, {67.72, 28}, {67.74, 29}, {67.76, 30},
    {67.78, 31}, {67.8, 32}, {67.82, 33}, {67.84, 34}, {67.86, 50}, {67.88, 51}, {67.9, 52},
    {67.92, 53}, {67.94, 67},
    // Drop 3 (bar 68): roots and flare, camera cut every bar.
    {68.0, 4}, {68.01, 68}, {68.02, 76}, {69.0, 44}, {69.5, 70}, {70.0, 46}, {70.01, 71}, {71.0, 45},
    {71.5, 18}, {72.0, 5}, {72.01, 60}, {72.02, 63}, {73.0, 59}, {74.0, 61}, {75.0, 65}, {75.5, 19},
    // Drop 3 (bar 76): the gyroscope finale with the discs.
    {76.0, 0}, {76.01, 68}, {76.02, 7}, {76.03, 46}, {77.0, 88}, {77.01, 47}, {78.0, 12}, {78.01, 48},
    {79.0, 89}, {79.01, 42},
    // Outro (bar 80): trails, credits, and the fade to black while the last chord rings.
    {80.0, 7}, {80.01, 44}, {80.02, 54}, {82.0, 43}, {84.0, 14}, {84.01, 20}, {86.0, 54}, {86.01, 42},
    {87.5, 64}, {87.75, 21},
};

}  // namespace

bool isUnusedAction(int action) {
    return (action >= 8 && action <= 11) || action == 22 || action == 66;
}

std::vector<Cue> choreography() {
    std::vector<Cue> cues;
    for (const Mark& m : kMarks) {
        int64_t frame = static_cast<int64_t>(std::llround(m.bar * kFramesPerBar));
        cues.push_back(Cue{static_cast<uint32_t>(frame * 4), m.action, static_cast<double>(frame) / kSampleRate});
    }
    std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.position < b.position; });
    return cues;
}

std::vector<uint8_t> actionsFile(const std::vector<Cue>& cues) {
    ByteWriter w;
    for (const Cue& c : cues) {
        w.u32(c.position);
        w.i32(c.action);
        w.u8(0);  // no spectrum
    }
    return w.bytes();
}

}  // namespace showgen
}  // namespace kgl
