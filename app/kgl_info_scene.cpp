// kgl info for scene files and K2D pictures.
#include "app/kgl_info.h"

namespace kgl {

int infoScene(const char*, bool, FILE*) { return kNotMyKind; }
int infoK2D(const char*, FILE*) { return kNotMyKind; }

}  // namespace kgl
