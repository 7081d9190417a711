// The ASE input as the importer reads it: the whole file in memory as 8-bit text (a UTF-16 file
// with a byte-order mark is narrowed to Latin-1, a CR LF pair reads as one LF) with a bounded
// character cursor. Owned by one AseImporter run. Reading at the end never moves past the
// buffer: it returns kAseEnd and marks the cursor, so every search loop can stop there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

constexpr int kAseEnd = -1;  // what get() returns at the end of the input
constexpr size_t kAseNoHit = static_cast<size_t>(-1);

class AseText {
public:
    virtual ~AseText() = default;

    // Decodes raw file bytes (taken over). False (with `error` set) when they cannot be decoded.
    bool load(std::string raw, std::string& error);
    // Reads a whole file into `out` (no decoding); false when it cannot be read.
    static bool readWhole(const std::string& path, std::string& out);
    void setText(const std::string& text);  // already decoded text (tests)

    int get() {
        if (pos_ < text_.size()) return static_cast<unsigned char>(text_[pos_++]);
        hitEnd_ = true;
        return kAseEnd;
    }
    size_t tell() const { return pos_; }
    // Returns to a remembered position; the end mark is cleared.
    void seek(size_t pos) {
        pos_ = pos < text_.size() ? pos : text_.size();
        hitEnd_ = false;
    }
    void toEnd() {
        pos_ = text_.size();
        hitEnd_ = true;
    }
    // The value readers' collection: skips spaces, takes the next character whatever it is, then
    // characters up to a space, tab or line feed (consumed). Keeps at most cap - 1 characters.
    void collectValue(char* buf, size_t cap) {
        size_t n = 0;
        const size_t size = text_.size();
        while (pos_ < size && text_[pos_] == ' ') ++pos_;
        if (pos_ < size) {
            buf[n++] = text_[pos_++];
            for (;;) {
                if (pos_ >= size) {
                    hitEnd_ = true;
                    break;
                }
                const char c = text_[pos_++];
                if (c == ' ' || c == '\t' || c == '\n') break;
                if (n + 1 < cap) buf[n++] = c;
            }
        } else {
            hitEnd_ = true;
        }
        buf[n] = '\0';
    }
    void advance(size_t n) { pos_ = n < text_.size() - pos_ ? pos_ + n : text_.size(); }
    bool hitEnd() const { return hitEnd_; }
    size_t size() const { return text_.size(); }
    const char* data() const { return text_.data(); }
    bool decodedFromUtf16() const { return utf16_; }

    // Start of the first occurrence of `token` (len characters) at or after `from`, or
    // kAseNoHit. Remembers the last answer per token, so the many searches that the converters
    // repeat from later positions (probes to the end of the file) cost nothing after the first.
    // Only occurrences that end before `limit` are looked for.
    size_t nextOccurrence(size_t from, size_t limit, const char* token, size_t len) const;

private:
    struct Occurrence {
        const char* token;  // the token's address (the converters pass string literals)
        size_t from;
        size_t at;        // kAseNoHit: none in [from, searched)
        size_t searched;  // end of the text searched
    };
    static constexpr size_t kOccurrenceSlots = 64;
    void clearOccurrences() {
        for (Occurrence& o : occurrences_) o = Occurrence{nullptr, 0, 0, 0};
    }
    mutable Occurrence occurrences_[kOccurrenceSlots] = {};

    std::string text_;
    size_t pos_ = 0;
    bool hitEnd_ = false;
    bool utf16_ = false;
};

// The token searches, behind a small table so that tests can run the converters over a plain
// character-by-character reference and compare the output byte for byte.
struct AseScanOps {
    // The running comparison started at `from` (counter 0) over the characters before `limit`:
    // the position just after the first completed match, or kAseNoHit.
    size_t (*findHit)(const AseText& text, size_t from, size_t limit, const char* token);
    // 1 = found (cursor just after the token), 2 = "}" read first (cursor one character past
    // it), 0 = end of input.
    int (*skipToInBlock)(AseText& text, const char* token);
};

const AseScanOps& fastAseScan();

}  // namespace kgl
