// "kgl convert IN.ase OUT.k3d [--texdir DIR] [--pack]": the ASE importer from the shell.
#pragma once

namespace kgl {

int runConvert(int argc, char** argv);  // argv after "convert"

}  // namespace kgl
