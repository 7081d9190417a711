#include "app/kgl_convert.h"

#include <cstdio>

namespace kgl {

int runConvert(int, char**) {
    std::fprintf(stderr, "kgl convert: the importer is not built yet\n");
    return 1;
}

}  // namespace kgl
