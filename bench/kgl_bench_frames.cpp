// Frame-time benchmark of the default show: plays it (or a range of it) on the fixed 30 fps
// timeline as fast as the machine draws, and prints per-second frame rates, the start-up time,
// the peak memory and a floor measured in the same run: frames that only compose the last
// captured picture over the window. Run from the show's folder (bench/frames.sh does that).
// Usage: kgl_bench_frames [--size WxH] [--from S] [--to S] [--straight]
#include <GL/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/kgl_globals.h"
#include "app/kgl_loading_screen.h"
#include "app/kgl_loop_timing.h"
#include "app/kgl_music_end.h"
#include "engine/kgl_demoengine.h"
#include "platform/kgl_display.h"
#include "platform/kgl_ticks.h"
#include "script/kgl_config.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kFps = 30.0;  // the fixed timeline: 30 frames per second of show
constexpr int kFramesPerSecond = 30;
constexpr int kFloorFramesPerSecond = 2;  // composition-only frames timed after each show second

struct Options {
    int width = 800;
    int height = 600;
    double from = 0.0;  // seconds of show
    double to = 1e9;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(a, "--size") && v && std::sscanf(v, "%dx%d", &o.width, &o.height) == 2) {
            ++i;
        } else if (!std::strcmp(a, "--from") && v) {
            o.from = std::atof(v);
            ++i;
        } else if (!std::strcmp(a, "--to") && v) {
            o.to = std::atof(v);
            ++i;
        } else {
            std::fprintf(stderr, "usage: kgl_bench_frames [--size WxH] [--from S] [--to S]\n");
            return false;
        }
    }
    return o.width > 0 && o.height > 0 && o.to > o.from;
}

// Nanoseconds since the epoch when the script started the process (KGL_BENCH_T0), so the
// start-up time includes loading the executable; otherwise the time main() was entered.
double startupOrigin(Clock::time_point mainEntry, double& mainOffsetMs) {
    const char* t0 = std::getenv("KGL_BENCH_T0");
    mainOffsetMs = 0.0;
    if (!t0) return 0.0;
    const double launchNs = std::atof(t0);
    const double nowNs = static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                 std::chrono::system_clock::now().time_since_epoch())
                                                 .count());
    mainOffsetMs = (nowNs - launchNs) / 1e6 -
                   std::chrono::duration<double, std::milli>(Clock::now() - mainEntry).count();
    return launchNs;
}

long peakKb() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss;
}

bool updateShow(void*) {
    kgl::DemoEngine& e = kgl::engine();
    const bool ended = kgl::musicEndCheck(e);
    e.update();
    return ended;
}

// One turn of the frame loop; `draw` false only directs and updates (skipping to the range).
bool playFrame(kgl::LoopTiming& timing, kgl::WindowState& ws, int64_t frame, bool draw) {
    while (kgl::PeekDisplayMessage(ws) != kgl::DisplayMessage::None) {
    }
    kgl::DemoEngine& e = kgl::engine();
    e.traceFrame = frame;
    if (draw) e.render();
    e.direct();
    if (draw) kgl::SwapDisplayBuffers();
    bool ended = false;
    const kgl::UpdateStepHooks hooks{updateShow, nullptr};
    kgl::runUpdateStep(timing, kgl::tickCount, e.updateRate, hooks, ended);
    kgl::advanceFixedTick();
    return !ended;
}

