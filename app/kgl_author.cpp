// The author mode's keys, recording, saving and file watching.
#include "app/kgl_author.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>

#include "app/kgl_seek.h"
#include "common/kgl_bytes.h"
#include "common/kgl_replace_file.h"
#include "engine/kgl_action_names.h"
#include "engine/kgl_demoengine.h"
#include "sync/kgl_action_text.h"

namespace kgl {

namespace {

constexpr const char* kTrackPath = "escena/actions.bin";
constexpr const char* kTextPath = "escena/actions.txt";
constexpr const char* kKeyMapPath = "escena/keys.txt";
constexpr double kShortStep = 1.0;  // seconds: Left/Right
constexpr double kLongStep = 10.0;  // with Shift
constexpr double kMarkSlack = 0.1;  // seconds: PageUp from just past a mark goes to the one before

int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int digitOf(int key) {
    if (key >= '0' && key <= '9') return key - '0';
    if (key >= vk::kNumpad0 && key <= vk::kNumpad0 + 9) return key - vk::kNumpad0;
    return -1;
}

MusicFormat formatOf(const SoundSystem& s) {
    MusicFormat f;
    if (s.sampleRate > 0) f.sampleRate = s.sampleRate;
    f.channels = (s.channelFlags & SoundSystem::kFlagMono) ? 1 : 2;
    f.lengthBytes = s.lengthKnown ? s.lengthBytes : 0;
    return f;
}

void toScriptMarks(const std::vector<TrackMark>& in, std::vector<ScriptMark>& out) {
    out.resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        ScriptMark& m = out[i];
        m = ScriptMark();
        m.position = in[i].position;
        m.action = in[i].action;
        m.hasSpectrum = in[i].spectrumFlag;
        if (m.hasSpectrum && in[i].spectrum.size() == static_cast<size_t>(ScriptMark::kSpectrumSize)) {
            for (int j = 0; j < ScriptMark::kSpectrumSize; ++j)
                m.spectrum[j] = in[i].spectrum[static_cast<size_t>(j)];
        } else {
            m.hasSpectrum = 0;
            m.spectrum[0] = EventTrack::kNoSpectrum;
        }
    }
}

void toTrackMarks(const std::vector<ScriptMark>& in, std::vector<TrackMark>& out) {
    out.resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        out[i].position = in[i].position;
        out[i].action = in[i].action;
        out[i].spectrumFlag = in[i].hasSpectrum;
        out[i].spectrum.clear();
        if (in[i].hasSpectrum)
            out[i].spectrum.assign(in[i].spectrum, in[i].spectrum + ScriptMark::kSpectrumSize);
    }
}

bool readWhole(const char* path, std::vector<uint8_t>& bytes) {
    return readFile(path, bytes);
}

}  // namespace

Author::Author(DemoEngine& engine, AuthorHost& host) : engine_(&engine), host_(host) {}

void Author::say(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(message_, sizeof message_, fmt, args);
    va_end(args);
    std::fprintf(stderr, "AUTHOR: %s\n", message_);
}

void Author::start(const std::vector<ScriptedKey>& script) {
    script_ = script;
    scriptNext_ = 0;
    loadKeyMap();
    noteFileTimes();
    lastWatchNs_ = steadyNs();
}

void Author::loadKeyMap() {
    keys_.clear();
    std::vector<uint8_t> text;
    if (!readWhole(kKeyMapPath, text)) return;
    std::vector<KeyFileIssue> issues;
    ParseKeyMap(reinterpret_cast<const char*>(text.data()), text.size(), keys_, issues);
    for (const KeyFileIssue& i : issues)
        std::fprintf(stderr, "%s:%d:%d: %s; line skipped\n", kKeyMapPath, i.line, i.column,
                     i.message.c_str());
    std::fprintf(stderr, "AUTHOR: %s: %d keys bound\n", kKeyMapPath, keys_.bound);
}

uint32_t Author::position() const {
    return engine_->sound.Position();
}

uint32_t Author::musicEnd() const {
    const SoundSystem& s = engine_->sound;
    if (!s.lengthKnown) return UINT32_MAX;
    return s.lengthBytes > SoundSystem::kEndMargin ? s.lengthBytes - SoundSystem::kEndMargin : 0;
}

