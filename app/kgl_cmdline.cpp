#include "app/kgl_cmdline.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "app/kgl_globals.h"

namespace kgl {

namespace {
constexpr int64_t kMaxFrames = 1000000000;
constexpr double kMaxFixedFps = 10000.0;
constexpr int64_t kMaxCaptureEvery = 1000000;  // the capture numbers at most a million swaps
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

namespace {

// Options without a value. Returns false when `arg` is none of them.
bool parseSwitch(const char* arg, CommandLine& out) {
    if (!std::strcmp(arg, "--no-dialog"))
        out.noDialog = true;
    else if (!std::strcmp(arg, "--windowed"))
        out.fullscreen = 0;
    else if (!std::strcmp(arg, "--fullscreen"))
        out.fullscreen = 1;
    else if (!std::strcmp(arg, "--loop"))
        out.loop = true;
    else if (!std::strcmp(arg, "--no-detail-maps"))
        out.noDetailMaps = true;
    else if (!std::strcmp(arg, "--vsync"))
        out.vsync = true;
    else if (!std::strcmp(arg, "--no-vsync"))
        out.vsync = false;
    else if (!std::strcmp(arg, "--batch"))
        out.batch = true;
    else
        return false;
    return true;
}

bool takesValue(const char* arg) {
    static const char* const kValued[] = {"--data",      "--resolution", "--frames",
                                          "--fixed-fps", "--capture",    "--trace",
                                          "--capture-every"};
    for (const char* v : kValued) {
        if (!std::strcmp(arg, v)) return true;
    }
    return false;
}

// Options with a value; false with `error` set when the value is bad.
bool parseValued(const char* arg, const char* value, CommandLine& out, char* error, size_t errorSize) {
    if (!std::strcmp(arg, "--data"))
        out.dataDir = value;
    else if (!std::strcmp(arg, "--capture"))
        out.captureDir = value;
    else if (!std::strcmp(arg, "--trace"))
        out.traceFile = value;
    else if (!std::strcmp(arg, "--resolution")) {
        out.resolutionIndex = parseResolution(value);
        if (out.resolutionIndex < 0) {
            std::snprintf(
                error, errorSize,
                "kgl: bad --resolution '%s' (0..5 or 800x600, 640x480, 320x200, 1024x768, 512x384, 400x300)",
                value);
            return false;
        }
    } else if (!std::strcmp(arg, "--capture-every")) {
        if (!parseCount(value, out.captureEvery) || out.captureEvery > kMaxCaptureEvery) {
            std::snprintf(error, errorSize, "kgl: bad --capture-every '%s' (a whole number from 1)", value);
            return false;
        }
    } else if (!std::strcmp(arg, "--frames")) {
        if (!parseCount(value, out.frames)) {
            std::snprintf(error, errorSize, "kgl: bad --frames '%s' (a whole number from 1)", value);
            return false;
        }
    } else if (!parseRate(value, out.fixedFps)) {
        std::snprintf(error, errorSize, "kgl: bad --fixed-fps '%s' (frames per second, above 0)", value);
        return false;
    }
    return true;
}

}  // namespace

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

ParseResult parseCommandLine(int argc, char** argv, CommandLine& out, char* error, size_t errorSize) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) return ParseResult::Help;
        if (!std::strcmp(arg, "--version")) return ParseResult::Version;
        if (parseSwitch(arg, out)) continue;
        if (!takesValue(arg)) {
            std::snprintf(error, errorSize, "kgl: unknown option '%s' (try --help)", arg);
            return ParseResult::Error;
        }
        if (i + 1 >= argc) {
            std::snprintf(error, errorSize, "kgl: option '%s' needs a value", arg);
            return ParseResult::Error;
        }
        if (!parseValued(arg, argv[++i], out, error, errorSize)) return ParseResult::Error;
    }
    if (out.traceFile && std::strlen(out.traceFile) >= static_cast<size_t>(kMaxPathLength)) {
        std::snprintf(error, errorSize, "kgl: --trace path is too long");
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

namespace {

constexpr size_t kPathSize = 4096;
char gCapturePath[kPathSize];
char gTracePath[kPathSize];

const char* absolutePath(const char* path, char* buffer) {
    if (!path || path[0] == '/') return path;
    char cwd[kPathSize];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    const int n = std::snprintf(buffer, kPathSize, "%s/%s", cwd, path);
    return n > 0 && static_cast<size_t>(n) < kPathSize ? buffer : path;
}

}  // namespace

void resolveOutputPaths(CommandLine& options) {
    if (!options.dataDir) return;
    options.captureDir = absolutePath(options.captureDir, gCapturePath);
    options.traceFile = absolutePath(options.traceFile, gTracePath);
}

void printUsage() {
    std::printf(
        "usage: kgl [options]            play the show in the working directory (escena/ ...)\n"
        "  --data DIR                     change to DIR first (logs are written there too)\n"
        "  --no-dialog                    skip the start-up dialog; the options give its choices\n"
        "  --windowed | --fullscreen      display mode (default: full screen)\n"
        "  --resolution N|WxH             0..5 or 800x600 640x480 320x200 1024x768 512x384 400x300\n"
        "  --loop                         restart the show when the music ends\n"
        "  --no-detail-maps               switch detail maps off\n"
        "  --vsync | --no-vsync           wait for the vertical blank on swaps (default: on)\n"
        "  --batch                        never block on a window: no dialog, no modal boxes\n"
        "  --frames N                     quit after N drawn frames\n"
        "  --fixed-fps F                  every loop turn advances time by 1000/F ms\n"
        "  --capture DIR                  write every buffer swap as DIR/frame-NNNNNN.png\n"
        "  --capture-every N              with --capture, keep only swaps 0, N, 2N, ... (default 1)\n"
        "  --trace FILE                   one line per performed action\n"
        "  --help  --version\n"
        "       kgl convert IN.ase OUT.k3d [--texdir DIR] [--pack]\n"
        "       kgl info [--packed] FILE\n"
        "       kgl view [--packed] [--texdir DIR] [--camera N] [--fullscreen] [--batch]\n"
        "                [--frames N] [--fixed-fps F] [--capture DIR] FILE.k3d\n");
}

}  // namespace kgl
