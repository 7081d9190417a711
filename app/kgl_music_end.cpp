#include "app/kgl_music_end.h"

#include "engine/kgl_demoengine.h"

namespace kgl {

bool musicEndCheck(DemoEngine&) { return false; }

}  // namespace kgl
