#include "import/kgl_ase_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kgl {

namespace {

// UTF-16 (either byte order, after its BOM) narrowed to Latin-1; characters beyond it become '?'.
std::string narrowUtf16(const uint8_t* p, size_t n, bool littleEndian) {
    std::string out;
    out.reserve(n / 2);
    for (size_t i = 0; i + 1 < n; i += 2) {
        const unsigned c = littleEndian ? (p[i] | (p[i + 1] << 8)) : ((p[i] << 8) | p[i + 1]);
        if (c >= 0xD800 && c <= 0xDBFF) {  // surrogate pair: one character outside Latin-1
            out.push_back('?');
            i += 2;
            continue;
        }
        out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    }
    return out;
}

// A CR LF pair reads as a single LF (as a text-mode stream delivers it); lone CRs stay.
void dropCrBeforeLf(std::string& s) {
    char* d = s.data();
    const size_t n = s.size();
    size_t r = 0, w = 0;
    for (;;) {
        const void* cr = std::memchr(d + r, '\r', n - r);
        const size_t end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - d) : n;
        if (w != r) std::memmove(d + w, d + r, end - r);
        w += end - r;
        if (!cr) break;
        r = end + 1;
        if (r >= n || d[r] != '\n') d[w++] = '\r';  // a lone CR stays
    }
    s.resize(w);
}

// The running comparison: a counter of matched characters that advances on an equal character
// and drops to 0 on any other, WITHOUT comparing that character with the token's first one again
// (so "MMESH" does not contain "MESH" for this matcher). Intended: it is what the exports were
// converted with. A hit can only end a real occurrence of the token, so the fast version jumps
// to the next occurrence (nextOccurrence) and replays the comparison from the nearest character that
// cannot be part of the token (after it the counter is surely 0), to see whether the running
// comparison really takes that occurrence.
size_t replay(const char* d, size_t from, size_t limit, const char* token, size_t len, size_t& resume) {
    size_t matched = 0;
    for (size_t i = from; i < limit; ++i) {
        matched = d[i] == token[matched] ? matched + 1 : 0;
        if (matched == len) return i + 1;
        if (matched == 0 && i + 1 >= resume) {
            resume = i + 1;  // counter back at 0 past the occurrence: search on from here
            return kAseNoHit;
        }
    }
    resume = limit;
    return kAseNoHit;
}

size_t fastFindHit(const AseText& text, size_t from, size_t limit, const char* token) {
    const char* d = text.data();
    const size_t len = std::strlen(token);
    size_t pos = from;
    while (len > 0 && pos < limit && limit - pos >= len) {
        const size_t q = text.nextOccurrence(pos, limit, token, len);
        if (q == kAseNoHit) return kAseNoHit;
        size_t x = q;
        while (x > pos && std::memchr(token, d[x - 1], len)) --x;
        size_t resume = q + 1;
        const size_t end = replay(d, x, limit, token, len, resume);
        if (end != kAseNoHit) return end;
        pos = resume;
    }
    return kAseNoHit;
}

int fastSkipToInBlock(AseText& text, const char* token) {
    const size_t len = std::strlen(token);
    size_t matched = 0;
    for (;;) {
        const int c = text.get();
        if (c == kAseEnd) return 0;
        if (c == '}') {
            text.get();  // the character after the brace is read as well
            return 2;
        }
        matched = c == static_cast<unsigned char>(token[matched]) ? matched + 1 : 0;
        if (matched == len) return 1;
    }
}

// Far searches (a token that occurs a few times in the file, or not at all) scan for the token's
// rarest character in ASE text, so the candidates are few; memchr runs at memory speed.
size_t rarestIndex(const char* token, size_t len) {
    static const char kRareFirst[] = "JQZKYWBGFUVDPXHCLONRITASEM{}_*";
    size_t best = 0;
    size_t bestRank = sizeof kRareFirst;
    for (size_t i = 0; i < len; ++i) {
        const char* at = std::strchr(kRareFirst, token[i]);
        const size_t rank = at && token[i] ? static_cast<size_t>(at - kRareFirst) : sizeof kRareFirst - 1;
        if (rank < bestRank) {
            bestRank = rank;
            best = i;
        }
    }
    return best;
}

