// What the show's heads-up display shows over the window in author mode (H toggles it): where
// the music is, the frame rate, the scene and camera, the last actions performed, the next mark,
// and the author's state (paused, recording, the loop region, the number being typed). Filled
// once per frame by the show from fixed-size fields, so nothing is allocated while it plays.
#pragma once

#include <cstdint>

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

}  // namespace kgl
