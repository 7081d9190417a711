// The one command-line parser (CLI11) and the dispatch to the commands. Every option converts its
// own value through the checked readers below, so a bad value is one line and exit status 2.
#include "app/kgl_cmdline.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/kgl_convert.h"
#include "app/kgl_globals.h"
#include "app/kgl_info.h"
#include "app/kgl_show.h"
#include "app/kgl_view.h"

namespace kgl {

namespace {
constexpr int64_t kMaxFrames = 1000000000;
constexpr double kMaxFixedFps = 10000.0;
constexpr int64_t kMaxCaptureEvery = 1000000;  // the capture numbers at most a million swaps
constexpr int64_t kMaxCamera = 63;             // the scene clamps it to its last camera
constexpr size_t kHelpColumn = 32;
}  // namespace

bool parseCount(const char* text, int64_t& out) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < 1 || v > kMaxFrames) return false;
    out = v;
    return true;
}

bool parseRate(const char* text, double& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (*end != '\0' || !(v > 0.0) || v > kMaxFixedFps) return false;
    out = v;
    return true;
}

int parseResolution(const char* text) {
    if (!text) return -1;
    if (text[0] >= '0' && text[0] <= '5' && text[1] == '\0') return text[0] - '0';
    if (!std::strcmp(text, "640x400")) return 1;
    for (int i = 0; i < kResolutionCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%dx%d", kResolutions[i].width, kResolutions[i].height);
        if (!std::strcmp(text, name)) return i;
    }
    return -1;
}