size_t findFar(const char* d, size_t size, size_t from, const char* token, size_t len) {
    const size_t k = rarestIndex(token, len);
    size_t pos = from + k;  // where the rare character of a candidate starting at `from` sits
    while (pos < size && size - pos >= len - k) {
        const void* c = std::memchr(d + pos, token[k], size - pos - (len - k) + 1);
        if (!c) return kAseNoHit;
        const size_t q = static_cast<size_t>(static_cast<const char*>(c) - d) - k;
        if (std::memcmp(d + q, token, len) == 0) return q;
        pos = q + k + 1;
    }
    return kAseNoHit;
}

// Most searches end on one of the next lines: a plain loop over the first bytes, then memchr on
// the first character with a compare. Farther searches go to findFar.
inline bool sameAfterFirst(const char* at, const char* token, size_t len) {
    for (size_t i = 1; i < len; ++i)
        if (at[i] != token[i]) return false;
    return true;
}

size_t findNear(const char* d, size_t size, size_t from, const char* token, size_t len) {
    constexpr size_t kNearWindow = 2048;
    constexpr size_t kPlainLoop = 192;
    const size_t nearEnd = size - from > kNearWindow + len ? from + kNearWindow : size;
    if (nearEnd - from < len) return kAseNoHit;
    const size_t lastStart = nearEnd - len;  // candidates start at or before it
    const char first = token[0];
    size_t pos = from;
    for (const size_t plainEnd = std::min(lastStart + 1, from + kPlainLoop); pos < plainEnd; ++pos)
        if (d[pos] == first && sameAfterFirst(d + pos, token, len)) return pos;
    while (pos <= lastStart) {
        const void* c = std::memchr(d + pos, first, lastStart + 1 - pos);
        if (!c) break;
        const size_t q = static_cast<size_t>(static_cast<const char*>(c) - d);
        if (sameAfterFirst(d + q, token, len)) return q;
        pos = q + 1;
    }
    if (nearEnd == size) return kAseNoHit;
    return findFar(d, size, lastStart + 1, token, len);  // earlier starts were checked
}

}  // namespace

bool AseText::load(std::string raw, std::string& error) {
    const size_t n = raw.size();
    const auto* bytes = reinterpret_cast<const uint8_t*>(raw.data());
    if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text_ = narrowUtf16(bytes + 2, n - 2, true);
        utf16_ = true;
    } else if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        text_ = narrowUtf16(bytes + 2, n - 2, false);
        utf16_ = true;
    } else {
        if (n >= 2 && (bytes[0] == 0 || bytes[1] == 0)) {
            error = "looks like UTF-16 without a byte-order mark";
            return false;
        }
        text_ = std::move(raw);
        utf16_ = false;
    }
    if (std::memchr(text_.data(), '\r', text_.size())) dropCrBeforeLf(text_);
    clearOccurrences();
    seek(0);
    return true;
}

bool AseText::readWhole(const std::string& path, std::string& out) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    // The size is a hint for regular files only: a directory opens too, and its end offset can
    // be LONG_MAX, which no string can reserve. Reading a directory then fails below.
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        out.reserve(static_cast<size_t>(st.st_size));
    char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

size_t AseText::nextOccurrence(size_t from, size_t limit, const char* token, size_t len) const {
    // Open addressing on the token's address; a full table simply stops remembering.
    Occurrence* slot = nullptr;
    Occurrence* empty = nullptr;
    const size_t home = (reinterpret_cast<uintptr_t>(token) >> 2) % kOccurrenceSlots;
    for (size_t i = 0; i < kOccurrenceSlots; ++i) {
        Occurrence& o = occurrences_[(home + i) % kOccurrenceSlots];
        if (o.token == token) {
            slot = &o;
            break;
        }
        if (!o.token) {
            empty = &o;
            break;
        }
    }
    if (slot && from >= slot->from) {
        if (slot->at != kAseNoHit && from <= slot->at) return slot->at + len <= limit ? slot->at : kAseNoHit;
        if (slot->at == kAseNoHit && limit <= slot->searched) return kAseNoHit;
    }
    size_t at = kAseNoHit;
    if (from < limit && limit - from >= len) at = findNear(text_.data(), limit, from, token, len);
    if (!slot) slot = empty;
    if (slot) *slot = Occurrence{token, from, at, limit};
    return at;
}

void AseText::setText(const std::string& text) {
    text_ = text;
    utf16_ = false;
    clearOccurrences();
    seek(0);
}

const AseScanOps& fastAseScan() {
    static const AseScanOps ops{fastFindHit, fastSkipToInBlock};
    return ops;
}

}  // namespace kgl
