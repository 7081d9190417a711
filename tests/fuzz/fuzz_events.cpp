// The cue track loader on hostile bytes, then the start-up seek and a run of frames. The last
// bytes of the input choose the seek target and the positions the frames advance to; the rest
// is the track file. One track serves every input, reloaded as the show reloads it at a loop
// restart (Clear, Load): its 8 MiB spectrum store is then allocated once, not per input.
// fuzz-seeds: events
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "fuzz_common.h"
#include "sync/kgl_events.h"

namespace {

constexpr int kMaxFrames = 32;

void checkCursor(const kgl::EventTrack& t) {
    if (t.count < 0 || t.count > kgl::EventTrack::kMaxMarks) std::abort();
    if (t.cursor < 0 || t.cursor > t.count) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint32_t target = in.ConsumeIntegral<uint32_t>();
    std::vector<uint32_t> frames(in.ConsumeIntegralInRange<int>(0, kMaxFrames));
    for (uint32_t& f : frames) f = in.ConsumeIntegral<uint32_t>();
    const std::vector<uint8_t> file = in.ConsumeRemainingBytes<uint8_t>();

    const char* path = kgl_test::writeInput("actions.bin", file.data(), file.size());
    static auto* track = new kgl::EventTrack();
    track->Clear();
    track->Load(path);
    checkCursor(*track);
    track->Seek(target);
    checkCursor(*track);
    for (uint32_t position : frames) {
        track->Advance(position);
        checkCursor(*track);
        track->TakeFired(static_cast<int>(position % (kgl::EventTrack::kFiredSlots + 2)) - 1);
    }
    // Seeking again after frames have run (the loop restart path).
    track->Seek(target / 2);
    checkCursor(*track);
    return 0;
}
