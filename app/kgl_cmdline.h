// The show's command line: options that preset the dialog's choices, run without a display and
// make runs deterministic (--fixed-fps, --frames, --capture). Parsed once by the entry routine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kgl {

struct CommandLine {
    const char* dataDir = nullptr;
    bool noDialog = false;
    int fullscreen = -1;       // -1: the default (full screen); 0 windowed; 1 full screen
    int resolutionIndex = -1;  // -1: the default
    bool loop = false;
    bool noDetailMaps = false;
    bool vsync = true;
    bool batch = false;
    int64_t frames = 0;     // 0: no limit
    double fixedFps = 0.0;  // 0: real time
    const char* captureDir = nullptr;
    int64_t captureEvery = 1;  // --capture keeps one swap in this many
    const char* traceFile = nullptr;
};

enum class ParseResult { Run, Help, Version, Error };

// Parses argv[1..argc-1]. On Error, `error` holds a one-line message.
ParseResult parseCommandLine(int argc, char** argv, CommandLine& out, char* error, size_t errorSize);

// Resolution index of "N" (0..5) or "WxH" (one of the dialog's sizes; "640x400" is index 1 as in
// the dialog), -1 when the text names none of them.
int parseResolution(const char* text);

void printUsage();

// Makes the relative --capture and --trace paths absolute against the folder kgl was started in,
// so they do not move into the --data folder when the show changes into it.
void resolveOutputPaths(CommandLine& options);

// Checked numbers of the command line: a whole count 1..10^9, a rate 0 < F <= 10000.
bool parseCount(const char* text, int64_t& out);
bool parseRate(const char* text, double& out);

}  // namespace kgl