namespace {

// A whole count 1..max ("0" too when `zero` allows it).
bool parseBoundedCount(const std::string& text, int64_t max, bool zero, int64_t& out) {
    if (zero && text == "0") {
        out = 0;
        return true;
    }
    int64_t v = 0;
    if (!parseCount(text.c_str(), v) || v > max) return false;
    out = v;
    return true;
}

// An option whose value is a whole count, checked before it is stored.
template <typename Int>
void addCount(CLI::App& app, const char* name, const char* help, int64_t max, bool zero, Int& field) {
    const std::string what = zero ? "a whole number from 0 to " + std::to_string(max)
                                  : "a whole number from 1 to " + std::to_string(max);
    app.add_option_function<std::string>(
           name,
           [&field, max, zero](const std::string& s) {
               int64_t v = 0;
               if (parseBoundedCount(s, max, zero, v)) field = static_cast<Int>(v);
           },
           help)
        ->type_name("N")
        ->check(CLI::Validator(
            [max, zero, what](std::string& s) {
                int64_t v = 0;
                return parseBoundedCount(s, max, zero, v) ? std::string() : "bad value '" + s + "' (" + what + ")";
            },
            ""));
}

void addRate(CLI::App& app, const char* name, const char* help, double& field) {
    app.add_option_function<std::string>(
           name, [&field](const std::string& s) { parseRate(s.c_str(), field); }, help)
        ->type_name("F")
        ->check(CLI::Validator(
            [](std::string& s) {
                double v = 0.0;
                return parseRate(s.c_str(), v) ? std::string() : "bad value '" + s + "' (frames per second, above 0)";
            },
            ""));
}

// Two switches that set one field; the later one on the command line wins.
void addChoice(CLI::App& app, const char* name, const char* help, int& field, int value) {
    app.add_flag_callback(name, [&field, value] { field = value; }, help)->trigger_on_parse();
}
void addChoice(CLI::App& app, const char* name, const char* help, bool& field, bool value) {
    app.add_flag_callback(name, [&field, value] { field = value; }, help)->trigger_on_parse();
}

// The options of every command that opens a window.
void addRunOptions(CLI::App& app, RunOptions& run, const char* displayDefault) {
    addChoice(app, "--windowed", "display in a window", run.fullscreen, 0);
    addChoice(app, "--fullscreen", displayDefault, run.fullscreen, 1);
    addChoice(app, "--vsync", "wait for the vertical blank on swaps (the default)", run.vsync, true);
    addChoice(app, "--no-vsync", "do not wait for the vertical blank", run.vsync, false);
    app.add_flag("--batch", run.batch, "never block on a window: no dialog, no modal boxes");
    addCount(app, "--frames", "quit after N drawn frames", kMaxFrames, false, run.frames);
    addRate(app, "--fixed-fps", "deterministic time: each loop turn advances 1000/F ms", run.fixedFps);
    app.add_option("--capture", run.captureDir, "write every buffer swap as DIR/frame-NNNNNN.png")
        ->type_name("DIR");
    addCount(app, "--capture-every", "with --capture, keep only swaps 0, N, 2N, ...",
             kMaxCaptureEvery, false, run.captureEvery);
}

void addShowOptions(CLI::App& app, ShowOptions& show) {
    app.add_option("--data", show.dataDir, "change to DIR first (logs are written there too)")->type_name("DIR");
    app.add_flag("--no-dialog", show.noDialog, "skip the start-up dialog; the options give its choices");
    app.add_option_function<std::string>(
           "--resolution", [&show](const std::string& s) { show.resolutionIndex = parseResolution(s.c_str()); },
           "0..5 or 800x600 640x480 320x200 1024x768 512x384 400x300")
        ->type_name("N|WxH")
        ->check(CLI::Validator(
            [](std::string& s) {
                return parseResolution(s.c_str()) >= 0 ? std::string()
                                                        : "bad value '" + s + "' (0..5 or one of the dialog's sizes)";
            },
            ""));
    app.add_flag("--loop", show.loop, "restart the show whenever the music ends");
    app.add_flag("--no-detail-maps", show.noDetailMaps, "switch detail maps off");
    addRunOptions(app, show.run, "display full screen (the default)");
    app.add_option("--trace", show.traceFile, "one line per performed action")
        ->type_name("FILE")
        ->check(CLI::Validator(
            [](std::string& s) {
                return s.size() < static_cast<size_t>(kMaxPathLength) ? std::string() : std::string("path is too long");
            },
            ""));
}

// The "scene file carries its textures" switch; "--pack" is the older spelling of convert.
void addPacked(CLI::App& app, bool& field, const char* help) {
    app.add_flag("--packed", field, help);
    app.add_flag("--pack", field)->group("");
}

void addConvertOptions(CLI::App& app, Invocation& out) {
    ConvertOptions& c = out.convert;
    app.add_option("IN", c.input, "the ASE text export")->required()->type_name("");
    app.add_option("OUT", c.output, "the scene file to write")->required()->type_name("");
    app.add_option("--texdir", c.texDir, "folder prefixed to the texture file names")->type_name("DIR");
    addPacked(app, c.packed, "pack the textures into the scene file");
}

void addInfoOptions(CLI::App& app, Invocation& out) {
    app.add_option("FILE", out.info.file, "a scene file, K2D picture, Config.ini or action track")
        ->required()
        ->type_name("");
    addPacked(app, out.info.packed, "the scene file carries its textures");
}

void addViewOptions(CLI::App& app, Invocation& out) {
    ViewOptions& v = out.view;
    app.add_option("FILE", v.file, "the scene file to play")->required()->type_name("");
    app.add_option("--texdir", v.texDir, "folder prefixed to the texture file names")->type_name("DIR");
    addPacked(app, v.packed, "the scene file carries its textures");
    addCount(app, "--camera", "the camera to look through (default 0)", kMaxCamera, true, v.camera);
    addRunOptions(app, v.run, "display full screen (default: a window)");
}

// One row per sub-command: its name, one line of help, its options and how it runs.
struct SubCommand {
    const char* name;
    const char* description;
    Command command;
    void (*addOptions)(CLI::App& app, Invocation& out);
    int (*run)(Invocation& in);
};

const SubCommand kSubCommands[] = {
    {"convert", "convert an ASE text export into a scene file (writes debug.log here)", Command::Convert,
     addConvertOptions, [](Invocation& in) { return runConvert(in.convert); }},
    {"info", "summary of a scene file, K2D picture, Config.ini or action track", Command::Info,
     addInfoOptions, [](Invocation& in) { return runInfo(in.info); }},
    {"view", "play one scene file through one of its cameras", Command::View, addViewOptions,
     [](Invocation& in) { return runView(in.view); }},
};

int runShowCommand(Invocation& in) {
    resolveOutputPaths(in.show);
    return runShow(in.show);
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

ParseResult parseCommandLine(int argc, const char* const* argv, Invocation& out, std::string& text) {
    CLI::App app("kgl plays the show found in the working directory (escena/ ...)", "kgl");
    app.get_formatter()->column_width(kHelpColumn);
    app.set_version_flag("--version", std::string("kgl ") + KGL_VERSION, "print the version and exit");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.require_subcommand(0, 1);
    addShowOptions(app, out.show);
    CLI::App* subs[std::size(kSubCommands)] = {};
    for (size_t i = 0; i < std::size(kSubCommands); ++i) {
        const SubCommand& s = kSubCommands[i];
        subs[i] = app.add_subcommand(s.name, s.description);
        subs[i]->get_formatter()->column_width(kHelpColumn);
        subs[i]->set_help_flag("-h,--help", "print this help and exit");
        s.addOptions(*subs[i], out);
    }
    std::string command = "kgl";
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return ParseResult::Help;
    } catch (const CLI::CallForVersion& e) {
        text = e.what();
        return ParseResult::Version;
    } catch (const CLI::ParseError& e) {
        for (size_t i = 0; i < std::size(kSubCommands); ++i) {
            if (subs[i]->parsed()) command = std::string("kgl ") + kSubCommands[i].name;
        }
        text = command + ": " + oneLine(e.what()) + " (try " + command + " --help)";
        return ParseResult::Error;
    }
    out.command = Command::Show;
    for (size_t i = 0; i < std::size(kSubCommands); ++i) {
        if (subs[i]->parsed()) out.command = kSubCommands[i].command;
    }
    return ParseResult::Run;
}

int runCommandLine(int argc, const char* const* argv) {
    Invocation in;
    std::string text;
    switch (parseCommandLine(argc, argv, in, text)) {
        case ParseResult::Help:
        case ParseResult::Version:
            std::printf("%s\n", text.c_str());
            return 0;
        case ParseResult::Error:
            std::fprintf(stderr, "%s\n", text.c_str());
            return kUsageExit;
        case ParseResult::Run:
            break;
    }
    for (const SubCommand& s : kSubCommands) {
        if (s.command == in.command) return s.run(in);
    }
    return runShowCommand(in);
}

namespace {

std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

}  // namespace

void resolveOutputPaths(ShowOptions& options) {
    if (options.dataDir.empty()) return;
    options.run.captureDir = absolutePath(options.run.captureDir);
    options.traceFile = absolutePath(options.traceFile);
}

}  // namespace kgl
