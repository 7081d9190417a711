#include "app/kgl_start_time.h"

#include <cmath>
#include <cstdlib>

namespace kgl {

namespace {

constexpr double kMaxStartSeconds = 86400.0;
constexpr uint32_t kMaxStartMinutes = 1440;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Unsigned decimal "D+" or "D+.D*"; nothing else (no sign, spaces or exponent).
bool readDecimal(const char* text, double& out) {
    const char* p = text;
    if (!isDigit(*p)) return false;
    while (isDigit(*p)) ++p;
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) ++p;
    }
    if (*p != '\0' || p - text > 20) return false;
    out = std::strtod(text, nullptr);
    return std::isfinite(out);
}

bool readBytes(const char* text, uint32_t& out) {
    if (!isDigit(*text)) return false;
    uint64_t v = 0;
    for (const char* p = text; *p; ++p) {
        if (!isDigit(*p)) return false;
        v = v * 10 + static_cast<uint64_t>(*p - '0');
        if (v > UINT32_MAX) return false;
    }
    out = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

bool parseStartTime(const std::string& text, StartTime& out) {
    StartTime t;
    t.set = true;
    const char* s = text.c_str();
    if (text.size() > 32) return false;
    if (s[0] == '@') {
        t.isBytes = true;
        if (!readBytes(s + 1, t.bytes)) return false;
    } else if (const size_t colon = text.find(':'); colon != std::string::npos) {
        const std::string minutes = text.substr(0, colon);
        double m = 0.0;
        double sec = 0.0;
        if (minutes.find('.') != std::string::npos || !readDecimal(minutes.c_str(), m)) return false;
        if (!readDecimal(s + colon + 1, sec) || sec >= 60.0 || m > kMaxStartMinutes) return false;
        t.seconds = m * 60.0 + sec;
    } else if (!readDecimal(s, t.seconds)) {
        return false;
    }
    if (!t.isBytes && t.seconds > kMaxStartSeconds) return false;
    out = t;
    return true;
}

}  // namespace kgl
