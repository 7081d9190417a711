// The one command-line parser (CLI11) and the dispatch to the commands. Every option converts its
// own value through the checked readers below, so a bad value is one line and exit status 2.
#include "app/kgl_cmdline.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/kgl_actions.h"
#include "app/kgl_convert.h"
#include "app/kgl_globals.h"
#include "app/kgl_info.h"
#include "app/kgl_show_module.h"

namespace kgl {

namespace {
constexpr int64_t kMaxFrames = 1000000000;
constexpr double kMaxFixedFps = 10000.0;
constexpr int64_t kMaxCaptureEvery = 1000000;  // the capture numbers at most a million swaps
constexpr int64_t kMaxCamera = 63;             // the scene clamps it to its last camera
constexpr size_t kMaxTracePath = 1023;
constexpr size_t kHelpColumn = 32;
constexpr double kMaxSeconds = 1000000.0;
constexpr int kMinVideoSide = 32;
constexpr int kMaxVideoSide = 8192;
constexpr const char* kDesktop = "desktop";
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

bool parseSeconds(const char* text, double& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (*end != '\0' || !(v >= 0.0) || v > kMaxSeconds) return false;
    out = v;
    return true;
}

bool parseVideoSize(const char* text, int& width, int& height) {
    if (!text) return false;
    int w = 0;
    int h = 0;
    char x = 0;
    int used = 0;
    if (std::sscanf(text, "%5d%c%5d%n", &w, &x, &h, &used) != 3 || text[used] != '\0' || x != 'x')
        return false;
    if (w < kMinVideoSide || h < kMinVideoSide || w > kMaxVideoSide || h > kMaxVideoSide || w % 2 || h % 2)
        return false;
    width = w;
    height = h;
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

// An option with a value that `read` checks and converts (bool read(const std::string&, T&)). A
// value it refuses is a usage error that says what was expected.
template <typename T, typename Read>
void addValue(CLI::App& app, const char* name, const char* type, const char* help, const std::string& what,
              T& field, Read read) {
    app.add_option_function<std::string>(
           name, [&field, read](const std::string& s) { read(s, field); }, help)
        ->type_name(type)
        ->check(CLI::Validator(
            [read, what](std::string& s) {
                T scratch{};
                return read(s, scratch) ? std::string() : "bad value '" + s + "' (" + what + ")";
            },
            ""));
}

// A whole count from `min` (0 or 1) to `max`.
template <typename Int>
void addCount(CLI::App& app, const char* name, const char* help, int64_t min, int64_t max, Int& field) {
    const std::string what = "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    addValue(app, name, "N", help, what, field, [min, max](const std::string& s, Int& out) {
        int64_t v = 0;
        if (s == "0" && min == 0) {
            out = 0;
            return true;
        }
        if (!parseCount(s.c_str(), v) || v > max) return false;
        out = static_cast<Int>(v);
        return true;
    });
}

// Two switches that set one field; the later one on the command line wins.
template <typename T>
void addChoice(CLI::App& app, const char* name, const char* help, T& field, T value) {
    app.add_flag_callback(
           name, [&field, value] { field = value; }, help)
        ->trigger_on_parse();
}

// The options of every command that opens a window.
void addRunOptions(CLI::App& app, RunOptions& run, const char* displayDefault) {
    addChoice(app, "--windowed", "display in a window", run.fullscreen, 0);
    // A flag, so "kgl view --fullscreen FILE" keeps its file; the desktop variant takes its value
    // only after "=" (parseCommandLine joins the older "--fullscreen desktop" into that form).
    int& fullscreen = run.fullscreen;
    app.add_option_function<std::string>(
           "--fullscreen",
           [&fullscreen](const std::string& s) { fullscreen = s == kDesktop ? kDesktopFullscreen : 1; },
           displayDefault)
        ->expected(0)
        ->type_name("[=desktop]")
        ->trigger_on_parse()
        ->check(CLI::Validator(
            [](std::string& s) {
                return s == kDesktop || s == "true"
                           ? std::string()
                           : "bad value '" + s + "' (--fullscreen or --fullscreen=desktop)";
            },
            ""));
    addChoice(app, "--vsync", "wait for the vertical blank on swaps (the default)", run.vsync, true);
    addChoice(app, "--no-vsync", "do not wait for the vertical blank", run.vsync, false);
    app.add_flag("--batch", run.batch, "never block on a window: no dialog, no modal boxes");
    addCount(app, "--frames", "quit after N drawn frames", 1, kMaxFrames, run.frames);
    addValue(app, "--fixed-fps", "F", "deterministic time: each loop turn advances 1000/F ms",
             "frames per second, above 0", run.fixedFps,
             [](const std::string& s, double& out) { return parseRate(s.c_str(), out); });
    app.add_option("--capture", run.captureDir, "write every buffer swap as DIR/frame-NNNNNN.png")
        ->type_name("DIR");
    addCount(app, "--capture-every", "with --capture, keep only swaps 0, N, 2N, ...", 1, kMaxCaptureEvery,
             run.captureEvery);
    app.add_flag("--capture-hud", run.captureHud, "show the HUD from the first frame, in --capture too");
}

void addShowOptions(CLI::App& app, ShowOptions& show) {
    app.add_option("--data", show.dataDir, "change to DIR first (logs are written there too)")
        ->type_name("DIR");
    app.add_flag("--no-dialog", show.noDialog, "skip the start-up dialog; the options give its choices");
    addValue(app, "--resolution", "N|WxH", "0..5 or 800x600 640x480 320x200 1024x768 512x384 400x300",
             "0..5 or one of the dialog's sizes", show.resolutionIndex, [](const std::string& s, int& out) {
                 out = parseResolution(s.c_str());
                 return out >= 0;
             });
    app.add_flag("--loop", show.loop, "restart the show whenever the music ends");
    app.add_flag("--no-detail-maps", show.noDetailMaps, "switch detail maps off");
    addRunOptions(app, show.run, "full screen (the default); desktop: the desktop's mode, black bars");
    addValue(app, "--start", "TIME",
             "begin at TIME (seconds, MM:SS.mmm or @BYTES), exactly as if played to there",
             "seconds, MM:SS.mmm or @BYTES", show.start,
             [](const std::string& s, StartTime& out) { return parseStartTime(s, out); });
    app.add_flag("--author", show.author, "author mode: keys to pause, seek, loop, reload, record cues");
    addValue(app, "--keys", "FILE", "author mode, with the keys FILE presses at given loop turns",
             "a path of at most " + std::to_string(kMaxTracePath) + " characters", show.keysFile,
             [](const std::string& s, std::string& out) {
                 out = s;
                 return s.size() <= kMaxTracePath;
             });
    addValue(app, "--trace", "FILE", "one line per performed action",
             "a path of at most " + std::to_string(kMaxTracePath) + " characters", show.traceFile,
             [](const std::string& s, std::string& out) {
                 out = s;
                 return s.size() <= kMaxTracePath;
             });
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
    app.add_flag("--repair", c.repair, "defaults instead of the converter's stops (listed in debug.log)");
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
    addCount(app, "--camera", "the camera to look through (default 0)", 0, kMaxCamera, v.camera);
    addRunOptions(app, v.run, "full screen (default: a window); desktop: the desktop's mode");
}

// "actions export" and "actions import": one of the two is required.
void addActionsOptions(CLI::App& app, Invocation& out) {
    ActionsOptions& a = out.actions;
    app.require_subcommand(1, 1);
    CLI::App* ex = app.add_subcommand("export", "write the action track as text, one mark a line");
    CLI::App* im = app.add_subcommand("import", "read the text form back into an action track");
    ex->add_option("IN", a.input, "the action track (default escena/actions.bin)")->type_name("");
    ex->add_option("-o,--output", a.output, "the text to write (default: IN as .txt; - for stdout)")
        ->type_name("FILE");
    im->add_option("IN", a.input, "the text track (default escena/actions.txt)")->type_name("");
    im->add_option("-o,--output", a.output, "the track to write (default: IN as .bin; keeps FILE.bak)")
        ->type_name("FILE");
    im->callback([&a] { a.import = true; });
    for (CLI::App* sub : {ex, im}) {
        sub->get_formatter()->column_width(kHelpColumn);
        sub->set_help_flag("-h,--help", "print this help and exit");
        sub->add_option("--music", a.music,
                        "the music whose rate maps times to bytes (default: Config.ini's)")
            ->type_name("FILE");
    }
}

void addRenderOptions(CLI::App& app, Invocation& out) {
    RenderOptions& r = out.render;
    app.add_option("OUT", r.output, "the video file to write (.mp4 or .mkv)")->required()->type_name("");
    app.add_option("--data", r.dataDir, "the show's folder (default: the working directory)")
        ->type_name("DIR");
    addValue(
        app, "--size", "WxH", "the video's size (default 1280x720)", "even sides from 32 to 8192", r,
        [](const std::string& s, RenderOptions& o) { return parseVideoSize(s.c_str(), o.width, o.height); });
    addValue(app, "--fps", "F", "frames per second (default 60); frame k shows the music at k/F s",
             "frames per second, above 0", r.fps,
             [](const std::string& s, double& o) { return parseRate(s.c_str(), o); });
    const auto seconds = [](const std::string& s, double& o) { return parseSeconds(s.c_str(), o); };
    addValue(app, "--start", "T", "start at T seconds of the show (default 0)", "seconds, 0 or more", r.start,
             seconds);
    addValue(app, "--end", "T", "stop at T seconds (default: the end of the music)", "seconds, 0 or more",
             r.end, seconds);
    addCount(app, "--quality", "1 (small file) to 100 (best picture), default 85", 1, 100, r.quality);
    addValue(app, "--aspect", "stretch|keep", "keep: the 4:3 picture with black bars (default unless 4:3)",
             "stretch or keep", r.aspect, [](const std::string& s, Aspect& o) {
                 o = s == "stretch" ? Aspect::Stretch : s == "keep" ? Aspect::Keep : Aspect::Default;
                 return o != Aspect::Default;
             });
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
     runInShowModule},
    {"actions", "the action track as text: actions export, actions import", Command::Actions,
     addActionsOptions,
     [](Invocation& in) {
         return in.actions.import ? runActionsImport(in.actions) : runActionsExport(in.actions);
     }},
    {"render", "render the show with its music into a video file, frame by frame", Command::Render,
     addRenderOptions, runInShowModule},
};

