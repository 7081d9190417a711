// The music-end check of the update step and the show restart of loop mode.
#include "app/kgl_music_end.h"

#include <GL/gl.h>

#include "engine/kgl_demoengine.h"
#include "script/kgl_scenescript.h"

namespace kgl {

namespace {

constexpr const char* kActionTrack = "escena/actions.bin";

// The cue track is reloaded whatever the configuration said about loading it, without a seek:
// the music restarted from its beginning.
void restartShow(DemoEngine& engine) {
    engine.events.Clear();
    engine.events.Load(kActionTrack);
    engine.resetShowState();
    SetObjectOption(engine.scenes[0], "INIMAGE", "RESTORE_MORPH", 100.0f);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

}  // namespace

bool musicEndCheck(DemoEngine& engine) {
    const bool ended = engine.sound.PollEnd();
    if (engine.sound.restarted) {
        restartShow(engine);
        engine.sound.restarted = 0;
        return false;
    }
    return ended;
}

}  // namespace kgl
