// kgl info for configuration files and action tracks.
#include "app/kgl_info.h"

namespace kgl {

int infoConfig(const char*, FILE*) { return kNotMyKind; }
int infoActions(const char*, FILE*) { return kNotMyKind; }

}  // namespace kgl