// The floor: a frame that only composes the last captured picture over the window. The show's
// last frame is finished first and this one is waited for, so the time is this frame's alone.
// `current` instead redraws the composition in use (the blur when it is on).
double floorFrameMs(bool current) {
    glFinish();
    const Clock::time_point t = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kgl::MotionBlur& blur = kgl::engine().motionBlur;
    if (current) {
        blur.redrawLast(blur.straightComposition != 0);
    } else {
        blur.drawComposed();
    }
    kgl::SwapDisplayBuffers();
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Where the start-up goes: milliseconds from main() to the end of each step, and the peak memory
// then, printed under the table.
struct StartupPhases {
    static constexpr int kMax = 8;
    const char* name[kMax] = {};
    double atMs[kMax] = {};
    long peakMemoryKb[kMax] = {};
    int count = 0;
    Clock::time_point origin;
    void mark(const char* step) {
        if (count == kMax) return;
        name[count] = step;
        atMs[count] = std::chrono::duration<double, std::milli>(Clock::now() - origin).count();
        peakMemoryKb[count++] = peakKb();
    }
    long peakAtStartKb() const { return count ? peakMemoryKb[count - 1] : 0; }  // the last step's
};

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void buildShow(const Options& o, StartupPhases& phases) {
    kgl::DemoEngine& e = kgl::engine();
    drawLoadingScreen(kgl::loadingImage(), o.width, o.height);
    kgl::SwapDisplayBuffers();
    phases.mark("loading screen");
    kgl::LoadConfig(e, "escena/Config.ini");
    e.setDetailMaps(1);
    e.setup(static_cast<float>(o.width), static_cast<float>(o.height), 32);
    e.setShowLoop(0);
    phases.mark("set-up");
    e.warmUp();
    phases.mark("warm-up");
    kgl::SwapDisplayBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kgl::SwapDisplayBuffers();
    e.StartMusic();
    e.StartEventTrack("escena/actions.bin");
    e.currentScene = 0;
    e.currentCamera = 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

struct Results {
    std::vector<double> secondFps;  // one per show second drawn
    std::vector<double> frameMs;
    std::vector<double> floorMs;
    std::vector<double> composeMs;  // the composition in use alone, blurred seconds only
    StartupPhases phases;
    double startupMs = 0.0;
    double mainOffsetMs = 0.0;
};

void report(const Options& o, const Results& r) {
    const std::vector<double>& s = r.secondFps;
    const auto worst = std::min_element(s.begin(), s.end());
    int under30 = 0;
    int under60 = 0;
    for (double f : s) {
        under30 += f < 30.0;
        under60 += f < 60.0;
    }
    double total = 0.0;
    for (double ms : r.frameMs) total += ms;
    const int worstAt = static_cast<int>(o.from) + static_cast<int>(worst - s.begin());
    const double floorMs = median(r.floorMs);
    std::printf(
        "| size | seconds | mean fps | median fps (seconds) | worst second | s < 60 | s < 30 | median frame "
        "| "
        "floor frame | start-up | peak at start | peak |\n");
    std::printf(
        "| %dx%d | %d-%d | %.1f | %.1f | %.1f (at %d s) | %d | %d | %.2f ms | %.2f ms (%.0f fps) | %.0f ms | "
        "%.0f MB | %.0f MB |\n",
        o.width, o.height, static_cast<int>(o.from), static_cast<int>(o.from) + static_cast<int>(s.size()),
        1000.0 * static_cast<double>(r.frameMs.size()) / total, median(s), *worst, worstAt, under60, under30,
        median(r.frameMs), floorMs, 1000.0 / floorMs, r.startupMs, r.phases.peakAtStartKb() / 1024.0,
        peakKb() / 1024.0);
    if (!r.composeMs.empty())
        std::printf("blur composition alone (median of blurred seconds): %.2f ms\n", median(r.composeMs));
    std::printf("start-up, ms from main() (peak MB):");
    for (int i = 0; i < r.phases.count; ++i)
        std::printf("%s %s %.0f (%ld)", i ? "," : "", r.phases.name[i], r.phases.atMs[i],
                    r.phases.peakMemoryKb[i] / 1024);
    std::printf("\n");
    // The driver builds its programs for a state the first time it draws with it: those frames
    // stand out from the others of their second (a blurred second is slow all through).
    std::vector<double> spike(r.frameMs.size());
    for (size_t first = 0; first < r.frameMs.size(); first += kFramesPerSecond) {
        const size_t end = std::min(r.frameMs.size(), first + kFramesPerSecond);
        const double typical =
            median(std::vector<double>(r.frameMs.begin() + static_cast<std::ptrdiff_t>(first),
                                       r.frameMs.begin() + static_cast<std::ptrdiff_t>(end)));
        for (size_t i = first; i < end; ++i) spike[i] = r.frameMs[i] / typical;
    }
    std::vector<size_t> order(spike.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    const size_t shown = std::min<size_t>(order.size(), 6);
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(shown), order.end(),
                      [&](size_t a, size_t b) { return spike[a] > spike[b]; });
    int over2 = 0;
    for (double x : spike) over2 += x > 2.0;
    std::printf(
        "frames over twice their second's median: %d; the largest (ms, times the median, show second):",
        over2);
    for (size_t i = 0; i < shown; ++i)
        std::printf("%s %.0f x%.1f at %.1f", i ? "," : "", r.frameMs[order[i]], spike[order[i]],
                    o.from + static_cast<double>(order[i]) / kFramesPerSecond);
    std::printf("\n");
    std::printf("per second fps:");
    for (size_t i = 0; i < s.size(); ++i) std::printf("%s%.0f", i % 20 ? " " : "\n  ", s[i]);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point mainEntry = Clock::now();
    Options o;
    if (!parse(argc, argv, o)) return 2;
    Results r;
    startupOrigin(mainEntry, r.mainOffsetMs);
    r.phases.origin = mainEntry;

    kgl::setFixedTickStep(1000.0 / kFps);
    if (!kgl::initDisplaySystem(true)) return 1;
    uint8_t fullscreen = 0;
    kgl::screenWidth = o.width;
    kgl::screenHeight = o.height;
    kgl::setDisplayVsync(false);
    if (!kgl::CreateDisplayWindow("bench", o.width, o.height, 32, fullscreen)) return 1;
    r.phases.mark("window");
    buildShow(o, r.phases);
    r.phases.mark("music and track");

    uint8_t keys[kgl::kVirtualKeyCount] = {};
    uint8_t active = 1;
    kgl::WindowState ws{keys, &active};
    kgl::LoopTiming timing;
    const int64_t firstFrame = static_cast<int64_t>(o.from * kFps);
    const int64_t endFrame = o.to > 1e8 ? INT64_MAX : static_cast<int64_t>(o.to * kFps);
    int64_t frame = 0;
    bool playing = true;
    for (; frame < firstFrame && playing; ++frame) playing = playFrame(timing, ws, frame, false);

    Clock::time_point last = Clock::now();
    Clock::time_point secondStart = last;
    int inSecond = 0;
    for (; frame < endFrame && playing; ++frame) {
        playing = playFrame(timing, ws, frame, true);
        const Clock::time_point now = Clock::now();
        if (r.frameMs.empty()) {
            r.startupMs = r.mainOffsetMs + std::chrono::duration<double, std::milli>(now - mainEntry).count();
            r.phases.mark("first frame");
        }
        r.frameMs.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        if (++inSecond < kFramesPerSecond) continue;
        const double secondMs = std::chrono::duration<double, std::milli>(now - secondStart).count();
        r.secondFps.push_back(1000.0 * kFramesPerSecond / secondMs);
        const bool blurred = kgl::engine().motionBlurOn != 0;
        for (int i = 0; i < kFloorFramesPerSecond; ++i) {
            if (blurred) r.composeMs.push_back(floorFrameMs(true));
            r.floorMs.push_back(floorFrameMs(false));
        }
        inSecond = 0;
        last = secondStart = Clock::now();
    }
    if (r.secondFps.empty()) {
        std::fprintf(stderr, "kgl_bench_frames: the range holds no whole second of show\n");
        return 1;
    }
    report(o, r);
    if (kgl::engine().config.useMp3) kgl::engine().StopMusic();
    kgl::DestroyDisplayWindow();
    kgl::quitDisplaySystem();
    return 0;
}
