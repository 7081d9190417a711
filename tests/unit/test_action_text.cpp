// The action track's text form: exact round trips, and malformed lines reported with their line
// and column.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "sync/kgl_action_text.h"

namespace {

kgl::MusicFormat stereo44(uint32_t lengthBytes = 0) {
    kgl::MusicFormat f;
    f.lengthBytes = lengthBytes;
    return f;
}

bool parse(const std::string& text, const kgl::MusicFormat& f, kgl::ParsedTrack& out) {
    return kgl::ParseActionText(text.data(), text.size(), f, out);
}

kgl::TrackMark mark(uint32_t position, int32_t action) {
    kgl::TrackMark m;
    m.position = position;
    m.action = action;
    return m;
}

}  // namespace

TEST(ActionText, ExportThenImportGivesTheSameBytes) {
    std::vector<kgl::TrackMark> marks = {mark(0, 0),           mark(4, 64),        mark(176400, 3),
                                         mark(11293006, 5),    mark(11293008, -1), mark(4294967292u, 4096),
                                         mark(4294967295u, 90)};
    kgl::TrackMark spectral = mark(11293010, 7);
    spectral.spectrumFlag = 3;
    spectral.spectrum.assign(kgl::TrackMark::kSpectrumSize, 0.1f);
    spectral.spectrum[1] = std::nanf("7");
    spectral.spectrum[2] = -0.0f;
    spectral.spectrum[3] = 1e-45f;
    marks.insert(marks.begin() + 5, spectral);  // in position order: the reader sorts
    kgl::MusicFormat mono22;
    mono22.sampleRate = 22050;
    mono22.channels = 1;
    for (const kgl::MusicFormat& f : {stereo44(), mono22}) {
        const std::string text = kgl::FormatActionText(marks, f, nullptr, "");
        kgl::ParsedTrack back;
        ASSERT_TRUE(parse(text, f, back))
            << back.error.line << ":" << back.error.column << " " << back.error.message;
        EXPECT_EQ(kgl::EncodeActionTrack(back.marks), kgl::EncodeActionTrack(marks)) << text.substr(0, 400);
    }
    // Whole milliseconds read as times: 64.02 s is frame 2823282 at 44.1 kHz.
    EXPECT_EQ(kgl::FormatActionText({mark(2823282 * 4, 1)}, stereo44(), nullptr, ""), "01:04.020      1\n");
}

TEST(ActionText, TimesCommentsAndOrder) {
    kgl::ParsedTrack t;
    ASSERT_TRUE(
        parse("# head\n\n  01:00.5 3 # scene\r\n00:00.000\t12\n@8 4#x\n00:00.000001 5\n", stereo44(), t));
    ASSERT_EQ(t.marks.size(), 4u);
    EXPECT_EQ(t.marks[0].position, 0u);  // sorted, equal positions keep their order
    EXPECT_EQ(t.marks[0].action, 12);
    EXPECT_EQ(t.marks[1].action, 5);  // one microsecond rounds to frame 0
    EXPECT_EQ(t.marks[2].position, 8u);
    EXPECT_EQ(t.marks[3].position, 60u * 176400 + 88200);
    ASSERT_EQ(t.warnings.size(), 1u);
    EXPECT_EQ(t.warnings[0].line, 4);
    EXPECT_NE(t.warnings[0].message.find("sorted"), std::string::npos);
}

TEST(ActionText, PastTheEndAndUnknownActionsWarn) {
    kgl::ParsedTrack t;
    ASSERT_TRUE(parse("00:00.500 3\n00:01.000 3\n00:02.000 91\n", stereo44(176400), t));
    EXPECT_EQ(t.marks.size(), 3u);
    ASSERT_EQ(t.warnings.size(), 3u);
    EXPECT_EQ(t.warnings[0].line, 2);
    EXPECT_NE(t.warnings[0].message.find("past the end of the music (00:01.000)"), std::string::npos);
    EXPECT_EQ(t.warnings[1].column, 11);
    EXPECT_NE(t.warnings[1].message.find("never performed"), std::string::npos);
    const std::string text = kgl::FormatActionText(t.marks, stereo44(176400), nullptr, "");
    EXPECT_NE(text.find("00:02.000     91  # (past the end of the music)"), std::string::npos) << text;
}

TEST(ActionText, MalformedLinesNameLineAndColumn) {
    const struct {
        const char* text;
        int line, column;
        const char* message;
    } rows[] = {
        {"00:01.000\n", 1, 10, "action number is missing"},
        {"# ok\n00:01.000 x3\n", 2, 11, "bad action 'x3'"},
        {"00:01.000 3 4\n", 1, 13, "unexpected '4'"},
        {"1:2.5 3\n", 1, 3, "two digits"},
        {"00:61.000 3\n", 1, 4, "seconds above 59"},
        {"00:01.1234567 3\n", 1, 13, "at most six decimals"},
        {"00:01. 3\n", 1, 7, "digits expected"},
        {"00:01.0x 3\n", 1, 8, "unexpected text after the position"},
        {"01 3\n", 1, 3, "expected ':'"},
        {"abc 3\n", 1, 1, "MM:SS.mmm or @BYTES"},
        {"@ 3\n", 1, 2, "digits after '@'"},
        {"@4294967296 3\n", 1, 12, "beyond 4294967295"},
        {"99999:00.000 3\n", 1, 1, "beyond the largest byte position"},
        {"00:01.000 2147483648\n", 1, 11, "bad action"},
        {"00:01.000 3 spectrum 1 2\n", 1, 25, "has 2 values, not 512"},
        {"00:01.000 3 spectrum:0\n", 1, 13, "unexpected 'spectrum:0'"},
    };
    for (const auto& r : rows) {
        kgl::ParsedTrack t;
        EXPECT_FALSE(parse(r.text, stereo44(), t)) << r.text;
        EXPECT_TRUE(t.marks.empty());
        EXPECT_EQ(t.error.line, r.line) << r.text;
        EXPECT_EQ(t.error.column, r.column) << r.text;
        EXPECT_NE(t.error.message.find(r.message), std::string::npos) << r.text << " -> " << t.error.message;
    }
}
