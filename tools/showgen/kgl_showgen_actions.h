// The choreography of the default show: which director action happens at which point of the
// music, written as "escena/actions.bin" (position in bytes of decoded audio, action, no spectrum).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgl {
namespace showgen {

struct Cue {
    uint32_t position;  // bytes of decoded 16-bit stereo audio: sample frame x 4
    int32_t action;
    double seconds;
};

struct DarkMoment {
    double from, to;  // seconds of music
};

// The cues in ascending position order.
std::vector<Cue> choreography();
// Where the show is meant to be dark; everywhere else every second has a mean level of 6 % or more.
std::vector<DarkMoment> plannedDarkMoments();
// A preview of the show from `fromSeconds` on: the music starts a little earlier, at
// `startSeconds`, and the cues before `fromSeconds` are replayed one a frame from there, so the
// show state has caught up when the music reaches `fromSeconds`.
struct Preview {
    int startSeconds = 0;
    std::vector<Cue> cues;
};
Preview previewFrom(const std::vector<Cue>& cues, double fromSeconds);
std::vector<uint8_t> actionsFile(const std::vector<Cue>& cues);
// Action numbers the director knows that the show never uses (the four empty scene slots and
// the two numbers without an action): 8, 9, 10, 11, 22, 66.
bool isUnusedAction(int action);

}  // namespace showgen
}  // namespace kgl
