// Modules of our own (shared libraries built beside the kgl executable) loaded on demand, for the
// parts that bring heavy libraries along and serve one command only. A loaded module stays loaded
// until the process ends.
#pragma once

#include <string>

namespace kgl {

// The folder of the running executable, with its trailing '/' ("" when the system cannot tell).
std::string executableFolder();

// The entry point `entry` of the module `file` in the folder of the running executable; nullptr
// with one line in `error` when the module cannot be loaded or lacks the entry.
void* loadModuleEntry(const char* file, const char* entry, std::string& error);

}  // namespace kgl
