// Author mode (--author or "KEYBOARD: 1"): the keys that pause the show, seek it, loop a region,
// reload it, and record cues into its action track; saving the track; watching the track files
// for changes. One Author lives beside the show's frame client for the whole run; it drives the
// engine through its public members and asks the show (AuthorHost) for seeks and reloads.
// Nothing here allocates on a loop turn without a key press or a changed file.
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "app/kgl_author_keys.h"
#include "app/kgl_show_hud.h"

namespace kgl {

class DemoEngine;

// What the author's keys ask of the show.
class AuthorHost {
public:
    virtual ~AuthorHost() = default;
    // Exact seek to `target` (bytes of decoded music): a replay forward from here, or, when the
    // target lies behind or `rebuild` is set, the show built again and replayed from its start
    // with the track as it is now.
    virtual void seek(uint32_t target, bool rebuild) = 0;
    // Everything read from disk again (configuration, scripts, scenes, pictures, track), then
    // an exact seek to `target`.
    virtual void reload(uint32_t target) = 0;
    // True while a seek is still to be replayed.
    virtual bool seeking() const = 0;
};

// Win32 virtual-key codes of the author keys.
namespace vk {
constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kShift = 16;
constexpr int kCtrl = 17;
constexpr int kSpace = 32;
constexpr int kPageUp = 33;
constexpr int kPageDown = 34;
constexpr int kHome = 36;
constexpr int kLeft = 37;
constexpr int kRight = 39;
constexpr int kF5 = 116;
constexpr int kNumpad0 = 96;
}  // namespace vk

class Author {
public:
    static constexpr int kMaxRecorded = 1024;     // marks Backspace can take back
    static constexpr int kWatchIntervalMs = 250;  // track files are looked at 4 times a second
    static constexpr int kMaxTyped = 999;

    // `folder`: the show folder prefix of the files ("" = the working directory).
    Author(DemoEngine& engine, AuthorHost& host);

    // Reads escena/keys.txt and notes the track files' times. `script`: --keys presses (may be empty).
    void start(const std::vector<ScriptedKey>& script);
    // Once per loop turn (replayed turns not counted), before the turn's work: the keys pressed
    // since the last turn (`pressed`) and held (`down`), both indexed by virtual-key code, then
    // the scripted presses of this turn (turns count from 0).
    void beginTurn(const uint8_t* pressed, const uint8_t* down);
    // One key press (what beginTurn does for each key).
    void pressKey(int key, bool shift, bool ctrl);
    // The show was rebuilt (a backward seek or a reload): the engine is a new one.
    void rebuilt(bool fromDisk);

    bool paused() const { return paused_; }
    bool recording() const { return recording_; }
    bool modified() const { return modified_; }
    // Writes escena/actions.bin (the previous one kept as actions.bin.bak) and escena/actions.txt.
    bool save();
    // At exit: with "SAVEACTIONS: 1" a changed track is saved.
    void finish();
    // The author's part of the HUD: paused, recording, loop ends, typed number, message.
    void fillHud(ShowHudInfo& hud) const;
    const char* message() const { return message_; }

private:
    uint32_t position() const;
    uint32_t musicEnd() const;
    uint32_t bytesOfSeconds(double seconds) const;
    double secondsOf(uint32_t bytes) const;
    void say(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void seekTo(uint32_t target);
    void seekBy(double seconds);
    void seekMark(bool next);
    void setPaused(bool on);
    void setLoopEnd(bool end);
    void checkLoop();
    void typeDigit(int digit);
    void record(int action);
    void takeBack();
    void reload();
    void watch();
    bool reloadText();
    bool reloadBinary();
    void noteFileTimes();
    void loadKeyMap();

    DemoEngine* engine_;
    AuthorHost& host_;
    KeyMap keys_;
    std::vector<ScriptedKey> script_;
    size_t scriptNext_ = 0;
    int64_t turn_ = 0;
    bool paused_ = false;
    bool pauseAfterSeek_ = false;
    bool recording_ = false;
    bool modified_ = false;
    bool reloadArmed_ = false;  // F5 with unsaved marks: a second F5 reloads without them
    int32_t typed_ = -1;
    int64_t loopFrom_ = -1;  // bytes; -1: end not set
    int64_t loopTo_ = -1;
    struct Recorded {
        uint32_t position;
        int32_t action;
    };
    Recorded recorded_[kMaxRecorded];
    int recordedCount_ = 0;
    struct FileTime {
        int64_t ns = -1;  // modification time, -1: no file
        int64_t size = -1;
    };
    FileTime textTime_, binaryTime_;
    int64_t lastWatchNs_ = 0;
    char message_[ShowHudInfo::kMessageSize] = {};
};

}  // namespace kgl