int runShowCommand(Invocation& in) {
    resolveOutputPaths(in.show);
    return runInShowModule(in);
}

// The arguments in CLI11's order (last first), with the older spelling "--fullscreen desktop"
// joined into "--fullscreen=desktop".
std::vector<std::string> joinFullscreenValue(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = argc - 1; i >= 1; --i) {
        if (std::strcmp(argv[i], kDesktop) == 0 && i >= 2 && std::strcmp(argv[i - 1], "--fullscreen") == 0) {
            args.push_back(std::string("--fullscreen=") + kDesktop);
            --i;
            continue;
        }
        args.push_back(argv[i]);
    }
    return args;
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
        std::vector<std::string> args = joinFullscreenValue(argc, argv);
        app.parse(args);
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
        if (!subs[i]->parsed()) continue;
        out.command = kSubCommands[i].command;
        // The show's options before a sub-command would be silently ignored: refuse them.
        for (const CLI::Option* o : app.get_options()) {
            if (o->count() == 0) continue;
            command = std::string("kgl ") + kSubCommands[i].name;
            text = command + ": " + o->get_name() + " given before \"" + kSubCommands[i].name +
                   "\" (a command's options follow its name; try " + command + " --help)";
            return ParseResult::Error;
        }
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
    options.run.captureDir = absolutePath(options.run.captureDir);
    options.traceFile = absolutePath(options.traceFile);
    options.keysFile = absolutePath(options.keysFile);
}

}  // namespace kgl
