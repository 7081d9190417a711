// The configuration file "escena/Config.ini": eight settings found by keyword, in a fixed order,
// read once at start-up into the DemoEngine's configuration fields. ConfigValues is the same
// set of settings on its own, for readers that have no engine (kgl info).
#pragma once

#include <cstdint>

#include "engine/kgl_demoengine.h"

namespace kgl {

struct ConfigValues {
    uint8_t keyboard = 0;
    uint8_t renderActions = 0;
    uint8_t loadActions = 0;
    uint8_t saveActions = 0;
    uint8_t useMp3 = 0;
    uint32_t mp3StartOffset = 0;  // bytes of decoded music
    float mp3StartSeconds = 0.0f; // always a whole number of seconds
    char mp3FileName[DemoEngine::kMp3NameSize] = {};
};

// Reads the keys present in the file over `values` (missing keys keep what is there).
// Returns false, leaving `values` untouched, when the file cannot be opened.
bool ReadConfig(const char* path, ConfigValues& values);

// Reads the file into the engine's configuration fields; a missing file changes nothing.
void LoadConfig(DemoEngine& engine, const char* path);

}  // namespace kgl
