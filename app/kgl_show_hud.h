// What the show's heads-up display shows over the window (H toggles it, F1 the key list): where
// the music is, the frame rate, the scene and camera, the last actions performed, the next mark,
// and the author's state (paused, recording, the loop region, the number being typed). Filled
// once per frame by the show from fixed-size fields, so nothing is allocated while it plays.
// One ShowHud lives in the show's run, from the window's opening to its closing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kgl_hud.h"

namespace kgl {

struct ShowHudInfo {
    static constexpr int kRecentActions = 6;  // the last actions performed, newest first
    static constexpr int kMessageSize = 96;

    // Music and frame rate.
    uint32_t positionBytes = 0;
    double positionSeconds = 0.0;
    double framesPerSecond = 0.0;
    // The engine.
    int32_t scene = -1;
    int32_t camera = 0;
    int32_t overlayScene = -1;  // the scene drawn over it, -1 when off
    int32_t overlayCamera = 0;
    int32_t recentCount = 0;
    int32_t recentActions[kRecentActions] = {};
    uint32_t recentPositions[kRecentActions] = {};
    // The next mark of the track; nextMarkAction < 0 when none is left.
    int32_t nextMarkAction = -1;
    uint32_t nextMarkBytes = 0;
    double nextMarkInSeconds = 0.0;
    // The author's state.
    bool paused = false;
    bool recording = false;
    bool loopSet = false;             // both ends set
    double loopFromSeconds = -1.0;    // < 0: end not set
    double loopToSeconds = -1.0;      // < 0: end not set
    int32_t typedAction = -1;         // the action number being typed before Enter; -1 none
    bool helpShown = false;           // F1: the key list
    char message[kMessageSize] = {};  // the last thing the author did ("saved escena/actions.bin")
};

class DemoEngine;
class SoundSystem;

// The engine's part of `info`: music position and time, scene and camera, the recent actions and
// the next mark of the track. The frame rate and the author's state are left as they are.
void fillHudFromEngine(DemoEngine& engine, ShowHudInfo& info);

// The HUD's main box as text, one item a line; `sound` turns byte positions into times. Cut to
// `size` (at least 1).
void formatHudText(const ShowHudInfo& info, const SoundSystem& sound, char* out, size_t size);

// The key list F1 shows.
const char* hudKeyList();

// The show's HUD: the H and F1 keys, the frame rate and the drawing of both boxes over the
// finished picture. Hidden until H, or from the first frame with --capture-hud.
class ShowHud {
public:
    static constexpr int kVkH = 'H';
    static constexpr int kVkF1 = 112;
    static constexpr double kRateWindowMs = 500.0;  // the frame rate is counted over this long

    ShowHud() = default;
    ShowHud(const ShowHud&) = delete;
    ShowHud& operator=(const ShowHud&) = delete;
    virtual ~ShowHud();

    // On the window's context, `width` x `height` pixels; `shown`: the main box from the first
    // frame. False when the HUD cannot draw (the show plays on without it).
    bool start(int width, int height, bool shown);
    // H toggles the main box, F1 the key list (`pressed`: the frame loop's keyPressed table).
    void takeKeys(const uint8_t* pressed);
    bool shown() const { return shown_; }
    bool keysShown() const { return info_.helpShown; }

    // Once per drawn frame, after the picture: counts the frame at `tickMs` for the frame rate
    // and, when a box is shown, fills the engine's part of the HUD. The author's state goes into
    // the returned info before draw().
    ShowHudInfo& refresh(DemoEngine& engine, double tickMs);
    // Draws the shown boxes over the picture.
    void draw(const SoundSystem& sound);

private:
    ShowHudInfo info_;
    bool started_ = false;
    bool shown_ = false;
    double rateStartMs_ = -1.0;  // start of the frame-rate window, < 0 before the first frame
    int32_t rateFrames_ = 0;
    char text_[kHudTextSize] = {};
};

}  // namespace kgl
