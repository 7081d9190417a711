// Keyword reader shared by every text input (the configuration file and the scene scripts).
// A TokenReader holds an in-memory copy of one text file and reads it one character at a time,
// finding settings by scanning forward for their keyword rather than by splitting lines.
// Owned by whoever reads the file, for the duration of that read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

class TokenReader {
public:
    static constexpr int kEof = -1;
    static constexpr size_t kMaxNumberChars = 15;  // number tokens: 15 characters + terminator

    // FindKeyword / FindKeywordInBlock results.
    static constexpr int kNotFound = 0;
    static constexpr int kFound = 1;
    static constexpr int kBlockEnd = 2;  // stopped at a '}' (block searches only)
    static constexpr int kStopped = 3;   // stopped at a '*'

    TokenReader() = default;
    virtual ~TokenReader() = default;

    // Reads the whole file; false when it cannot be opened. A CR directly before a LF is
    // dropped, so CR LF files read exactly like LF files.
    bool Open(const char* path);
    void OpenText(const std::string& text);

    // Stream primitives with stdio semantics: the end-of-file flag is raised by the read that
    // fails, and Seek clears it.
    int GetChar();
    long Tell() const { return static_cast<long>(pos_); }
    void Seek(long pos);
    bool Eof() const { return eof_; }

    // Scans forward for key. 1: the stream stands just after the key. 0: not found, stream
    // rewound. 3: a '*' stopped the search; the stream stays just after it.
    int FindKeyword(const char* key);
    // As FindKeyword, plus 2 when a '}' ends the block first (stream rewound).
    int FindKeywordInBlock(const char* key);

    int32_t ReadInt();   // as atoi
    int32_t ReadLong();  // as a 32-bit atol
    double ReadFloat();  // as atof; a ',' also ends the number

    // Stores characters up to a '"' or a line feed (consumed, not stored) or the end of the
    // file, at most size-1 of them, and terminates the text. Returns the length of the whole
    // value, which is >= size when it did not fit (the stored text is then cut short).
    size_t ReadLine(char* buf, size_t size);
    // Stores characters up to a ':' or the end of the file, at most size-1 of them; returns the
    // last character read (kEof at the end). *length receives the whole value's length.
    int ReadWord(char* buf, size_t size, size_t* length = nullptr);

private:
    int search(const char* key, bool inBlock);
    // Collects one number token into token (zero-terminated) per the number readers' rules.
    void readNumberToken(char (&token)[kMaxNumberChars + 1], bool commaEnds);

    std::vector<char> text_;
    size_t pos_ = 0;
    bool eof_ = false;
};

}  // namespace kgl
