// The importer's token readers: separators, buffer limits, the running comparison that does not
// retest a mismatching character, the block rule, the end of input, and the fast search against
// the literal reference.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "import_testing.h"

namespace kgl {
namespace {

using kgl_test::literalFindHit;

struct Reader {
    explicit Reader(const std::string& text) { imp.text().setText(text); }
    AseImporter imp;
};

TEST(AseReaders, ReadIntSeparators) {
    Reader a(" \t42\nX");
    EXPECT_EQ(a.imp.ReadInt(), 42);
    EXPECT_EQ(a.imp.text().tell(), 5u);  // the line feed is consumed

    Reader b("\t\t42\n");
    EXPECT_EQ(b.imp.ReadInt(), 0);  // the first tab is the value, the second ends it
    EXPECT_EQ(b.imp.text().tell(), 2u);

    Reader c("   -17 9");
    EXPECT_EQ(c.imp.ReadInt(), -17);
    EXPECT_EQ(c.imp.ReadInt(), 9);
    EXPECT_TRUE(c.imp.hitEnd());  // the last value ran into the end of input
}

TEST(AseReaders, NumbersKeepTheirFirstCharactersAndFloatsAreExact) {
    Reader a(std::string(30, '7') + " 5\n");
    EXPECT_EQ(a.imp.ReadLong(), 7777777777777777777L);  // 19 characters kept of 30
    EXPECT_EQ(a.imp.ReadInt(), 5);

    // The fast float path must give what strtof gives, on the exporter's forms and on others.
    std::mt19937 rng(7);
    std::string text;
    std::vector<std::string> values = {
        "-1.#IND",      "1e3",  "0.1", "-0.0000", "16777216.5", "123456789.1234",
        "3.4028236e38", "+2.5", ".5",  "5.",      "0x10",       "-"};
    for (int i = 0; i < 3000; ++i) {
        char buf[32];
        const int digits = static_cast<int>(rng() % 9);
        std::snprintf(buf, sizeof buf, "%s%u.%0*u", (rng() & 1) ? "-" : "",
                      static_cast<unsigned>(rng() % 100000), digits,
                      static_cast<unsigned>(rng() % 1000000000u) %
                          (digits ? static_cast<unsigned>(std::pow(10, digits)) : 1u));
        values.push_back(buf);
    }
    for (const auto& v : values) text += "\t" + v + "\n";
    Reader r(text);
    for (const auto& v : values) {
        const float got = r.imp.ReadFloat();
        const float want = std::strtof(v.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&got, &want, 4), 0) << v;
    }
}

TEST(AseReaders, SkipToIsARunningComparison) {
    Reader a("xMMESHx");
    EXPECT_EQ(a.imp.SkipTo("MESH"), 0);  // the second M mismatched "E" and was not retested
    EXPECT_TRUE(a.imp.hitEnd());

    Reader b("*MESH_VERTEX_LIST {");
    EXPECT_EQ(b.imp.SkipTo("MESH_VERTEX"), 1);  // found inside the longer token
    EXPECT_EQ(b.imp.text().tell(), 12u);

    Reader c("ab");
    EXPECT_EQ(c.imp.SkipTo("abc"), 0);
    EXPECT_EQ(c.imp.text().tell(), 2u);
}

TEST(AseReaders, SkipToInBlockStopsAtABrace) {
    Reader a("\t}\n\t*CONTROL_POS_SAMPLE 0");
    EXPECT_EQ(a.imp.SkipToInBlock("CONTROL_POS_SAMPLE"), 2);
    EXPECT_EQ(a.imp.text().tell(), 3u);  // after the line feed that follows the brace

    Reader b("*CONTROL_POS_SAMPLE 0 }");
    EXPECT_EQ(b.imp.SkipToInBlock("CONTROL_POS_SAMPLE"), 1);
    Reader c("no brace here");
    EXPECT_EQ(c.imp.SkipToInBlock("CONTROL"), 0);
}

TEST(AseReaders, NamesAndFileNames) {
    Reader a(" \"C:\\3dsmax\\maps\\wood.jpg\"\nrest");
    char buf[kAseNameBuffer];
    EXPECT_EQ(a.imp.ReadFileName(buf), 8u);
    EXPECT_STREQ(buf, "wood.jpg");

    Reader b(" \"plain.jpg\"");
    b.imp.ReadFileName(buf);
    EXPECT_STREQ(buf, "plain.jpg");

    Reader c(" \"\\\\Server\\share\\x.jpg\"");  // UNC path
    c.imp.ReadFileName(buf);
    EXPECT_STREQ(buf, "x.jpg");

    Reader d("Box 01\" tail");
    EXPECT_EQ(d.imp.ReadUntilQuote(buf), 6u);
    EXPECT_STREQ(buf, "Box 01");

    Reader e(std::string(400, 'n') + "\"");
    EXPECT_EQ(e.imp.ReadUntilQuote(buf), kAseNameBuffer - 1);  // bounded by the name buffer
    EXPECT_EQ(e.imp.text().tell(), 401u);

    Reader f(" \"" + std::string(280, 'd') + "\\" + std::string(50, 'f') + ".jpg\"");
    EXPECT_EQ(f.imp.ReadFileName(buf), 54u);  // the name after a long directory is kept whole

    Reader g(" \"no closing quote\n*NEXT");
    g.imp.ReadFileName(buf);
    EXPECT_STREQ(buf, "no closing quote");
    EXPECT_EQ(g.imp.SkipTo("*NEXT"), 1);
}

TEST(AseReaders, EndOfInputNeverMovesPastTheText) {
    Reader a("");
    EXPECT_EQ(a.imp.ReadInt(), 0);
    EXPECT_EQ(a.imp.ReadFloat(), 0.0f);
    char buf[kAseNameBuffer];
    EXPECT_EQ(a.imp.ReadUntilQuote(buf), 0u);
    EXPECT_EQ(a.imp.ReadFileName(buf), 0u);
    a.imp.Skip(100);
    EXPECT_EQ(a.imp.SkipTo("X"), 0);
    EXPECT_EQ(a.imp.SkipToInBlock("X"), 0);
    EXPECT_TRUE(a.imp.hitEnd());
    a.imp.text().seek(5);
    EXPECT_EQ(a.imp.text().tell(), 0u);
    EXPECT_FALSE(a.imp.hitEnd());
}

TEST(AseReaders, DecodingCrLfAndUtf16) {
    AseText t;
    std::string error;
    ASSERT_TRUE(t.load("A\r\nB\rC", error));
    EXPECT_EQ(std::string(t.data(), t.size()), "A\nB\rC");  // only CR LF pairs become LF

    const std::string text = "*NODE_NAME \"K\xF6rper\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (unsigned char c : text) {
        utf16.push_back(c);
        utf16.push_back(0);
    }
    utf16 += "\x3A\x26";  // U+263A: outside Latin-1
    ASSERT_TRUE(t.load(utf16, error));
    EXPECT_TRUE(t.decodedFromUtf16());
    EXPECT_EQ(std::string(t.data(), t.size()), "*NODE_NAME \"K\xF6rper\"\n?");

