// The one diagnostic line format for everything that is not one of the system's own messages or
// log files: "SUBSYSTEM: [name] what happened" on stderr.
#pragma once

namespace kgl {

void logLine(const char* subsystem, const char* name, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace kgl
