// The engine object: owns every resource of the show in fixed slots. One global instance lives
// for the whole process; the entry routine reads the configuration into it, calls setup, and the
// frame loop drives direct(), update() and render().
#pragma once

#include <cstdint>

#include "sync/kgl_events.h"
#include "sync/kgl_soundsys.h"

namespace kgl {

class DemoEngine {
public:
    static constexpr int kMp3NameSize = 256;

    DemoEngine();
    virtual ~DemoEngine();

    // Configuration fields, filled from "escena/Config.ini".
    uint8_t useMp3 = 0;
    uint8_t saveActions = 0;
    uint8_t loadActions = 0;
    uint8_t renderActions = 0;
    uint8_t keyboard = 0;
    char mp3FileName[kMp3NameSize] = {};
    uint32_t mp3StartOffset = 0;
    float mp3StartSeconds = 0.0f;

    // Entry-routine interface, called in this order.
    void setRenderToTexture(uint8_t flag) { renderToTexture = flag; }
    void setDetailMaps(uint8_t flag) { detailMaps = flag; }
    void setup(float width, float height, int colorBits);
    void setShowLoop(uint8_t flag);
    void warmUp();
    void StartMusic();
    void StopMusic();
    void StartEventTrack(const char* path);

    // Every frame.
    void direct();
    void update();
    void render();
    void resetShowState();

    uint8_t renderToTexture = 0;
    uint8_t detailMaps = 1;
    int32_t updateRate = 20;  // update steps per second
    int32_t currentScene = -1;
    int32_t currentCamera = 0;
    int32_t overlayCamera = 0;

    SoundSystem sound;  // the music: its byte position is the show's clock
    EventTrack events;  // the recorded cue track
};

}  // namespace kgl
