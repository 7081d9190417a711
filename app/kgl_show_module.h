// The commands that open a window (the show, kgl view, kgl render) live in the module
// "kgl_show.so" beside the kgl executable, loaded only when one of them runs: SDL, ImGui and what
// they bring (X11, Wayland, PulseAudio, D-Bus: some fifty shared libraries) would otherwise cost
// every kgl process (convert, info, --version) about 20 ms of start-up. The module carries its
// own copy of the code it uses and shares no state with the executable: the executable hands it
// the parsed command line and gets back the exit status.
#pragma once

#include <cstddef>

#include "app/kgl_cmdline.h"

namespace kgl {

constexpr int kShowModuleAbi = 1;  // raised whenever the table or the option structs change
constexpr const char* kShowModuleFile = "kgl_show.so";
constexpr const char* kShowModuleEntry = "kglShowModule";

struct ShowModule {
    int abi;
    size_t invocationSize;  // sizeof(Invocation) in the module's build
    int (*run)(Invocation& in);
};

using ShowModuleEntry = const ShowModule* (*)();

// Runs in.command (Show, View or Render) in the module. When the module cannot be loaded: one
// line on stderr and exit status 1.
int runInShowModule(Invocation& in);

}  // namespace kgl