uint32_t Author::bytesOfSeconds(double seconds) const {
    const MusicFormat f = formatOf(engine_->sound);
    const double frames = seconds * f.sampleRate;
    if (frames <= 0.0) return 0;
    const double bytes = frames * f.frameBytes();
    return bytes >= static_cast<double>(UINT32_MAX) ? UINT32_MAX
                                                    : static_cast<uint32_t>(frames) * f.frameBytes();
}

double Author::secondsOf(uint32_t bytes) const {
    const MusicFormat f = formatOf(engine_->sound);
    return static_cast<double>(bytes) / (static_cast<double>(f.sampleRate) * f.frameBytes());
}

// ---- keys ----

void Author::beginTurn(const uint8_t* pressed, const uint8_t* down) {
    const int64_t turn = turn_++;
    if (pauseAfterSeek_ && !host_.seeking()) {
        pauseAfterSeek_ = false;
        setPaused(true);
    }
    const bool shift = down[vk::kShift] != 0;
    const bool ctrl = down[vk::kCtrl] != 0;
    for (int k = 1; k < kKeyCount; ++k) {
        if (pressed[k] && k != vk::kShift && k != vk::kCtrl) pressKey(k, shift, ctrl);
    }
    while (scriptNext_ < script_.size() && script_[scriptNext_].turn <= turn) {
        const ScriptedKey& s = script_[scriptNext_++];
        if (s.turn == turn) pressKey(s.key, s.shift, s.ctrl);
    }
    checkLoop();
    watch();
}

void Author::pressKey(int key, bool shift, bool ctrl) {
    if (key != vk::kF5) reloadArmed_ = false;
    if (recording_ && !ctrl) {
        const int digit = digitOf(key);
        if (digit >= 0) return typeDigit(digit);
        if (key >= 0 && key < kKeyCount && keys_.action[key] >= 0) return record(keys_.action[key]);
    }
    switch (key) {
        case vk::kSpace:
            return setPaused(!paused_);
        case vk::kLeft:
            return seekBy(-(shift ? kLongStep : kShortStep));
        case vk::kRight:
            return seekBy(shift ? kLongStep : kShortStep);
        case vk::kPageUp:
            return seekMark(false);
        case vk::kPageDown:
            return seekMark(true);
        case vk::kHome:
            return seekTo(0);
        case 'A':
            return setLoopEnd(false);
        case 'B':
            return setLoopEnd(true);
        case vk::kF5:
            return reload();
        case 'R':
            recording_ = !recording_;
            typed_ = -1;
            return say(recording_ ? "recording: type an action number and Enter, or a bound key"
                                  : "recording off");
        case vk::kEnter:
            if (recording_ && typed_ >= 0) record(typed_);
            typed_ = -1;
            return;
        case vk::kBackspace:
            return takeBack();
        case 'S':
            if (ctrl) save();
            return;
        default:
            return;
    }
}

void Author::setPaused(bool on) {
    if (on == paused_) return;
    paused_ = on;
    if (on) {
        engine_->sound.Pause();
    } else {
        engine_->sound.Resume();
    }
}

// A seek while paused plays the turn it lands on and pauses again there.
void Author::seekTo(uint32_t target) {
    if (target > musicEnd()) target = musicEnd();
    const uint32_t now = position();
    if (paused_) {
        setPaused(false);
        pauseAfterSeek_ = true;
    }
    host_.seek(target, target < now || target == 0);
}

void Author::seekBy(double seconds) {
    const uint32_t now = position();
    const uint32_t step = bytesOfSeconds(seconds < 0 ? -seconds : seconds);
    if (seconds < 0) return seekTo(now > step ? now - step : 0);
    if (now >= musicEnd()) return say("at the end of the music");
    seekTo(now > UINT32_MAX - step ? UINT32_MAX : now + step);
}

void Author::seekMark(bool next) {
    const EventTrack& t = engine_->events;
    const uint32_t now = position();
    const uint32_t slack = bytesOfSeconds(kMarkSlack);
    int found = -1;
    for (int i = 0; i < t.count; ++i) {
        if (next && t.positions[i] > now) {
            found = i;
            break;
        }
        if (!next && static_cast<uint64_t>(t.positions[i]) + slack < now) found = i;
    }
    if (found < 0) return say(next ? "no mark after this one" : "no mark before this one");
    char at[32];
    formatMusicTime(t.positions[found], engine_->sound, at, sizeof at);
    say("mark %d of %d at %s: %s", found + 1, t.count, at, ActionName(t.actions[found]));
    seekTo(t.positions[found]);
}

