#include "app/kgl_info.h"

#include <cstring>

namespace kgl {

int runInfo(int argc, char** argv) {
    bool packed = false;
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--packed") == 0) {
            packed = true;
        } else if (!path) {
            path = argv[i];
        } else {
            std::fprintf(stderr, "kgl info: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (!path) {
        std::fprintf(stderr, "usage: kgl info [--packed] FILE\n");
        return 2;
    }
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
