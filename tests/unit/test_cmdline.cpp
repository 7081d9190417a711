// The command line of every command: options, values, sub-commands and the errors that end the
// run with status 2.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/kgl_cmdline.h"

namespace {

using namespace kgl;

ParseResult parse(std::vector<const char*> args, Invocation& out, std::string* text = nullptr) {
    std::string scratch;
    args.insert(args.begin(), "kgl");
    return parseCommandLine(static_cast<int>(args.size()), args.data(), out, text ? *text : scratch);
}

TEST(CommandLine, DefaultsWithoutOptions) {
    Invocation in;
    EXPECT_EQ(parse({}, in), ParseResult::Run);
    EXPECT_EQ(in.command, Command::Show);
    EXPECT_TRUE(in.show.run.vsync);
    EXPECT_EQ(in.show.run.fullscreen, -1);
    EXPECT_EQ(in.show.resolutionIndex, -1);
    EXPECT_FALSE(in.show.run.batch);
}

TEST(CommandLine, EveryShowOptionLandsInItsField) {
    Invocation in;
    ASSERT_EQ(parse({"--data",          "d",        "--no-dialog", "--windowed",
                     "--resolution",    "1024x768", "--loop",      "--no-detail-maps",
                     "--no-vsync",      "--batch",  "--frames",    "30",
                     "--fixed-fps",     "25",       "--capture",   "cap",
                     "--capture-every", "30",       "--trace",     "t.txt"},
                    in),
              ParseResult::Run);
    const ShowOptions& c = in.show;
    EXPECT_EQ(c.dataDir, "d");
    EXPECT_TRUE(c.noDialog);
    EXPECT_EQ(c.run.fullscreen, 0);
    EXPECT_EQ(c.resolutionIndex, 3);
    EXPECT_TRUE(c.loop);
    EXPECT_TRUE(c.noDetailMaps);
    EXPECT_FALSE(c.run.vsync);
    EXPECT_TRUE(c.run.batch);
    EXPECT_EQ(c.run.frames, 30);
    EXPECT_DOUBLE_EQ(c.run.fixedFps, 25.0);
    EXPECT_EQ(c.run.captureDir, "cap");
    EXPECT_EQ(c.run.captureEvery, 30);
    EXPECT_EQ(c.traceFile, "t.txt");
}

TEST(CommandLine, TheLaterOfTwoOpposedSwitchesWins) {
    Invocation a, b;
    ASSERT_EQ(parse({"--fullscreen", "--windowed", "--no-vsync", "--vsync"}, a), ParseResult::Run);
    EXPECT_EQ(a.show.run.fullscreen, 0);
    EXPECT_TRUE(a.show.run.vsync);
    ASSERT_EQ(parse({"--windowed", "--fullscreen"}, b), ParseResult::Run);
    EXPECT_EQ(b.show.run.fullscreen, 1);
    for (auto args : {std::vector<const char*>{"--windowed", "--fullscreen", "desktop"},
                      std::vector<const char*>{"--windowed", "--fullscreen=desktop"}}) {
        ASSERT_EQ(parse(args, b), ParseResult::Run);
        EXPECT_EQ(b.show.run.fullscreen, kgl::kDesktopFullscreen);
    }
    EXPECT_EQ(parse({"--fullscreen=mode"}, b), ParseResult::Error);
}

// --fullscreen takes no value of its own: the view's file after it stays the file.
TEST(CommandLine, FullscreenBeforeTheViewedFile) {
    for (auto args : {std::vector<const char*>{"view", "--fullscreen", "m.k3d"},
                      std::vector<const char*>{"view", "--fullscreen=desktop", "m.k3d"},
                      std::vector<const char*>{"view", "--fullscreen", "desktop", "m.k3d"}}) {
        Invocation v;
        ASSERT_EQ(parse(args, v), ParseResult::Run) << args[1];
        EXPECT_EQ(v.view.file, "m.k3d");
        EXPECT_EQ(v.view.run.fullscreen,
                  args.size() == 3 && std::string(args[1]) == "--fullscreen" ? 1 : kgl::kDesktopFullscreen);
    }
}

TEST(CommandLine, SubCommandsTakeTheirOwnOptions) {
    Invocation c, i, v;
    ASSERT_EQ(parse({"convert", "in.ase", "out.k3d", "--texdir", "maps/", "--pack"}, c), ParseResult::Run);
    EXPECT_EQ(c.command, Command::Convert);
    EXPECT_EQ(c.convert.input, "in.ase");
    EXPECT_EQ(c.convert.output, "out.k3d");
    EXPECT_EQ(c.convert.texDir, "maps/");
    EXPECT_TRUE(c.convert.packed);  // the older spelling still works
    ASSERT_EQ(parse({"info", "--packed", "f.k3d"}, i), ParseResult::Run);
    EXPECT_EQ(i.command, Command::Info);
    EXPECT_EQ(i.info.file, "f.k3d");
    EXPECT_TRUE(i.info.packed);
    ASSERT_EQ(parse({"view", "f.k3d", "--camera", "3", "--batch", "--frames", "4", "--fixed-fps", "30"}, v),
              ParseResult::Run);
    EXPECT_EQ(v.command, Command::View);
    EXPECT_EQ(v.view.file, "f.k3d");
    EXPECT_EQ(v.view.camera, 3);
    EXPECT_TRUE(v.view.run.batch);
    EXPECT_EQ(v.view.run.frames, 4);
    EXPECT_EQ(v.view.run.fullscreen, -1);
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

TEST(CommandLine, StartTimeForms) {
    struct Case {
        const char* text;
        bool ok;
        bool isBytes;
        double seconds;
        uint32_t bytes;
    };
    const Case cases[] = {
        {"80", true, false, 80.0, 0},
        {"80.25", true, false, 80.25, 0},
        {"1:20.250", true, false, 80.25, 0},
        {"01:20", true, false, 80.0, 0},
        {"@14112000", true, true, 0.0, 14112000},
        {"@4294967295", true, true, 0.0, 4294967295u},
        {"@4294967296", false, false, 0, 0},
        {"-1", false, false, 0, 0},
        {"1:60", false, false, 0, 0},
        {"1.5:00", false, false, 0, 0},
        {"1e3", false, false, 0, 0},
        {"", false, false, 0, 0},
        {"@", false, false, 0, 0},
        {" 5", false, false, 0, 0},
        {"nan", false, false, 0, 0},
        {"90000", false, false, 0, 0},
    };
    for (const Case& c : cases) {
        StartTime t;
        ASSERT_EQ(parseStartTime(c.text, t), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(t.isBytes, c.isBytes) << c.text;
        EXPECT_DOUBLE_EQ(t.seconds, c.seconds) << c.text;
        EXPECT_EQ(t.bytes, c.bytes) << c.text;
    }
    Invocation in;
    EXPECT_EQ(parse({"--start", "1:20"}, in), ParseResult::Run);
    EXPECT_TRUE(in.show.start.set);
    EXPECT_EQ(parse({"--start", "soon"}, in), ParseResult::Error);
}

TEST(CommandLine, ErrorsAreOneLine) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"--resolution", "7x3"},
        {"--resolution"},
        {"--frames", "0"},
        {"--frames", "12x"},
        {"--fixed-fps", "-1"},
        {"--fixed-fps", "nan"},
        {"--capture-every", "0"},
        {"--capture-every", "2000000"},
        {"--capture-every"},
        {"bogus"},
        {"convert"},
        {"convert", "in.ase"},
        {"convert", "in.ase", "out.k3d", "extra"},
        {"convert", "in.ase", "out.k3d", "--texdir"},
        {"info"},
        {"info", "a", "b"},
        {"view"},
        {"view", "f.k3d", "--camera", "64"},
        {"view", "f.k3d", "--trace", "t.txt"},  // the show's options are not the viewer's
        {"--batch", "view", "f.k3d"},           // nor do they apply before a sub-command
    };
    for (const auto& args : bad) {
        Invocation in;
        std::string err;
        EXPECT_EQ(parse(args, in, &err), ParseResult::Error) << args[0];
        EXPECT_NE(err, "");
        EXPECT_EQ(err.find('\n'), std::string::npos) << err;
    }
}

TEST(CommandLine, HelpAndVersionPerCommand) {
    Invocation in;
    std::string text;
    EXPECT_EQ(parse({"--windowed", "--help", "--bogus"}, in, &text), ParseResult::Help);
    for (const char* sub : {"convert", "info", "view"}) EXPECT_NE(text.find(sub), std::string::npos) << sub;
    EXPECT_EQ(parse({"convert", "--help"}, in, &text), ParseResult::Help);
    EXPECT_NE(text.find("kgl convert"), std::string::npos) << text;
    EXPECT_EQ(text.find("--pack "), std::string::npos) << "the alias stays out of the help";
    EXPECT_EQ(parse({"--version"}, in, &text), ParseResult::Version);
    EXPECT_EQ(text.rfind("kgl ", 0), 0u);
}

}  // namespace

TEST(CommandLine, OutputPathsStayWhereKglWasStarted) {
    kgl::ShowOptions o;
    o.run.captureDir = "cap";
    o.traceFile = "/abs/trace.txt";
    kgl::resolveOutputPaths(o);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(o.run.captureDir, std::string(cwd) + "/cap");
    EXPECT_EQ(o.traceFile, "/abs/trace.txt");
}
