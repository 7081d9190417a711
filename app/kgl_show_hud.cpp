// The show's HUD: what the engine tells it, the text of its two boxes and their drawing. The text
// is formatted into a fixed buffer every frame a box is shown, so the HUD allocates nothing.
#include "app/kgl_show_hud.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "app/kgl_seek.h"
#include "engine/kgl_action_names.h"
#include "engine/kgl_demoengine.h"
#include "sync/kgl_soundsys.h"

namespace kgl {

namespace {

constexpr size_t kTimeSize = 24;   // "MM:SS.mmm" and room to spare
constexpr int kMessageShown = 60;  // characters of the last message, so the box stays narrow

// Lines appended to a fixed buffer; what does not fit is cut.
class TextLines {
public:
    TextLines(char* out, size_t size) : out_(out), size_(size) { out_[0] = '\0'; }
    __attribute__((format(printf, 2, 3))) void add(const char* format, ...) {
        if (used_ + 1 >= size_) return;
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(out_ + used_, size_ - used_, format, args);
        va_end(args);
        if (n > 0) used_ = std::min(size_ - 1, used_ + static_cast<size_t>(n));
    }

private:
    char* out_;
    size_t size_;
    size_t used_ = 0;
};

// "MM:SS.mmm" of a time in seconds; "--:--.---" for an end not set (< 0).
void formatSeconds(double seconds, char* out, size_t size) {
    if (!(seconds >= 0.0)) {
        std::snprintf(out, size, "--:--.---");
        return;
    }
    const auto ms = static_cast<unsigned long long>(std::llround(std::min(seconds, 1e9) * 1000.0));
    std::snprintf(out, size, "%02llu:%02llu.%03llu", ms / 60000, ms / 1000 % 60, ms % 1000);
}

void addWhere(TextLines& t, const ShowHudInfo& in, const SoundSystem& sound) {
    char at[kTimeSize];
    formatMusicTime(in.positionBytes, sound, at, sizeof at);
    t.add("%s  @%u  ", at, static_cast<unsigned>(in.positionBytes));
    if (in.framesPerSecond > 0.0)
        t.add("%.1f fps\n", in.framesPerSecond);
    else
        t.add("-- fps\n");  // not measured yet
    if (in.scene >= 0)
        t.add("scene %d  camera %d", static_cast<int>(in.scene), static_cast<int>(in.camera));
    else
        t.add("scene -");
    if (in.overlayScene >= 0)
        t.add("  over %d camera %d", static_cast<int>(in.overlayScene), static_cast<int>(in.overlayCamera));
}

void addAuthorState(TextLines& t, const ShowHudInfo& in) {
    t.add("\n%s%s", in.paused ? "PAUSED" : "playing", in.recording ? "  REC" : "");
    if (in.loopFromSeconds >= 0.0 || in.loopToSeconds >= 0.0) {
        char from[kTimeSize], to[kTimeSize];
        formatSeconds(in.loopFromSeconds, from, sizeof from);
        formatSeconds(in.loopToSeconds, to, sizeof to);
        t.add("  loop A %s B %s", from, to);
    }
    if (in.typedAction >= 0) t.add("  action %d_", static_cast<int>(in.typedAction));
}

// The next mark with the time to it, then the last actions performed, newest first.
void addMarks(TextLines& t, const ShowHudInfo& in, const SoundSystem& sound) {
    char at[kTimeSize];
    if (in.nextMarkAction < 0) {
        t.add("\nnext  -");
    } else {
        formatMusicTime(in.nextMarkBytes, sound, at, sizeof at);
        t.add("\nnext  %s  %2d %s  in %.3f s", at, static_cast<int>(in.nextMarkAction),
              ActionName(in.nextMarkAction), in.nextMarkInSeconds);
    }
    const int count = std::clamp(static_cast<int>(in.recentCount), 0, ShowHudInfo::kRecentActions);
    if (count == 0) t.add("\nlast  -");
    for (int i = 0; i < count; ++i) {
        formatMusicTime(in.recentPositions[i], sound, at, sizeof at);
        const int action = in.recentActions[i];
        t.add("\n%s  %s  %2d %s", i == 0 ? "last" : "    ", at, action, ActionName(action));
    }
}

}  // namespace

void fillHudFromEngine(DemoEngine& e, ShowHudInfo& info) {
    SoundSystem& sound = e.sound;
    info.positionBytes = sound.Position();
    info.positionSeconds = sound.BytesToSeconds(info.positionBytes);
    const bool sceneShown = e.currentScene >= 0 && e.currentScene < kSceneSlots;
    info.scene = sceneShown ? e.currentScene : -1;
    info.camera = sceneShown ? e.scenes[e.currentScene].activeCamera : e.currentCamera;
    const bool overlayShown = e.overlaySceneOn && e.overlayScene >= 0 && e.overlayScene < kSceneSlots;
    info.overlayScene = overlayShown ? e.overlayScene : -1;
    info.overlayCamera = overlayShown ? e.scenes[e.overlayScene].activeCamera : 0;

    info.recentCount = std::min<int32_t>(e.recentActionCount(), ShowHudInfo::kRecentActions);
    for (int i = 0; i < info.recentCount; ++i) {
        const PerformedAction a = e.recentAction(i);
        info.recentActions[i] = a.action;
        info.recentPositions[i] = a.position;
    }

    const EventTrack& track = e.events;
    const int next = track.cursor;
    info.nextMarkAction = -1;
    info.nextMarkBytes = 0;
    info.nextMarkInSeconds = 0.0;
    if (next < 0 || next >= track.count || next >= EventTrack::kMaxMarks) return;
    info.nextMarkAction = track.actions[next];
    info.nextMarkBytes = track.positions[next];
    if (info.nextMarkBytes > info.positionBytes)
        info.nextMarkInSeconds = sound.BytesToSeconds(info.nextMarkBytes - info.positionBytes);
}

void formatHudText(const ShowHudInfo& in, const SoundSystem& sound, char* out, size_t size) {
    if (!out || size == 0) return;
    TextLines t(out, size);
    addWhere(t, in, sound);
    addAuthorState(t, in);
    addMarks(t, in, sound);
    if (in.message[0]) t.add("\n%.*s", kMessageShown, in.message);
    t.add("\nH hides  F1 keys");
}

const char* hudKeyList() {
    return "Author mode (--author)\n"
           "Space       pause / resume\n"
           "Left Right  -1 s / +1 s (Shift: 10 s)\n"
           "PgUp PgDn   previous / next mark\n"
           "Home        back to the start\n"
           "A  B        loop from / to here\n"
           "R           recording on / off\n"
           "0-9 Enter   perform, mark it\n"
           "Backspace   remove the last mark\n"
           "Ctrl+S      save the track\n"
           "F5          reload the show\n"
           "In every run\n"
           "H           the HUD on / off\n"
           "F1          this list\n"
           "Escape      quit";
}

ShowHud::~ShowHud() {
    if (started_) stopHud();
}

bool ShowHud::start(int width, int height, bool shown) {
    started_ = startHud(width, height);
    shown_ = started_ && shown;
    return started_;
}

void ShowHud::takeKeys(const uint8_t* pressed) {
    if (!started_ || !pressed) return;
    if (pressed[kVkH]) shown_ = !shown_;
    if (pressed[kVkF1]) info_.helpShown = !info_.helpShown;
}

ShowHudInfo& ShowHud::refresh(DemoEngine& engine, double tickMs) {
    // Frames drawn after the window's first one, over the time since it.
    if (rateStartMs_ < 0.0 || tickMs < rateStartMs_) {
        rateStartMs_ = tickMs;
        rateFrames_ = 0;
    } else if (++rateFrames_, tickMs - rateStartMs_ >= kRateWindowMs) {
        info_.framesPerSecond = rateFrames_ * 1000.0 / (tickMs - rateStartMs_);
        rateStartMs_ = tickMs;
        rateFrames_ = 0;
    }
    if (shown_) fillHudFromEngine(engine, info_);
    return info_;
}

void ShowHud::draw(const SoundSystem& sound) {
    if (!started_ || (!shown_ && !info_.helpShown)) return;
    HudBox boxes[kHudBoxCount];
    int count = 0;
    if (shown_) {
        formatHudText(info_, sound, text_, sizeof text_);
        boxes[count++] = HudBox{text_, HudCorner::TopLeft};
    }
    if (info_.helpShown) boxes[count++] = HudBox{hudKeyList(), HudCorner::BottomRight};
    drawHudBoxes(boxes, count);
}

}  // namespace kgl