// ---- loop region ----

// A sets the start and B the end at the current position; pressing the key of an end that is
// already set clears that end.
void Author::setLoopEnd(bool end) {
    int64_t& e = end ? loopTo_ : loopFrom_;
    const char* name = end ? "end" : "start";
    if (e >= 0) {
        e = -1;
        return say("loop %s cleared", name);
    }
    e = position();
    if (loopFrom_ >= 0 && loopTo_ >= 0 && loopTo_ <= loopFrom_) {
        e = -1;
        return say("the loop's end must lie after its start");
    }
    char at[32];
    formatMusicTime(static_cast<uint32_t>(e), engine_->sound, at, sizeof at);
    say("loop %s at %s", name, at);
}

void Author::checkLoop() {
    if (paused_ || loopFrom_ < 0 || loopTo_ < 0 || host_.seeking()) return;
    if (position() >= loopTo_) host_.seek(static_cast<uint32_t>(loopFrom_), true);
}

// ---- recording ----

void Author::typeDigit(int digit) {
    const int32_t next = (typed_ < 0 ? 0 : typed_) * 10 + digit;
    typed_ = next > kMaxTyped ? digit : next;
}

// The mark goes a sample frame before the current position, so this turn's director performs
// it after this turn's picture, as a replay of the track does. While paused the director does
// not run: the action is performed at once and its mark counts as passed.
void Author::record(int action) {
    typed_ = -1;
    if (ActionKindOf(action) == ActionKind::kUnused) return say("no action %d", action);
    EventTrack& t = engine_->events;
    const uint32_t now = position();
    const uint32_t frame = formatOf(engine_->sound).frameBytes();
    const uint32_t at = paused_ || now < frame ? now : now - frame;
    const int index = t.InsertMark(at, action);
    if (index < 0) return say("the track is full (%d marks)", EventTrack::kMaxMarks);
    if (paused_ && index == t.cursor) {
        ++t.cursor;
        engine_->performAction(action);
    }
    if (recordedCount_ == kMaxRecorded) {
        for (int i = 1; i < kMaxRecorded; ++i) recorded_[i - 1] = recorded_[i];
        --recordedCount_;
    }
    recorded_[recordedCount_++] = Recorded{at, action};
    modified_ = true;
    char when[32];
    formatMusicTime(at, engine_->sound, when, sizeof when);
    say("recorded %s %d (%s), %d marks", when, action, ActionName(action), t.count);
}

void Author::takeBack() {
    if (typed_ >= 0) {
        typed_ = typed_ >= 10 ? typed_ / 10 : -1;
        return;
    }
    if (recordedCount_ == 0) return say("no recorded mark to remove");
    const Recorded r = recorded_[--recordedCount_];
    EventTrack& t = engine_->events;
    if (!t.RemoveMark(t.FindMark(r.position, r.action))) return say("the recorded mark is gone already");
    modified_ = true;
    char when[32];
    formatMusicTime(r.position, engine_->sound, when, sizeof when);
    say("removed %s %d (%s), %d marks", when, r.action, ActionName(r.action), t.count);
}

// ---- saving ----

bool Author::save() {
    std::vector<ScriptMark> marks;
    engine_->events.GetMarks(marks);
    std::vector<TrackMark> track;
    toTrackMarks(marks, track);
    std::string why;
    if (!replaceFile(kTrackPath, EncodeActionTrack(track), true, why)) {
        say("%s not saved: %s", kTrackPath, why.c_str());
        return false;
    }
    const std::string header = "# kgl action track, " + std::to_string(track.size()) +
                               " marks, saved by the author mode: POSITION ACTION  # comment\n";
    const std::string text = FormatActionText(track, formatOf(engine_->sound), ActionName, header);
    if (!replaceFile(kTextPath, std::vector<uint8_t>(text.begin(), text.end()), true, why)) {
        say("%s saved, %s not: %s", kTrackPath, kTextPath, why.c_str());
    } else {
        say("saved %s and %s (%zu marks)", kTrackPath, kTextPath, track.size());
    }
    modified_ = false;
    noteFileTimes();
    return true;
}

void Author::finish() {
    if (modified_ && engine_->config.saveActions) save();
}

// ---- reloading ----

