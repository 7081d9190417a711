// The start time of the show (kgl --start, the author's keys), as written on the command line.
#pragma once

#include <cstdint>
#include <string>

namespace kgl {

// A start time of the command line or of the author's keys.
struct StartTime {
    bool set = false;
    bool isBytes = false;
    double seconds = 0.0;  // when !isBytes
    uint32_t bytes = 0;    // when isBytes: bytes of decoded music
};

// "SECONDS" (75.5), "MM:SS.mmm" (1:20.250) or "@BYTES" (@14112000). False for anything else,
// negative or not finite values, and seconds beyond a day.
bool parseStartTime(const std::string& text, StartTime& out);

}  // namespace kgl
