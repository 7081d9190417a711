#include "import/kgl_ase_text.h"

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
    size_t w = 0;
    for (size_t r = 0; r < s.size(); ++r) {
        if (s[r] == '\r' && r + 1 < s.size() && s[r + 1] == '\n') continue;
        s[w++] = s[r];
    }
    s.resize(w);
}

// The running comparison: a counter of matched characters that advances on an equal character
// and drops to 0 on any other, WITHOUT comparing that character with the token's first one again
// (so "MMESH" does not contain "MESH" for this matcher). Intended: it is what the exports were
// converted with. While the counter is 0 only the token's first character can change anything,
// so the fast version jumps there with memchr.
int fastSkipTo(AseText& text, const char* token) {
    const size_t len = std::strlen(token);
    const char* base = text.data();
    const size_t size = text.size();
    size_t pos = text.tell();
    size_t matched = 0;
    while (pos < size) {
        if (matched == 0) {
            const void* hit = std::memchr(base + pos, token[0], size - pos);
            if (!hit) break;
            pos = static_cast<size_t>(static_cast<const char*>(hit) - base) + 1;
            matched = 1;
        } else {
            matched = base[pos++] == token[matched] ? matched + 1 : 0;
        }
        if (matched == len) {
            text.seek(pos);
            return 1;
        }
    }
    text.toEnd();
    return 0;
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

bool fastMayFind(const AseText& text, const char* token) {
    const size_t len = std::strlen(token);
    const size_t from = text.tell();
    if (len == 0 || text.size() - from < len) return false;
    return memmem(text.data() + from, text.size() - from, token, len) != nullptr;
}

}  // namespace

bool AseText::load(const std::vector<uint8_t>& raw, std::string& error) {
    const size_t n = raw.size();
    if (n >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
        text_ = narrowUtf16(raw.data() + 2, n - 2, true);
        utf16_ = true;
    } else if (n >= 2 && raw[0] == 0xFE && raw[1] == 0xFF) {
        text_ = narrowUtf16(raw.data() + 2, n - 2, false);
        utf16_ = true;
    } else {
        text_.assign(reinterpret_cast<const char*>(raw.data()), n);
        utf16_ = false;
        if (text_.find('\0') != std::string::npos && n >= 2 && (raw[1] == 0 || raw[0] == 0)) {
            error = "looks like UTF-16 without a byte-order mark";
            return false;
        }
    }
    dropCrBeforeLf(text_);
    seek(0);
    return true;
}

void AseText::setText(const std::string& text) {
    text_ = text;
    utf16_ = false;
    seek(0);
}

const AseScanOps& fastAseScan() {
    static const AseScanOps ops{fastSkipTo, fastSkipToInBlock, fastMayFind};
    return ops;
}

}  // namespace kgl
