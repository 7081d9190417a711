// "kgl convert IN.ase OUT.k3d [--texdir DIR] [--packed]": the ASE importer from the shell.
#pragma once

#include "app/kgl_cmdline.h"

namespace kgl {

// Writes "debug.log" in the working directory. Returns 0 when the scene file was written, -1 on
// the importer's fatal stops, 1 with a message for unusable paths or rejected input.
int runConvert(const ConvertOptions& options);

}  // namespace kgl
