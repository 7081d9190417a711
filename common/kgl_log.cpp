#include "common/kgl_log.h"

#include <charconv>
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

char* putFixed(char* out, float v) {
    return std::to_chars(out, out + kFixedChars, static_cast<double>(v), std::chars_format::fixed, 6).ptr;
}

}  // namespace kgl
