#include "app/kgl_info.h"

#include <cstdio>

namespace kgl {

int runInfo(const InfoOptions& options) {
    const char* path = options.file.c_str();
    const bool packed = options.packed;
    if (FILE* f = std::fopen(path, "rb")) {
        std::fclose(f);
    } else {
        std::fprintf(stderr, "kgl info: cannot open '%s'\n", path);
        return 1;
    }
    int rc = infoScene(path, packed, stdout);
    if (rc == kNotMyKind) rc = infoK2D(path, stdout);
    if (rc == kNotMyKind) rc = infoConfig(path, stdout);
    if (rc == kNotMyKind) rc = infoActions(path, stdout);
    if (rc == kNotMyKind) {
        std::fprintf(stderr,
                     "kgl info: '%s' is of no known kind (scene file, K2D picture, Config.ini or "
                     "action track)\n",
                     path);
        return 1;
    }
    return rc;
}

}  // namespace kgl
