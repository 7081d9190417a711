// The keyword reader and the configuration file.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/kgl_info.h"
#include "engine/kgl_demoengine.h"
#include "script/kgl_config.h"
#include "script/kgl_tokenreader.h"
#include "sync_fixtures.h"

using kgl::ConfigValues;
using kgl::TokenReader;
using kgl_test::TempCwd;
using kgl_test::WriteText;

namespace {

ConfigValues configFrom(const std::string& text) {
    TempCwd dir;
    WriteText("Config.ini", text);
    ConfigValues v;
    EXPECT_TRUE(kgl::ReadConfig("Config.ini", v));
    return v;
}

const char* kFullConfig =
    "KEYBOARD: 1\nRENDERACTIONS: 1\nLOADACTIONS: 1\nSAVEACTIONS: 0\nUSEMP3: 1\n"
    "MP3STARTOFFSET: 3000\nMP3STARTSECONDS: 12.7\nMP3:music/song.mp3\n";

}  // namespace

TEST(TokenReader, MatcherDoesNotRetestTheMismatchingCharacter) {
    TokenReader r;
    r.OpenText("xx MMP3:a");
    EXPECT_EQ(r.FindKeyword("MP3:"), TokenReader::kNotFound);
    EXPECT_EQ(r.Tell(), 0);  // rewound
    r.OpenText("xx M MP3:a");
    EXPECT_EQ(r.FindKeyword("MP3:"), TokenReader::kFound);
    EXPECT_EQ(r.GetChar(), 'a');
    r.OpenText("USEMP3: 1");  // a plain substring search: matches inside a longer word
    EXPECT_EQ(r.FindKeyword("MP3:"), TokenReader::kFound);
}

TEST(TokenReader, StarStopsWithoutRewindAndBraceEndsABlock) {
    TokenReader r;
    r.OpenText("ab*cd KEY: 1");
    EXPECT_EQ(r.FindKeyword("KEY:"), TokenReader::kStopped);
    EXPECT_EQ(r.GetChar(), 'c');  // just after the '*'
    r.Seek(0);
    EXPECT_EQ(r.FindKeywordInBlock("NONE"), TokenReader::kStopped);
    r.OpenText("a } KEY:");
    EXPECT_EQ(r.FindKeywordInBlock("KEY:"), TokenReader::kBlockEnd);
    EXPECT_EQ(r.Tell(), 0);
    EXPECT_EQ(r.FindKeyword("KEY:"), TokenReader::kFound);  // plain search goes past the '}'
}

TEST(TokenReader, NumberReaders) {
    TokenReader r;
    r.OpenText("3,5 3,5 \t-12abc\n99999999999999999999999 7");
    EXPECT_EQ(r.ReadInt(), 3);      // "3,5" is one token for the integer reader
    EXPECT_EQ(r.ReadFloat(), 3.0);  // a comma ends a float
    EXPECT_EQ(r.ReadInt(), 5);
    EXPECT_EQ(r.ReadInt(), -12);  // tabs skipped; trailing text ignored
    r.ReadInt();                  // over-long token: cut, consumed, no overflow
    EXPECT_EQ(r.ReadInt(), 7);
    EXPECT_EQ(r.ReadInt(), 0);  // end of file
    r.OpenText("\n1");
    EXPECT_EQ(r.ReadInt(), 1);  // the first character is stored even when it is a line feed
    r.OpenText("1.5:2.5");
    EXPECT_DOUBLE_EQ(r.ReadFloat(), 1.5);
    EXPECT_DOUBLE_EQ(r.ReadFloat(), 2.5);
}

TEST(TokenReader, LineAndWordReaders) {
    TokenReader r;
    r.OpenText(" name.mp3\"rest\nnext");
    char buf[8];
    EXPECT_EQ(r.ReadLine(buf, sizeof buf), 9u);  // too long for 8 bytes: reported, cut, terminated
    EXPECT_STREQ(buf, " name.m");
    EXPECT_EQ(r.ReadLine(buf, sizeof buf), 4u);
    EXPECT_STREQ(buf, "rest");
    EXPECT_EQ(r.ReadLine(buf, sizeof buf), 4u);  // end of file ends the value
    EXPECT_STREQ(buf, "next");
    r.OpenText("OBJ:x");
    size_t len = 0;
    EXPECT_EQ(r.ReadWord(buf, sizeof buf, &len), ':');
    EXPECT_STREQ(buf, "OBJ");
    EXPECT_EQ(r.ReadWord(buf, sizeof buf, &len), TokenReader::kEof);
    EXPECT_STREQ(buf, "x");
    EXPECT_TRUE(r.Eof());
}

TEST(Config, FullFileInOrder) {
    const ConfigValues v = configFrom(kFullConfig);
    EXPECT_EQ(v.keyboard, 1);
    EXPECT_EQ(v.renderActions, 1);
    EXPECT_EQ(v.loadActions, 1);
    EXPECT_EQ(v.saveActions, 0);
    EXPECT_EQ(v.useMp3, 1);
    EXPECT_EQ(v.mp3StartOffset, 3000u);
    EXPECT_EQ(v.mp3StartSeconds, 12.0f);
    EXPECT_STREQ(v.mp3FileName, "music/song.mp3");
}

TEST(Config, CrLfReadsLikeLf) {
    std::string crlf;
    for (const char* p = kFullConfig; *p; ++p) {
        if (*p == '\n') crlf += '\r';
        crlf += *p;
    }
    const ConfigValues v = configFrom(crlf);
    EXPECT_EQ(v.useMp3, 1);
    EXPECT_EQ(v.mp3StartOffset, 3000u);
    EXPECT_STREQ(v.mp3FileName, "music/song.mp3");
}

