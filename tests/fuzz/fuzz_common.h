// Shared by every fuzz target: a private temporary working directory, entered before the first
// input runs (readers write their logs, such as "EVENTS_load.log", into the current directory)
// and removed at exit, and a helper that writes the input to a file for readers that open paths.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kglfuzz {

class TempWorkDir {
public:
    TempWorkDir() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kglfuzzXXXXXX";
        if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
            std::perror("kglfuzz: temporary directory");
            std::abort();
        }
        path_ = pattern;
    }
    ~TempWorkDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

private:
    std::string path_;
};

// One per process, before LLVMFuzzerTestOneInput is ever called.
inline TempWorkDir gWorkDir;

// Writes the input to `name` in the working directory; aborts when it cannot (the disk is full:
// no finding of ours).
inline const char* writeInput(const char* name, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror("kglfuzz: writing the input");
        std::abort();
    }
    return name;
}

}  // namespace kglfuzz