void Author::reload() {
    if (modified_ && !reloadArmed_) {
        reloadArmed_ = true;
        return say("the track has unsaved marks: Ctrl+S saves them, F5 again reloads without them");
    }
    reloadArmed_ = false;
    const uint32_t at = position();
    if (paused_) {
        setPaused(false);
        pauseAfterSeek_ = true;
    }
    host_.reload(at);
}

void Author::rebuilt(bool fromDisk) {
    if (!fromDisk) return;
    modified_ = false;
    recordedCount_ = 0;
    loadKeyMap();
    noteFileTimes();
    say("reloaded the show from disk");
}

namespace {

bool fileTimeOf(const char* path, int64_t& ns, int64_t& size) {
    struct stat st {};
    if (::stat(path, &st) != 0) {
        ns = size = -1;
        return false;
    }
    ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    size = static_cast<int64_t>(st.st_size);
    return true;
}

}  // namespace

void Author::noteFileTimes() {
    fileTimeOf(kTextPath, textTime_.ns, textTime_.size);
    fileTimeOf(kTrackPath, binaryTime_.ns, binaryTime_.size);
}

// At most every kWatchIntervalMs of real time: a changed actions.txt (or else actions.bin)
// replaces the track, and the show is replayed to where it is with the new track.
void Author::watch() {
    const int64_t now = steadyNs();
    if (now - lastWatchNs_ < static_cast<int64_t>(kWatchIntervalMs) * 1000000) return;
    lastWatchNs_ = now;
    FileTime text, binary;
    fileTimeOf(kTextPath, text.ns, text.size);
    fileTimeOf(kTrackPath, binary.ns, binary.size);
    const bool textChanged = text.ns != textTime_.ns || text.size != textTime_.size;
    const bool binaryChanged = binary.ns != binaryTime_.ns || binary.size != binaryTime_.size;
    textTime_ = text;
    binaryTime_ = binary;
    bool replaced = false;
    if (textChanged && text.ns >= 0) {
        replaced = reloadText();
    } else if (binaryChanged && binary.ns >= 0) {
        replaced = reloadBinary();
    }
    if (!replaced) return;
    modified_ = true;
    recordedCount_ = 0;
    if (paused_) {
        setPaused(false);
        pauseAfterSeek_ = true;
    }
    host_.seek(position(), true);
}

bool Author::reloadText() {
    std::vector<uint8_t> bytes;
    if (!readWhole(kTextPath, bytes)) return false;
    ParsedTrack parsed;
    if (!ParseActionText(reinterpret_cast<const char*>(bytes.data()), bytes.size(), formatOf(engine_->sound),
                         parsed)) {
        std::fprintf(stderr, "%s:%d:%d: error: %s; the track stays as it was\n", kTextPath, parsed.error.line,
                     parsed.error.column, parsed.error.message.c_str());
        say("%s:%d:%d: %s", kTextPath, parsed.error.line, parsed.error.column, parsed.error.message.c_str());
        return false;
    }
    for (const TextIssue& w : parsed.warnings)
        std::fprintf(stderr, "%s:%d:%d: warning: %s\n", kTextPath, w.line, w.column, w.message.c_str());
    std::vector<ScriptMark> marks;
    toScriptMarks(parsed.marks, marks);
    engine_->events.SetMarks(marks);
    say("%s reloaded (%zu marks)", kTextPath, marks.size());
    return true;
}

bool Author::reloadBinary() {
    std::vector<uint8_t> bytes;
    if (!readWhole(kTrackPath, bytes)) return false;
    std::vector<TrackMark> track;
    DecodeActionTrack(bytes, track);
    std::vector<ScriptMark> marks;
    toScriptMarks(track, marks);
    engine_->events.SetMarks(marks);
    say("%s reloaded (%zu marks)", kTrackPath, marks.size());
    return true;
}

// ---- HUD ----

void Author::fillHud(ShowHudInfo& hud) const {
    hud.paused = paused_;
    hud.recording = recording_;
    hud.loopFromSeconds = loopFrom_ >= 0 ? secondsOf(static_cast<uint32_t>(loopFrom_)) : -1.0;
    hud.loopToSeconds = loopTo_ >= 0 ? secondsOf(static_cast<uint32_t>(loopTo_)) : -1.0;
    hud.loopSet = loopFrom_ >= 0 && loopTo_ >= 0;
    hud.typedAction = typed_;
    std::snprintf(hud.message, sizeof hud.message, "%s", message_);
}

}  // namespace kgl
