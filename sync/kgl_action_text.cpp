// The action track's text form: the line reader, the writer and the time <-> byte mapping.
#include "sync/kgl_action_text.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/kgl_bytes.h"

namespace kgl {

namespace {

constexpr uint64_t kMicros = 1000000;
constexpr uint64_t kMicrosPerMinute = 60 * kMicros;
constexpr int kMaxMinuteDigits = 7;
constexpr int kMaxFractionDigits = 6;
constexpr int kFirstKnownAction = 0;
constexpr int kLastKnownAction = 90;
constexpr size_t kMaxValueChars = 48;
constexpr size_t kSpectrumBytes = TrackMark::kSpectrumSize * 4;

uint64_t rateOf(const MusicFormat& f) {
    return f.sampleRate ? f.sampleRate : MusicFormat::kFallbackRate;
}

uint64_t frameBytesOf(const MusicFormat& f) {
    return f.channels ? f.frameBytes() : MusicFormat::kFallbackChannels * MusicFormat::kBytesPerSample;
}

// Microseconds -> whole sample frames, rounded to the nearest frame.
uint64_t microsToFrames(uint64_t micros, const MusicFormat& f) {
    return (micros * rateOf(f) + kMicros / 2) / kMicros;
}

uint64_t framesToMicros(uint64_t frames, const MusicFormat& f) {
    return (frames * kMicros + rateOf(f) / 2) / rateOf(f);
}

std::string timeText(uint64_t micros, int decimals) {
    const uint64_t minutes = micros / kMicrosPerMinute;
    const unsigned seconds = static_cast<unsigned>(micros / kMicros % 60);
    const unsigned fraction = static_cast<unsigned>(micros % kMicros);
    char text[48];
    if (decimals == 3) {
        std::snprintf(text, sizeof text, "%02" PRIu64 ":%02u.%03u", minutes, seconds, fraction / 1000);
    } else {
        std::snprintf(text, sizeof text, "%02" PRIu64 ":%02u.%06u", minutes, seconds, fraction);
    }
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Reads a run of digits into `value` (at most `maxDigits`). Returns the count read, -1 on too many.
int readDigits(const char* p, size_t size, int maxDigits, uint64_t& value) {
    value = 0;
    int n = 0;
    while (static_cast<size_t>(n) < size && isDigit(p[n])) {
        if (n == maxDigits) return -1;
        value = value * 10 + static_cast<uint64_t>(p[n] - '0');
        ++n;
    }
    return n;
}

// One line split into tokens (byte offsets into the line), up to a comment.
struct Token {
    const char* text;
    size_t size;
    int column;
};

class LineTokens {
public:
    LineTokens(const char* line, size_t size) : line_(line), size_(size) {}
    bool next(Token& t) {
        while (at_ < size_ && isBlank(line_[at_])) ++at_;
        if (at_ >= size_ || line_[at_] == '#') return false;
        const size_t start = at_;
        while (at_ < size_ && !isBlank(line_[at_]) && line_[at_] != '#') ++at_;
        t = {line_ + start, at_ - start, static_cast<int>(start) + 1};
        return true;
    }

private:
    const char* line_;
    size_t size_;
    size_t at_ = 0;
};

std::string quoted(const Token& t) {
    const size_t shown = std::min<size_t>(t.size, 24);
    std::string s = "'" + std::string(t.text, shown);
    return s + (shown < t.size ? "...'" : "'");
}

bool parseAction(const Token& t, int32_t& action) {
    size_t i = 0;
    const bool negative = t.size > 0 && t.text[0] == '-';
    if (negative) i = 1;
    uint64_t v = 0;
    const int n = readDigits(t.text + i, t.size - i, 10, v);
    if (n <= 0 || i + static_cast<size_t>(n) != t.size) return false;
    if (negative ? v > 2147483648ull : v > 2147483647ull) return false;
    action = negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
    return true;
}

bool parseHexBits(const Token& t, float& value) {
    if (t.size != 10 || t.text[0] != '0' || (t.text[1] != 'x' && t.text[1] != 'X')) return false;
    uint32_t bits = 0;
    for (size_t i = 2; i < t.size; ++i) {
        const char c = t.text[i];
        uint32_t d;
        if (isDigit(c)) {
            d = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            d = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return false;
        }
        bits = bits << 4 | d;
    }
    std::memcpy(&value, &bits, sizeof value);
    return true;
}

bool parseValue(const Token& t, float& value) {
    if (parseHexBits(t, value)) return true;
    if (t.size == 0 || t.size > kMaxValueChars) return false;
    char text[kMaxValueChars + 1];
    std::memcpy(text, t.text, t.size);
    text[t.size] = '\0';
    if (!isDigit(text[0]) && text[0] != '-' && text[0] != '+' && text[0] != '.') return false;
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end == text + t.size;
}

// "spectrum" or "spectrum:FLAG" with FLAG 1..255.
bool parseSpectrumWord(const Token& t, uint8_t& flag) {
    static const char kWord[] = "spectrum";
    const size_t n = sizeof kWord - 1;
    if (t.size < n || std::memcmp(t.text, kWord, n) != 0) return false;
    if (t.size == n) {
        flag = 1;
        return true;
    }
    uint64_t v = 0;
    if (t.text[n] != ':' ||
        readDigits(t.text + n + 1, t.size - n - 1, 3, v) != static_cast<int>(t.size - n - 1) ||
        t.size == n + 1 || v < 1 || v > 255) {
        return false;
    }
    flag = static_cast<uint8_t>(v);
    return true;
}

class TextReader {
public:
    TextReader(const MusicFormat& format, ParsedTrack& out) : format_(format), out_(out) {}

    bool line(const char* text, size_t size, int number) {
        number_ = number;
        LineTokens tokens(text, size);
        Token t{};
        if (!tokens.next(t)) return true;  // blank or comment
        TrackMark mark;
        size_t used = 0;
        std::string why;
        if (!ParseTrackPosition(t.text, t.size, format_, mark.position, used, why)) {
            return fail(t.column + static_cast<int>(used), why);
        }
        if (used != t.size)
            return fail(t.column + static_cast<int>(used), "unexpected text after the position");
        const int positionColumn = t.column;
        if (!tokens.next(t))
            return fail(static_cast<int>(size) + 1, "an action number is missing after the position");
        if (!parseAction(t, mark.action))
            return fail(t.column, "bad action " + quoted(t) + " (a whole number)");
        if (mark.action < kFirstKnownAction || mark.action > kLastKnownAction) {
            warn(t.column,
                 "action " + std::to_string(mark.action) + " is never performed (actions are 0..90)");
        }
        if (tokens.next(t)) {
            if (!parseSpectrumWord(t, mark.spectrumFlag)) return fail(t.column, "unexpected " + quoted(t));
            mark.spectrum.resize(TrackMark::kSpectrumSize);
            for (int i = 0; i < TrackMark::kSpectrumSize; ++i) {
                if (!tokens.next(t)) {
                    return fail(static_cast<int>(size) + 1, "the spectrum has " + std::to_string(i) +
                                                                " values, not " +
                                                                std::to_string(TrackMark::kSpectrumSize));
                }
                if (!parseValue(t, mark.spectrum[i]))
                    return fail(t.column, "bad spectrum value " + quoted(t));
            }
            if (tokens.next(t)) return fail(t.column, "unexpected " + quoted(t) + " after the spectrum");
        }
        checkPlace(mark.position, positionColumn);
        out_.marks.push_back(std::move(mark));
        return true;
    }

private:
    void checkPlace(uint32_t position, int column) {
        if (format_.lengthBytes && position >= format_.lengthBytes) {
            warn(column, "past the end of the music (" + ApproximateTime(format_.lengthBytes, format_) +
                             "): the mark never fires");
        }
        if (!out_.marks.empty() && position < out_.marks.back().position && !unordered_) {
            unordered_ = true;
            warn(column, "before the previous mark; the marks are sorted by position");
        }
        if (out_.marks.size() == kMaxTrackMarks) {
            warn(column, "more than " + std::to_string(kMaxTrackMarks) +
                             " marks: the show reads only the first " + std::to_string(kMaxTrackMarks));
        }
    }

    bool fail(int column, const std::string& message) {
        out_.error = {number_, column, message};
        return false;
    }

    void warn(int column, const std::string& message) { out_.warnings.push_back({number_, column, message}); }

    const MusicFormat& format_;
    ParsedTrack& out_;
    int number_ = 0;
    bool unordered_ = false;
};

}  // namespace

bool ParseTrackPosition(const char* text, size_t size, const MusicFormat& format, uint32_t& bytes,
                        size_t& length, std::string& why) {
    length = 0;
    if (size > 0 && text[0] == '@') {
        uint64_t v = 0;
        const int n = readDigits(text + 1, size - 1, 11, v);
        length = 1 + static_cast<size_t>(std::max(n, 0));
        if (n <= 0) {
            why = "a byte position needs digits after '@'";
            return false;
        }
        if (v > UINT32_MAX) {
            why = "byte position beyond 4294967295";
            return false;
        }
        bytes = static_cast<uint32_t>(v);
        return true;
    }
    uint64_t minutes = 0, seconds = 0, fraction = 0;
    const int m = readDigits(text, size, kMaxMinuteDigits, minutes);
    if (m <= 0) {
        why = m < 0 ? "too many minutes" : "a position is MM:SS.mmm or @BYTES";
        length = m < 0 ? kMaxMinuteDigits : 0;
        return false;
    }
    length = static_cast<size_t>(m);
    if (length >= size || text[length] != ':') {
        why = "expected ':' after the minutes (MM:SS.mmm)";
        return false;
    }
    ++length;
    const int s = readDigits(text + length, size - length, 2, seconds);
    if (s != 2 || (length + 2 < size && isDigit(text[length + 2]))) {
        why = "the seconds take two digits (MM:SS.mmm)";
        return false;
    }
    if (seconds > 59) {
        why = "seconds above 59";
        return false;
    }
    length += 2;
    if (length < size && text[length] == '.') {
        ++length;
        const int f = readDigits(text + length, size - length, kMaxFractionDigits, fraction);
        if (f <= 0) {
            why = f < 0 ? "at most six decimals (microseconds)" : "digits expected after '.'";
            if (f < 0) length += kMaxFractionDigits;
            return false;
        }
        for (int i = f; i < kMaxFractionDigits; ++i) fraction *= 10;
        length += static_cast<size_t>(f);
    }
    const uint64_t micros = minutes * kMicrosPerMinute + seconds * kMicros + fraction;
    const uint64_t b = microsToFrames(micros, format) * frameBytesOf(format);
    if (b > UINT32_MAX) {
        why = "time beyond the largest byte position (4294967295)";
        length = 0;
        return false;
    }
    bytes = static_cast<uint32_t>(b);
    return true;
}

bool FormatTrackTime(uint32_t bytes, const MusicFormat& format, std::string& out) {
    const uint64_t fb = frameBytesOf(format);
    if (bytes % fb != 0) return false;
    const uint64_t frames = bytes / fb;
    const uint64_t micros = framesToMicros(frames, format);
    const uint64_t millis = (micros + 500) / 1000 * 1000;
    if (microsToFrames(millis, format) == frames) {
        out = timeText(millis, 3);
        return true;
    }
    if (microsToFrames(micros, format) != frames) return false;
    out = timeText(micros, 6);
    return true;
}

std::string ApproximateTime(uint32_t bytes, const MusicFormat& format) {
    const uint64_t micros = framesToMicros(bytes / frameBytesOf(format), format);
    return timeText((micros + 500) / 1000 * 1000, 3);
}

bool ParseActionText(const char* text, size_t size, const MusicFormat& format, ParsedTrack& out) {
    out = ParsedTrack();
    if (size > kMaxActionTextBytes) {
        out.error = {0, 0, "larger than " + std::to_string(kMaxActionTextBytes >> 20) + " MiB"};
        return false;
    }
    TextReader reader(format, out);
    size_t at = 0;
    int number = 1;
    while (at < size) {
        const char* nl = static_cast<const char*>(std::memchr(text + at, '\n', size - at));
        const size_t end = nl ? static_cast<size_t>(nl - text) : size;
        if (!reader.line(text + at, end - at, number)) {
            out.marks.clear();
            return false;
        }
        at = end + 1;
        ++number;
    }
    std::stable_sort(out.marks.begin(), out.marks.end(),
                     [](const TrackMark& a, const TrackMark& b) { return a.position < b.position; });
    return true;
}

std::string FormatActionText(const std::vector<TrackMark>& marks, const MusicFormat& format,
                             const char* (*nameOf)(int action), const std::string& header) {
    std::string text = header;
    char buffer[64];
    for (const TrackMark& m : marks) {
        std::string position;
        if (!FormatTrackTime(m.position, format, position)) position = "@" + std::to_string(m.position);
        std::snprintf(buffer, sizeof buffer, "%-12s  %2" PRId32, position.c_str(), m.action);
        text += buffer;
        if (m.spectrumFlag) {
            text += m.spectrumFlag == 1 ? "  spectrum" : "  spectrum:" + std::to_string(m.spectrumFlag);
            for (int i = 0; i < TrackMark::kSpectrumSize; ++i) {
                const float v = i < static_cast<int>(m.spectrum.size()) ? m.spectrum[i] : 0.0f;
                if (std::isfinite(v)) {
                    std::snprintf(buffer, sizeof buffer, " %.9g", static_cast<double>(v));
                } else {
                    uint32_t bits = 0;
                    std::memcpy(&bits, &v, sizeof bits);
                    std::snprintf(buffer, sizeof buffer, " 0x%08" PRIx32, bits);
                }
                text += buffer;
            }
        }
        const char* name = nameOf ? nameOf(m.action) : nullptr;
        const bool past = format.lengthBytes && m.position >= format.lengthBytes;
        if (name || past || position[0] == '@') {
            text += "  #";
            if (name) text += std::string(" ") + name;
            if (position[0] == '@') text += " (" + ApproximateTime(m.position, format) + ")";
            if (past) text += " (past the end of the music)";
        }
        text += '\n';
    }
    return text;
}

size_t DecodeActionTrack(const std::vector<uint8_t>& bytes, std::vector<TrackMark>& marks) {
    marks.clear();
    ByteReader r(bytes);
    size_t consumed = 0;
    while (r.remaining() > 0) {
        TrackMark m;
        uint8_t flag = 0;
        if (!r.u32(m.position) || !r.i32(m.action) || !r.u8(flag)) break;
        if (flag) {
            if (r.remaining() < kSpectrumBytes) break;
            m.spectrum.resize(TrackMark::kSpectrumSize);
            for (float& v : m.spectrum) r.f32(v);
        }
        m.spectrumFlag = flag;
        marks.push_back(std::move(m));
        consumed = bytes.size() - r.remaining();
    }
    return bytes.size() - consumed;
}

std::vector<uint8_t> EncodeActionTrack(const std::vector<TrackMark>& marks) {
    ByteWriter w;
    for (const TrackMark& m : marks) {
        w.u32(m.position);
        w.i32(m.action);
        w.u8(m.spectrumFlag);
        if (!m.spectrumFlag) continue;
        for (int i = 0; i < TrackMark::kSpectrumSize; ++i) {
            w.f32(i < static_cast<int>(m.spectrum.size()) ? m.spectrum[i] : 0.0f);
        }
    }
    return std::move(w.bytes());
}

}  // namespace kgl
