// The action track as text, one mark a line:
//
//     01:23.456  3  # scene 3
//     @3528000   12 # flash 8
//
// A position is a music time MM:SS with up to six decimals (microseconds), or an exact byte
// position @BYTES. Times map to bytes through the music's sample rate and channel count (whole
// sample frames, 16-bit samples). A mark that carries a spectrum continues with "spectrum" (or
// "spectrum:FLAG" for a flag byte other than 1) and its 512 values, each a decimal float or the
// raw bits 0xHHHHHHHH. "#" starts a comment; blank lines are allowed.
//
// Everything here is pure (text and bytes in memory): the command line reads and writes the files,
// and a running show can parse a changed text with the same function.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

// How times map to byte positions.
struct MusicFormat {
    static constexpr uint32_t kFallbackRate = 44100;  // the silent clock's format
    static constexpr uint32_t kFallbackChannels = 2;
    static constexpr uint32_t kBytesPerSample = 2;

    uint32_t sampleRate = kFallbackRate;
    uint32_t channels = kFallbackChannels;
    uint32_t lengthBytes = 0;  // 0: unknown, positions are not checked against the end

    uint32_t frameBytes() const { return channels * kBytesPerSample; }
};

// One mark as the binary track stores it.
struct TrackMark {
    static constexpr int kSpectrumSize = 512;
    uint32_t position = 0;
    int32_t action = 0;
    uint8_t spectrumFlag = 0;     // the stored byte; non-zero: `spectrum` holds kSpectrumSize values
    std::vector<float> spectrum;  // empty without a spectrum
};

// Where in the text, 1-based (column counts bytes).
struct TextIssue {
    int line = 0;
    int column = 0;
    std::string message;
};

struct ParsedTrack {
    std::vector<TrackMark> marks;     // sorted by position (stable: equal positions keep their order)
    std::vector<TextIssue> warnings;  // marks out of order, past the music's end, unknown actions
    TextIssue error;                  // when parsing failed: the first error
};

constexpr size_t kMaxActionTextBytes = 64u << 20;
constexpr size_t kMaxTrackMarks = 4096;  // what the show's track holds

// Text -> marks. false on the first malformed line, with `out.error` set and no marks.
bool ParseActionText(const char* text, size_t size, const MusicFormat& format, ParsedTrack& out);

// Marks -> text. A position is written as a time when that time maps back to the same bytes,
// else as @BYTES. `nameOf` names an action for the comment (may be nullptr).
std::string FormatActionText(const std::vector<TrackMark>& marks, const MusicFormat& format,
                             const char* (*nameOf)(int action), const std::string& header);

// Binary track <-> marks. Decoding drops a short last record, as the show does, and returns how
// many bytes it dropped.
size_t DecodeActionTrack(const std::vector<uint8_t>& bytes, std::vector<TrackMark>& marks);
std::vector<uint8_t> EncodeActionTrack(const std::vector<TrackMark>& marks);

// One position ("MM:SS.ffffff" or "@BYTES") -> bytes. false with a reason when malformed or
// beyond 32 bits. `length` is how many characters it read.
bool ParseTrackPosition(const char* text, size_t size, const MusicFormat& format, uint32_t& bytes,
                        size_t& length, std::string& why);

// Bytes -> "MM:SS.mmm" (or six decimals when needed); false when no time maps back exactly.
bool FormatTrackTime(uint32_t bytes, const MusicFormat& format, std::string& out);

// "MM:SS.mmm" of a byte position, rounded to the millisecond (for messages and comments).
std::string ApproximateTime(uint32_t bytes, const MusicFormat& format);

}  // namespace kgl
