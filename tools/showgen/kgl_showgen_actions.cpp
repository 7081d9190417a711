// The choreography of the default show, as a table of (bar, action) against the music's bar
// grid: 120 beats a minute, four beats a bar, so bar b starts at b x 2 s. First act: the title,
// an intro on the blue gyroscope, a build with camera cuts and zoom trails, drops on the corridor, the
// drooler, the crystal breakdown, the roots and the fire cave. Second act (bar 52 on): the same scenes
// through other cameras and under other overlays, a bridge in the corridor, a build to the
// final drop on the sun and its tendrils, and an outro with the credits and the title over black.
// Text cards come with the motion blur off, over black flashes, on scenes whose composition
// keeps the letters bright.
#include "kgl_showgen_actions.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "common/kgl_bytes.h"
#include "kgl_showgen_music.h"

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
    // Intro: the title over the nebula beside the drooler, revealed from black (the gyroscope's
    // composition halves the picture, too dim for a card), then the blue gyroscope and the discs.
    {0.0, 0},
    {0.01, 64},
    {0.02, 3},
    {0.03, 48},
    {0.25, 12},
    {2.0, 0},
    {2.01, 42},
    {2.02, 7},
    {2.03, 87},
    {3.0, 16},
    {4.0, 45},
    {5.0, 17},
    {6.0, 43},
    {7.0, 88},
    {7.5, 18},
    // Build 1: overlay off, camera cuts on every bar, zoom trails.
    {8.0, 7},
    {8.01, 44},
    {8.02, 54},
    {9.0, 46},
    {10.0, 47},
    {10.01, 54},
    {11.0, 48},
    {12.0, 55},
    {12.02, 56},
    {13.0, 49},
    {14.0, 13},
    {14.01, 42},
    {15.0, 19},
    {15.5, 65},
    {15.78, 67},
    // Drop 1 (bar 16): the warm corridor.
    {16.0, 1},
    {16.01, 56},
    {16.02, 13},
    {16.03, 68},
    {17.0, 20},
    {18.0, 81},
    {18.5, 43},
    {19.0, 42},
    {20.0, 57},
    {20.01, 81},
    {21.0, 21},
    {22.0, 57},
    {22.01, 43},
    {23.0, 42},
    {23.5, 65},
    // Drop 1, second half (bar 24): the drooler inside its shell.
    {24.0, 3},
    {24.02, 68},
    {24.5, 60},
    {25.0, 43},
    {26.0, 77},
    {26.01, 44},
    {27.0, 61},
    {27.5, 23},
    {28.0, 79},
    {28.01, 45},
    {29.0, 82},
    {29.13, 82},
    {29.5, 42},
    {30.0, 62},
    {30.01, 83},
    {30.5, 83},
    {31.0, 78},
    {31.5, 80},
    {31.75, 24},
    // Breakdown (bar 32): the emerald crystal, letterbox, playback tricks and the batons.
    {32.0, 2},
    {32.01, 64},
    {33.0, 15},
    {34.0, 43},
    {34.01, 6},
    {34.02, 89},
    {35.0, 38},
    {35.5, 39},
    {35.75, 35},
    {36.0, 36},
    {36.01, 44},
    {37.0, 40},
    {37.01, 90},
    {37.5, 41},
    {38.0, 37},
    {38.01, 45},
    {39.0, 6},
    {39.5, 15},
    {39.75, 25},
    // Build 2 (bar 40): the roots morph under the flare.
    {40.0, 4},
    {40.01, 42},
    {40.02, 69},
    {41.0, 70},
    {41.01, 46},
    {41.5, 71},
    {42.0, 72},
    {42.01, 44},
    {42.5, 73},
    {43.0, 74},
    {43.01, 43},
    {43.25, 75},
    {43.5, 26},
    {43.79, 67},
    // Drop 2 (bar 44): the fire cave, its six particle lights and the two trails.
    {44.0, 5},
    {44.01, 68},
    {44.25, 60},
    {45.0, 61},
    {46.0, 62},
    {47.0, 63},
    {48.0, 85},
    {49.0, 65},
    {50.0, 86},
    {51.5, 16},
    // Second act. Drop 2, lead doubled (bar 52): the roots from below with the batons over them.
    {52.0, 4},
    {52.01, 47},
    {52.02, 6},
    {52.03, 89},
    {53.0, 71},
    {54.0, 48},
    {54.01, 90},
    {55.0, 73},
    // Bar 56: the fire cave close up, the discs over it, then the top view with the pulse.
    {56.0, 5},
    {56.01, 43},
    {56.02, 6},
    {56.05, 7},
    {56.06, 90},
    {56.25, 60},
    {57.0, 61},
    {57.5, 85},
    {58.0, 44},
    {58.01, 59},
    {58.02, 88},
    {58.5, 62},
    {59.0, 63},
    {59.5, 86},
    {59.75, 67},
    // Bar 60: the drooler from above inside the heart window, then the far telephoto through wave
    // grid 1.
    {60.0, 3},
    {60.01, 7},
    {60.02, 46},
    {60.03, 13},
    {60.04, 60},
    {61.0, 77},
    {62.0, 47},
    {62.01, 58},
    {62.02, 13},
    {62.03, 61},
    {62.5, 79},
    {63.0, 62},
    {63.5, 58},
    {63.75, 65},
    // Bridge (bar 64): the corridor at floor level, a wave grid, then a stutter into the drop.
    // Stepping the blend selectors and alphas hands the engine's own composition values over
    // (dark alpha 0.01 over the whole picture), which blacks the picture out until the next
    // scene switch; so they come in the last beats before the drop, one mark a frame apart,
    // with a white flash on top.
    {64.0, 1},
    {64.01, 44},
    {64.02, 81},
    {65.0, 20},
    {66.0, 45},
    {66.25, 57},
    {67.5, 57},
    {67.7, 27},
    {67.72, 28},
    {67.74, 29},
    {67.76, 30},
    {67.78, 31},
    {67.8, 32},
    {67.82, 33},
    {67.84, 34},
    {67.86, 50},
    {67.88, 51},
    {67.9, 52},
    {67.92, 53},
    {67.94, 67},
    // Drop 3 (bar 68): the crystal under the discs with zoom trails, then the gyroscope under the
    // batons, the build on the cave's inner fly-by with flashes on the beats.
    {68.0, 2},
    {68.01, 68},
    {68.02, 7},
    {68.03, 87},
    {68.04, 46},
    {69.0, 55},
    {69.01, 56},
    {70.0, 44},
    {70.01, 56},
    {71.0, 47},
    {72.0, 0},
    {72.02, 7},
    {72.04, 48},
    {72.05, 6},
    {72.06, 87},
    {73.0, 49},
    {73.01, 88},
    {74.0, 5},
    {74.01, 45},
    {74.02, 60},
    {74.03, 84},
    {74.5, 61},
    {75.0, 59},
    {75.25, 67},
    {75.5, 62},
    {75.75, 67},
    // The final drop (bar 76): the sun and its tendrils in a zoom-trail burst, the roots morphing.
    {76.0, 4},
    {76.01, 68},
    {76.02, 49},
    {76.03, 56},
    {76.04, 75},
    {76.05, 6},
    {77.0, 76},
    {77.01, 56},
    {78.0, 46},
    {78.01, 74},
    {79.0, 42},
    {79.01, 6},
    {79.02, 88},
    {79.5, 65},
    // Outro (bar 80): the gyroscope from above, then the credits over black on the nebula beside
    // the drooler and the title over black on the sun. The cards come on scenes whose composition
    // keeps the picture bright (the gyroscope's halves it), so the letters stand out.
    {80.0, 0},
    {80.01, 44},
    {81.0, 3},
    {81.0, 6},
    {81.0, 64},
    {81.01, 48},
    {81.1, 14},
    {83.5, 7},
    {83.51, 90},
    {85.0, 4},
    {85.01, 42},
    {87.0, 64},
    {87.1, 12},
    {87.5, 7},
};

