#include "sync/kgl_soundsys.h"

#include <cmath>

namespace kgl {

uint32_t SoundSystem::frameBytes() const {
    const uint32_t channels = (channelFlags & kFlagMono) ? 1 : 2;
    const uint32_t sampleBytes = (channelFlags & kFlag8Bit) ? 1 : 2;
    return channels * sampleBytes;
}

// Asked at the start and again at every loop restart.
void SoundSystem::takeStreamInfo() {
    lengthKnown = stream_->lengthKnown() ? 1 : 0;
    endPosition = stream_->lengthBytes();
    lengthBytes = stream_->lengthBytes();
    sampleRate = stream_->sampleRate();
    channelFlags = stream_->channels() == 1 ? kFlagMono : 0;
    const uint32_t bytesPerSecond = sampleRate * frameBytes();
    lengthWholeSeconds = bytesPerSecond > 0 ? lengthBytes / bytesPerSecond : 0;
}

void SoundSystem::StartStream(const char* fileName) {
    restarted = 0;
    isModule = 0;
    stream_->open(fileName);
    takeStreamInfo();
    lengthSeconds = BytesToSeconds(lengthBytes);
    stream_->play();
}

void SoundSystem::StartSilent() {
    restarted = 0;
    isModule = 0;
    stream_->openSilent();
    takeStreamInfo();
    lengthSeconds = 0.0f;
    stream_->play();
}

void SoundSystem::Stop() {
    stream_->close();
}

bool SoundSystem::PollEnd() {
    if (!lengthKnown) return false;
    const uint32_t position = stream_->position();
    if (position != endPosition) return false;
    if (!loop) return true;
    restarted = 1;
    stream_->play();  // at the end: from the beginning again
    takeStreamInfo();
    return false;
}

uint32_t SoundSystem::Position() {
    return stream_->position();
}

// Kept at least kEndMargin bytes before the end; a music shorter than that starts at 0
// (the unsigned subtraction would otherwise wrap and lift the limit altogether).
void SoundSystem::SetPositionBytes(uint32_t position) {
    if (lengthKnown) {
        const uint32_t latest = lengthBytes > kEndMargin ? lengthBytes - kEndMargin : 0;
        if (position > latest) position = latest;
    }
    stream_->setPosition(position);
}

void SoundSystem::SetPositionSeconds(float& seconds) {
    if (lengthKnown && seconds > lengthSeconds - kEndMarginSeconds) {
        seconds = lengthSeconds - kEndMarginSeconds;
    } else if (seconds < kMinStartSeconds) {
        seconds = kEarlyStartSeconds;
    }
    stream_->setPosition(SecondsToBytes(seconds));
}

// Whole sample frames, as the byte positions of decoded audio count them; negative or NaN
// times are 0 and times past 32 bits of bytes stop at the last whole frame.
uint32_t SoundSystem::SecondsToBytes(float seconds) const {
    const uint32_t fb = frameBytes();
    if (!(seconds > 0.0f) || sampleRate == 0) return 0;
    const double frames = std::floor(static_cast<double>(seconds) * sampleRate);
    const double maxFrames = static_cast<double>(UINT32_MAX / fb);
    if (frames >= maxFrames) return static_cast<uint32_t>(UINT32_MAX / fb) * fb;
    return static_cast<uint32_t>(frames) * fb;
}

float SoundSystem::BytesToSeconds(uint32_t bytes) const {
    const uint32_t bytesPerSecond = sampleRate * frameBytes();
    return bytesPerSecond > 0 ? static_cast<float>(static_cast<double>(bytes) / bytesPerSecond) : 0.0f;
}

}  // namespace kgl
