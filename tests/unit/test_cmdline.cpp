// The show's command line: options, values and the errors that end the run with status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <unistd.h>

#include "app/kgl_cmdline.h"

namespace {

using namespace kgl;

ParseResult parse(std::vector<const char*> args, CommandLine& out, char* err = nullptr) {
    static char scratch[256];
    args.insert(args.begin(), "kgl");
    return parseCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()), out,
                            err ? err : scratch, 256);
}

TEST(CommandLine, DefaultsWithoutOptions) {
    CommandLine c;
    EXPECT_EQ(parse({}, c), ParseResult::Run);
    EXPECT_TRUE(c.vsync);
    EXPECT_EQ(c.fullscreen, -1);
    EXPECT_EQ(c.resolutionIndex, -1);
    EXPECT_FALSE(c.batch);
}

TEST(CommandLine, EveryOptionLandsInItsField) {
    CommandLine c;
    ASSERT_EQ(parse({"--data", "d", "--no-dialog", "--windowed", "--resolution", "1024x768", "--loop",
                     "--no-detail-maps", "--no-vsync", "--batch", "--frames", "30", "--fixed-fps", "25",
                     "--capture", "cap", "--capture-every", "30", "--trace", "t.txt"},
                    c),
              ParseResult::Run);
    EXPECT_STREQ(c.dataDir, "d");
    EXPECT_TRUE(c.noDialog);
    EXPECT_EQ(c.fullscreen, 0);
    EXPECT_EQ(c.resolutionIndex, 3);
    EXPECT_TRUE(c.loop);
    EXPECT_TRUE(c.noDetailMaps);
    EXPECT_FALSE(c.vsync);
    EXPECT_TRUE(c.batch);
    EXPECT_EQ(c.frames, 30);
    EXPECT_DOUBLE_EQ(c.fixedFps, 25.0);
    EXPECT_STREQ(c.captureDir, "cap");
    EXPECT_EQ(c.captureEvery, 30);
    EXPECT_STREQ(c.traceFile, "t.txt");
}

TEST(CommandLine, ResolutionByIndexOrSize) {
    EXPECT_EQ(parseResolution("0"), 0);
    EXPECT_EQ(parseResolution("5"), 5);
    EXPECT_EQ(parseResolution("640x480"), 1);
    EXPECT_EQ(parseResolution("640x400"), 1);  // the dialog's label for the same size
    EXPECT_EQ(parseResolution("320x200"), 2);
    EXPECT_EQ(parseResolution("400x300"), 5);
    EXPECT_EQ(parseResolution("6"), -1);
    EXPECT_EQ(parseResolution("05"), -1);
    EXPECT_EQ(parseResolution("800x601"), -1);
    EXPECT_EQ(parseResolution(""), -1);
}

TEST(CommandLine, ErrorsAreOneLine) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},         {"--resolution", "7x3"}, {"--resolution"},       {"--frames", "0"},
        {"--frames", "12x"}, {"--fixed-fps", "-1"},   {"--fixed-fps", "nan"}, {"convert"},
        {"--capture-every", "0"}, {"--capture-every", "2000000"}, {"--capture-every"},
    };
    for (const auto& args : bad) {
        CommandLine c;
        char err[256] = {};
        EXPECT_EQ(parse(args, c, err), ParseResult::Error) << args[0];
        EXPECT_NE(err[0], '\0');
        EXPECT_EQ(std::string(err).find('\n'), std::string::npos);
    }
    CommandLine c;
    EXPECT_EQ(parse({"--windowed", "--help", "--bogus"}, c), ParseResult::Help);
    EXPECT_EQ(parse({"--version"}, c), ParseResult::Version);
}

}  // namespace

TEST(CommandLine, OutputPathsStayWhereKglWasStarted) {
    kgl::CommandLine o;
    o.captureDir = "cap";
    o.traceFile = "/abs/trace.txt";
    kgl::resolveOutputPaths(o);  // without --data nothing moves
    EXPECT_STREQ(o.captureDir, "cap");
    o.dataDir = "show";
    kgl::resolveOutputPaths(o);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(o.captureDir), std::string(cwd) + "/cap");
    EXPECT_STREQ(o.traceFile, "/abs/trace.txt");
}
