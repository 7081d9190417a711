// The music-end check run by every update step: reports the end of the show, or restarts it
// when the sound system's loop mode has just restarted the music.
#pragma once

namespace kgl {

class DemoEngine;

// Returns true when the show has ended (music over, no loop).
bool musicEndCheck(DemoEngine& engine);

}  // namespace kgl