// The moments the picture is meant to be (nearly) black, in seconds of music: the reveal from
// black, the quick black flashes on the beat (action 65), the black flash on the crystal drop,
// the composition stutter before the drop at 136 s, the credits over black, and the fade under
// the closing title. Every black flash of the choreography lies in one of them.
const DarkMoment kDarkMoments[] = {
    {0.0, 5.0},     {31.0, 32.0},   {47.0, 48.0},   {64.0, 67.5},   {98.0, 99.0},
    {127.5, 128.5}, {135.3, 136.2}, {159.0, 160.0}, {162.0, 167.5}, {174.0, 999.0},
};

}  // namespace

std::vector<DarkMoment> plannedDarkMoments() {
    return std::vector<DarkMoment>(std::begin(kDarkMoments), std::end(kDarkMoments));
}

Preview previewFrom(const std::vector<Cue>& cues, double fromSeconds) {
    const uint32_t step = 1600 * 4;  // more than one frame of music at 30 frames a second
    const uint32_t from = static_cast<uint32_t>(fromSeconds * kSampleRate) * 4;
    size_t before = 0;
    while (before < cues.size() && cues[before].position < from) ++before;
    double replay = static_cast<double>(before * step / 4) / kSampleRate;
    Preview p;
    p.startSeconds = std::max(0, static_cast<int>(std::floor(fromSeconds - replay - 1.0)));
    uint32_t next = static_cast<uint32_t>(p.startSeconds) * kSampleRate * 4 + step;
    for (size_t i = 0; i < cues.size(); ++i) {
        Cue c = cues[i];
        if (i < before) {
            c.position = std::min(next, from - 4);
            c.seconds = static_cast<double>(c.position / 4) / kSampleRate;
            next += step;
        }
        p.cues.push_back(c);
    }
    return p;
}

bool isUnusedAction(int action) {
    return (action >= 8 && action <= 11) || action == 22 || action == 66;
}

std::vector<Cue> choreography() {
    std::vector<Cue> cues;
    for (const Mark& m : kMarks) {
        int64_t frame = static_cast<int64_t>(std::llround(m.bar * kFramesPerBar));
        cues.push_back(
            Cue{static_cast<uint32_t>(frame * 4), m.action, static_cast<double>(frame) / kSampleRate});
    }
    std::stable_sort(cues.begin(), cues.end(),
                     [](const Cue& a, const Cue& b) { return a.position < b.position; });
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
