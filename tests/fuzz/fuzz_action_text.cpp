// The action track's text reader on hostile text, under two music formats chosen by the first
// byte. Whatever it accepts must write back to a text that reads to the same binary track.
// fuzz-seeds: actiontext
// fuzz-dict: "spectrum" "spectrum:" "@" ":" "." "#" "0x" "\x0A" "-"
#include <cstdlib>

#include "sync/kgl_action_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kgl::MusicFormat format;
    if (size > 0 && (data[0] & 1)) {
        format.sampleRate = 22050;
        format.channels = 1;
        format.lengthBytes = 88200;
    }
    kgl::ParsedTrack track;
    if (!kgl::ParseActionText(reinterpret_cast<const char*>(data), size, format, track)) {
        if (!track.marks.empty() || track.error.message.empty()) std::abort();
        return 0;
    }
    const std::vector<uint8_t> bytes = kgl::EncodeActionTrack(track.marks);
    const std::string text = kgl::FormatActionText(track.marks, format, nullptr, "# again\n");
    kgl::ParsedTrack again;
    if (!kgl::ParseActionText(text.data(), text.size(), format, again)) std::abort();
    if (kgl::EncodeActionTrack(again.marks) != bytes) std::abort();
    return 0;
}
