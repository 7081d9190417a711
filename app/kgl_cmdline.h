// The command line of every kgl command: the show's player options (kgl with no sub-command) and
// the sub-commands (convert, info, view, actions). One parser builds them all, so every command has the
// same --help, shared options have one spelling, and every usage error ends with exit status 2.
// A new sub-command is one options struct, one row of the sub-command table and its two functions
// (options, run) in kgl_cmdline.cpp; a command with its own sub-commands (say "actions export")
// adds them in its options function. A new option is one line in the function of its command.
#pragma once

#include <cstdint>
#include <string>

#include "app/kgl_start_time.h"

namespace kgl {

constexpr int kUsageExit = 2;  // exit status of every usage error

// --fullscreen desktop: full screen in the desktop's own mode, the picture scaled with black bars.
constexpr int kDesktopFullscreen = 2;

// How a command that opens a window runs it (the show and kgl view).
struct RunOptions {
    bool batch = false;   // never block on a window: no dialog, no modal boxes, offscreen fallback
    int fullscreen = -1;  // -1: the command's default; 0 windowed; 1 full screen; kDesktopFullscreen
    bool vsync = true;
    int64_t frames = 0;      // 0: no limit
    double fixedFps = 0.0;   // 0: real time
    std::string captureDir;  // "": no capture
    int64_t captureEvery = 1;
    bool captureHud = false;  // the HUD shown from the first frame, and kept in the capture
};

// kgl [options]: the show.
struct ShowOptions {
    RunOptions run;
    std::string dataDir;
    bool noDialog = false;
    int resolutionIndex = -1;  // -1: the default
    bool loop = false;
    bool noDetailMaps = false;
    std::string traceFile;  // "": no trace
    StartTime start;        // --start: where the show begins (replayed exactly up to there)
    bool author = false;    // --author: the author keys (also "KEYBOARD: 1" in Config.ini)
    std::string keysFile;   // --keys: author keys pressed at given loop turns; "": none
};

// kgl convert IN.ase OUT.k3d
struct ConvertOptions {
    std::string input;
    std::string output;
    std::string texDir;
    bool packed = false;  // pack the textures into the scene file
    bool repair = false;  // defaults instead of the stops (see AseImporter::SetRepair)
};

// kgl info FILE
struct InfoOptions {
    std::string file;
    bool packed = false;  // the scene file carries its textures
};

// kgl view FILE.k3d
struct ViewOptions {
    RunOptions run;
    std::string file;
    std::string texDir;
    bool packed = false;
    int camera = 0;
};

// kgl actions export [IN.bin] [-o OUT.txt] / kgl actions import [IN.txt] [-o OUT.bin]
struct ActionsOptions {
    bool import = false;  // false: export
    std::string input;    // "": escena/actions.bin (export) or escena/actions.txt (import)
    std::string output;   // "": the input with .txt (export) or .bin (import); export "-": stdout
    std::string music;    // "": the music escena/Config.ini names
};

// kgl render OUT.mp4
enum class Aspect { Default, Stretch, Keep };  // Default: keep unless the size is 4:3
struct RenderOptions {
    std::string output;
    std::string dataDir;
    int width = 1280;
    int height = 720;
    double fps = 60.0;
    double start = 0.0;  // seconds of the show
    double end = -1.0;   // -1: the end of the music
    int quality = 85;    // 1..100
    Aspect aspect = Aspect::Default;
};

enum class Command { Show, Convert, Info, View, Actions, Render };

// Everything one command line asks for: the command and its options.
struct Invocation {
    Command command = Command::Show;
    ShowOptions show;
    ConvertOptions convert;
    InfoOptions info;
    ViewOptions view;
    ActionsOptions actions;
    RenderOptions render;
};

enum class ParseResult { Run, Help, Version, Error };

// Parses argv[1..argc-1]. On Help and Version `text` holds what to print on stdout; on Error one
// line (no newline) for stderr.
ParseResult parseCommandLine(int argc, const char* const* argv, Invocation& out, std::string& text);

// The whole process: parses, prints help, version or the usage error, runs the command. Returns
// the process exit status.
int runCommandLine(int argc, const char* const* argv);

// Resolution index of "N" (0..5) or "WxH" (one of the dialog's sizes; "640x400" is index 1 as in
// the dialog), -1 when the text names none of them.
int parseResolution(const char* text);

// Makes the relative --capture and --trace paths absolute against the folder kgl was started in,
// so they do not move into the show folder when the show changes into it.
void resolveOutputPaths(ShowOptions& options);

// Checked numbers of the command line: a whole count 1..10^9, a rate 0 < F <= 10000, a time
// 0 <= T <= 10^6 seconds, a video size "WxH" of even sides from 32 to 8192.
bool parseCount(const char* text, int64_t& out);
bool parseRate(const char* text, double& out);
bool parseSeconds(const char* text, double& out);
bool parseVideoSize(const char* text, int& width, int& height);

}  // namespace kgl
