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

// The cues in ascending position order.
std::vector<Cue> choreography();
std::vector<uint8_t> actionsFile(const std::vector<Cue>& cues);
// Action numbers the director knows that the show never uses (the four empty scene slots and
// the two numbers without an action): 8, 9, 10, 11, 22, 66.
bool isUnusedAction(int action);

}  // namespace showgen
}  // namespace kgl
