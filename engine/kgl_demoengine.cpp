// Construction, the music and the cue track of the engine; set-up, director and frame pass live
// in kgl_setup.cpp, kgl_director.cpp and kgl_framepass.cpp.
#include "engine/kgl_demoengine.h"

namespace kgl {

DemoEngine::DemoEngine() = default;
DemoEngine::~DemoEngine() {
    closeTrace();
}

void DemoEngine::setShowLoop(uint8_t flag) {
    sound.loop = flag;
}

void LoadConfig(DemoEngine& engine, const char* path) {
    ReadConfig(path, engine.config);
}

// With music off the sound system still runs a clock from this moment, so a cue track plays in
// time without music (and the show does not end by itself).
void DemoEngine::StartMusic() {
    if (!config.useMp3) {
        sound.StartSilent();
        return;
    }
    sound.StartStream(config.mp3FileName);
}

void DemoEngine::StopMusic() {
    if (config.useMp3) sound.Stop();
}

// The track is moved with the configured start before the sound system limits it.
void DemoEngine::StartEventTrack(const char* path) {
    if (!config.loadActions) return;
    events.Clear();
    events.Load(path);
    if (config.mp3StartOffset > 0) {
        events.Seek(config.mp3StartOffset);
        sound.SetPositionBytes(config.mp3StartOffset);
    } else if (config.mp3StartSeconds > 0.0f) {
        const uint32_t bytes = sound.SecondsToBytes(config.mp3StartSeconds);
        events.Seek(bytes);
        sound.SetPositionSeconds(config.mp3StartSeconds);
    }
}

}  // namespace kgl
