// The one diagnostic line format for everything that is not one of the system's own messages or
// log files: "SUBSYSTEM: [name] what happened" on stderr.
#pragma once

namespace kgl {

void logLine(const char* subsystem, const char* name, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));

// Writes `v` at `out` as printf's "%f" writes a float (the same digits and rounding, "nan" and
// "inf" included) and returns the end, at most kFixedChars further: the log files of whole scenes
// are written several times faster than through printf.
constexpr int kFixedChars = 48;  // "-", the 39 digits of the largest float, "." and six places
char* putFixed(char* out, float v);

}  // namespace kgl
