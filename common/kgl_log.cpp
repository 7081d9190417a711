#include "common/kgl_log.h"

#include <cstdarg>
#include <cstdio>

namespace kgl {

void logLine(const char* subsystem, const char* name, const char* fmt, ...) {
    char text[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    std::fprintf(stderr, "%s: [%s] %s\n", subsystem, name ? name : "", text);
}

}  // namespace kgl
