// VideoEncoder forwards to the FFmpeg module, loaded on the first open() of the process.
#include "video/kgl_video_encoder.h"

#include "platform/kgl_module.h"
#include "video/kgl_video_module.h"

namespace kgl {
namespace {

// The module's table, or nullptr with the reason in `error` (the load is tried once).
const VideoModule* videoModule(std::string& error) {
    static const VideoModule* module = nullptr;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto entry =
            reinterpret_cast<VideoModuleEntry>(loadModuleEntry(kVideoModuleFile, kVideoModuleEntry, failure));
        module = entry ? entry() : nullptr;
        if (module && module->abi != kVideoModuleAbi) {
            failure = std::string(kVideoModuleFile) + " is from another build of kgl";
            module = nullptr;
        }
    }
    if (!module) error = failure;
    return module;
}

}  // namespace

VideoEncoder::VideoEncoder() = default;

VideoEncoder::~VideoEncoder() {
    abandon();
}

bool VideoEncoder::open(const VideoSettings& settings, std::string& error) {
    abandon();
    const VideoModule* m = videoModule(error);
    if (!m) return false;
    encoder_ = m->create();
    return m->open(encoder_, settings, error);
}

bool VideoEncoder::addPicture(const uint8_t* rgb, std::string& error) {
    return encoder_ && videoModule(error)->addPicture(encoder_, rgb, error);
}

bool VideoEncoder::addAudio(const int16_t* samples, size_t frames, std::string& error) {
    return !encoder_ || videoModule(error)->addAudio(encoder_, samples, frames, error);
}

bool VideoEncoder::finish(std::string& error) {
    if (!encoder_) {
        error = "the file was not started";
        return false;
    }
    return videoModule(error)->finish(encoder_, error);
}

void VideoEncoder::abandon() {
    if (!encoder_) return;
    std::string unused;
    videoModule(unused)->destroy(encoder_);
    encoder_ = nullptr;
}

int64_t VideoEncoder::picturesWritten() const {
    std::string unused;
    return encoder_ ? videoModule(unused)->picturesWritten(encoder_) : 0;
}

const char* VideoEncoder::videoCodecName() const {
    std::string unused;
    return encoder_ ? videoModule(unused)->videoCodecName(encoder_) : "";
}

}  // namespace kgl