    EXPECT_FALSE(t.load(std::string("*\0S\0C\0", 6), error));  // UTF-16 without its mark
    EXPECT_FALSE(error.empty());
}

// The fast search (occurrence index, near search, replay) must find exactly what the literal
// running comparison finds, from every start, with repeated and overlapping token characters.
TEST(AseReaders, FastSearchMatchesTheLiteralComparison) {
    std::mt19937 rng(11);
    const char alphabet[] = "MESH_A{} \n";
    const char* tokens[] = {"MESH", "MMESH", "ME", "M", "_A{", "AA", "ESES", "MESH_ANIMATION {", "SS"};
    for (int round = 0; round < 300; ++round) {
        std::string s(static_cast<size_t>(rng() % 200) + (round % 10 == 0 ? 5000 : 0), ' ');
        for (char& c : s) c = alphabet[rng() % (sizeof alphabet - 1)];
        AseText text;
        text.setText(s);
        for (const char* token : tokens) {
            for (size_t from = 0; from <= s.size(); from += 1 + rng() % 7) {
                const size_t limit = from + rng() % (s.size() - from + 1);
                ASSERT_EQ(fastAseScan().findHit(text, from, s.size(), token),
                          literalFindHit(text, from, s.size(), token))
                    << token << " from " << from << " in " << s;
                ASSERT_EQ(fastAseScan().findHit(text, from, limit, token),
                          literalFindHit(text, from, limit, token));
            }
        }
    }
}

}  // namespace
}  // namespace kgl
