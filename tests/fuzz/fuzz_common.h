// Shared by every fuzz target: a private temporary working directory, entered before the first
// input runs (readers write their logs, such as "EVENTS_load.log", into the current directory)
// and removed at exit, and a helper that writes the input to a file for readers that open paths.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/unit/kgl_test_files.h"

namespace kgl_test {

// Aborts when the folder cannot be made: no finding of ours.
class FuzzWorkDir {
public:
    FuzzWorkDir() {
        if (!dir_.ok()) {
            std::perror("kgl fuzz: temporary directory");
            std::abort();
        }
    }

private:
    TempCwd dir_{"kglfuzz"};
};

// One per process, before LLVMFuzzerTestOneInput is ever called.
inline FuzzWorkDir gWorkDir;

// Writes the input to `name` in the working directory; aborts when it cannot (the disk is full:
// no finding of ours).
inline const char* writeInput(const char* name, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror("kgl fuzz: writing the input");
        std::abort();
    }
    return name;
}

}  // namespace kgl_test
