// The FFmpeg side of VideoEncoder, built as the module "kgl_video.so" beside the kgl executable and
// loaded only when a video is written: FFmpeg pulls in about a hundred shared libraries, and
// loading them would cost every kgl process (convert, info, the show) some 80 ms of start-up.
// The module exports one C function that returns this table; an encoder is an opaque handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kgl {

struct VideoSettings;

constexpr int kVideoModuleAbi = 1;  // raised whenever the table or VideoSettings change
constexpr const char* kVideoModuleFile = "kgl_video.so";
constexpr const char* kVideoModuleEntry = "kglVideoModule";

struct VideoModule {
    int abi;
    void* (*create)();
    void (*destroy)(void* encoder);  // abandons an unfinished file
    bool (*open)(void* encoder, const VideoSettings& settings, std::string& error);
    bool (*addPicture)(void* encoder, const uint8_t* rgb, std::string& error);
    bool (*addAudio)(void* encoder, const int16_t* samples, size_t frames, std::string& error);
    bool (*finish)(void* encoder, std::string& error);
    int64_t (*picturesWritten)(const void* encoder);
    const char* (*videoCodecName)(const void* encoder);
};

using VideoModuleEntry = const VideoModule* (*)();

}  // namespace kgl