TEST(Config, KeyOrderStarAndValueRules) {
    // "MP3:" before "USEMP3:": the flag is kept, the name is lost.
    ConfigValues v = configFrom("MP3:a.mp3\nUSEMP3: 1\n");
    EXPECT_EQ(v.useMp3, 1);
    EXPECT_STREQ(v.mp3FileName, "");
    // A '*' stops the next key's search; later keys are searched from there.
    v = configFrom("KEYBOARD: 1\n# *\nRENDERACTIONS: 1\nLOADACTIONS: 1\n");
    EXPECT_EQ(v.keyboard, 1);
    EXPECT_EQ(v.renderActions, 0);
    EXPECT_EQ(v.loadActions, 1);
    // ... but the first character a search reads is only compared with the key, never taken
    // for a '*': right after the line feed that ended the previous value, it does not stop.
    v = configFrom("KEYBOARD: 1\n*\nRENDERACTIONS: 1\n");
    EXPECT_EQ(v.renderActions, 1);
    // A leading space is part of the name; a word instead of a number reads as off.
    v = configFrom("USEMP3: on\nMP3: song.mp3\n");
    EXPECT_EQ(v.useMp3, 0);
    EXPECT_STREQ(v.mp3FileName, " song.mp3");
    // Values on the next line; negative seconds taken as unsigned.
    v = configFrom("USEMP3:\n1\nMP3STARTSECONDS: -5\n");
    EXPECT_EQ(v.useMp3, 1);
    EXPECT_EQ(v.mp3StartSeconds, 4294967291.0f);
}

TEST(Config, OverlongMusicNameTurnsMusicOff) {
    const std::string name(kgl::kMp3NameSize, 'n');
    const ConfigValues v = configFrom("USEMP3: 1\nMP3:" + name + "\n");
    EXPECT_EQ(v.useMp3, 0);
    EXPECT_STREQ(v.mp3FileName, "");
    const ConfigValues fits = configFrom("USEMP3: 1\nMP3:" + name.substr(1) + "\n");
    EXPECT_EQ(fits.useMp3, 1);
    EXPECT_EQ(std::string(fits.mp3FileName), name.substr(1));
}

TEST(Config, MissingFileOrKeysKeepTheEngineDefaults) {
    TempCwd dir;
    auto engine = std::make_unique<kgl::DemoEngine>();
    engine->config.mp3StartOffset = 77;
    kgl::LoadConfig(*engine, "escena/Config.ini");
    EXPECT_EQ(engine->config.mp3StartOffset, 77u);
    EXPECT_EQ(engine->config.useMp3, 0);
    WriteText("Config.ini", "USEMP3: 1\n");
    kgl::LoadConfig(*engine, "Config.ini");
    EXPECT_EQ(engine->config.useMp3, 1);
    EXPECT_EQ(engine->config.mp3StartOffset, 77u);
}

TEST(Info, ConfigPrintsTheEightSettings) {
    TempCwd dir;
    WriteText("Config.ini", kFullConfig);
    int result = -1;
    EXPECT_EQ(kgl_test::PrintedBy([](FILE* out) { return kgl::infoConfig("Config.ini", out); }, result),
              "keyboard 1\nrenderActions 1\nloadActions 1\nsaveActions 0\nuseMp3 1\n"
              "mp3StartOffset 3000\nmp3StartSeconds 12\nmp3FileName \"music/song.mp3\"\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(kgl::infoConfig("Config.txt", stdout), kgl::kNotMyKind);
}

// Random text built from the characters the readers react to: every reader stays inside its
// buffers and always makes progress (ASan builds check the former).
TEST(TokenReader, RandomTextNeverOverrunsOrHangs) {
    const char* pieces[] = {"KEYBOARD:",
                            "MP3:",
                            "USEMP3:",
                            "MP3STARTSECONDS:",
                            "*",
                            "}",
                            "\"",
                            ":",
                            ",",
                            " ",
                            "\t",
                            "\r\n",
                            "\n",
                            "\r",
                            "1",
                            "-5",
                            "12.7",
                            "x",
                            "999999999999999999999999",
                            "MMP3:"};
    TempCwd dir;
    uint32_t seed = 12345;
    auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = static_cast<int>(next() % 40);
        for (int i = 0; i < n; ++i) text += pieces[next() % (sizeof pieces / sizeof *pieces)];
        TokenReader r;
        r.OpenText(text);
        char small[4];
        for (int step = 0; step < 64 && !r.Eof(); ++step) {
            switch (next() % 6) {
                case 0:
                    r.FindKeyword("MP3:");
                    break;
                case 1:
                    r.FindKeywordInBlock("KEYBOARD:");
                    break;
                case 2:
                    r.ReadInt();
                    break;
                case 3:
                    r.ReadFloat();
                    break;
                case 4:
                    r.ReadLine(small, sizeof small);
                    break;
                default:
                    r.ReadWord(small, sizeof small);
                    break;
            }
            ASSERT_LE(r.Tell(), static_cast<long>(text.size()));
            ASSERT_GE(r.Tell(), 0L);
        }
        WriteText("Config.ini", text);
        ConfigValues v;
        ASSERT_TRUE(kgl::ReadConfig("Config.ini", v));
        ASSERT_LT(std::strlen(v.mp3FileName), sizeof v.mp3FileName);
    }
}
