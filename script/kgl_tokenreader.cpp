#include "script/kgl_tokenreader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/kgl_bytes.h"

namespace kgl {

namespace {

// Files are read as text: CR LF becomes LF, so scripts saved with either line end read alike.
void dropCrBeforeLf(const std::vector<uint8_t>& raw, std::vector<char>& out) {
    out.clear();
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out.push_back(static_cast<char>(raw[i]));
    }
}

// Numbers are 32-bit: a value that fits is taken as it is and a larger one keeps its low 32 bits;
// absurdly long digit runs saturate first (strtoll never overflows silently).
int32_t toInt32(const char* token) {
    long long v = std::strtoll(token, nullptr, 10);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(v)));
}

}  // namespace

bool TokenReader::Open(const char* path) {
    std::vector<uint8_t> raw;
    if (!path || !readFile(path, raw)) return false;
    dropCrBeforeLf(raw, text_);
    pos_ = 0;
    eof_ = false;
    return true;
}

void TokenReader::OpenText(const std::string& text) {
    std::vector<uint8_t> raw(text.begin(), text.end());
    dropCrBeforeLf(raw, text_);
    pos_ = 0;
    eof_ = false;
}

int TokenReader::GetChar() {
    if (pos_ >= text_.size()) {
        eof_ = true;
        return kEof;
    }
    return static_cast<unsigned char>(text_[pos_++]);
}

void TokenReader::Seek(long pos) {
    if (pos < 0) pos = 0;
    pos_ = static_cast<size_t>(pos) < text_.size() ? static_cast<size_t>(pos) : text_.size();
    eof_ = false;
}

int TokenReader::FindKeyword(const char* key) {
    return search(key, false);
}
int TokenReader::FindKeywordInBlock(const char* key) {
    return search(key, true);
}

// The matcher compares each character with the next expected key character only. On a mismatch
// it starts over WITHOUT retesting that character as the key's first one: "MMP3:" does not
// contain "MP3:" for this reader. The scripts rely on this, so it stays.
int TokenReader::search(const char* key, bool inBlock) {
    const long start = Tell();
    const size_t n = key ? std::strlen(key) : 0;
    if (n == 0) return kNotFound;
    int c = GetChar();
    size_t matched = 0;
    int result = kNotFound;
    while (!eof_ && result == kNotFound) {
        if (c == static_cast<unsigned char>(key[matched])) {
            ++matched;
        } else {
            matched = 0;
        }
        if (matched > n - 1) {
            result = kFound;
        } else {
            c = GetChar();
        }
        if (inBlock && c == '}') result = kBlockEnd;
        if (c == '*') result = kStopped;
    }
    if (result == kNotFound || result == kBlockEnd) Seek(start);
    return result;
}

// The first character after any spaces and tabs is always stored, even a line feed, so a value
// may stand on the line after its key. The token ends at a terminator (consumed), at the end of
// the file, or after 15 characters; the rest of an over-long token is consumed and dropped.
void TokenReader::readNumberToken(char (&token)[kMaxNumberChars + 1], bool commaEnds) {
    auto terminates = [commaEnds](int c) {
        return c == '\n' || c == ' ' || c == ':' || c == '\t' || (commaEnds && c == ',') || c == kEof;
    };
    size_t len = 0;
    int c = GetChar();
    while (c == ' ' || c == '\t') c = GetChar();
    if (c == kEof) {
        token[0] = '\0';
        return;
    }
    token[len++] = static_cast<char>(c);
    for (c = GetChar(); !terminates(c); c = GetChar()) {
        if (len < kMaxNumberChars) token[len++] = static_cast<char>(c);
    }
    token[len] = '\0';
}

int32_t TokenReader::ReadInt() {
    char token[kMaxNumberChars + 1];
    readNumberToken(token, false);
    return toInt32(token);
}

int32_t TokenReader::ReadLong() {
    char token[kMaxNumberChars + 1];
    readNumberToken(token, false);
    return toInt32(token);
}

double TokenReader::ReadFloat() {
    char token[kMaxNumberChars + 1];
    readNumberToken(token, true);
    return std::atof(token);
}

size_t TokenReader::ReadLine(char* buf, size_t size) {
    size_t len = 0;
    for (int c = GetChar(); c != '"' && c != '\n' && c != kEof; c = GetChar()) {
        if (buf && len + 1 < size) buf[len] = static_cast<char>(c);
        ++len;
    }
    if (buf && size > 0) buf[len < size ? len : size - 1] = '\0';
    return len;
}

int TokenReader::ReadWord(char* buf, size_t size, size_t* length) {
    size_t len = 0;
    int c = GetChar();
    for (; c != ':' && c != kEof; c = GetChar()) {
        if (buf && len + 1 < size) buf[len] = static_cast<char>(c);
        ++len;
    }
    if (buf && size > 0) buf[len < size ? len : size - 1] = '\0';
    if (length) *length = len;
    return c;
}

}  // namespace kgl
