// The configuration file "escena/Config.ini": eight settings found by keyword, in a fixed order,
// read once at start-up into ConfigValues. The engine holds the show's one ConfigValues; readers
// that have no engine (kgl info) fill their own.
#pragma once

#include <cstdint>

namespace kgl {

constexpr int kMp3NameSize = 256;  // the music file name, its terminating zero included

struct ConfigValues {
    uint8_t keyboard = 0;
    uint8_t renderActions = 0;
    uint8_t loadActions = 0;
    uint8_t saveActions = 0;
    uint8_t useMp3 = 0;
    uint32_t mp3StartOffset = 0;   // bytes of decoded music
    float mp3StartSeconds = 0.0f;  // always a whole number of seconds
    char mp3FileName[kMp3NameSize] = {};
};

// Reads the keys present in the file over `values` (missing keys keep what is there).
// Returns false, leaving `values` untouched, when the file cannot be opened.
bool ReadConfig(const char* path, ConfigValues& values);

}  // namespace kgl
