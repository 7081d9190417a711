#include "app/kgl_seek.h"

#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/kgl_ticks.h"
#include "sync/kgl_soundsys.h"

namespace kgl {

namespace {

uint32_t frameBytesOf(const SoundSystem& sound) {
    return (sound.channelFlags & SoundSystem::kFlagMono) ? 2 : 4;
}

}  // namespace

uint32_t startPosition(const StartTime& t, const SoundSystem& sound) {
    const uint32_t fb = frameBytesOf(sound);
    uint64_t bytes = t.bytes;
    if (!t.isBytes) {
        const double rate = sound.sampleRate > 0 ? sound.sampleRate : AudioStream::kSilentRate;
        bytes = static_cast<uint64_t>(std::floor(t.seconds * rate + 1e-6)) * fb;
    }
    if (sound.lengthKnown) {
        const uint32_t latest =
            sound.lengthBytes > SoundSystem::kEndMargin ? sound.lengthBytes - SoundSystem::kEndMargin : 0;
        if (bytes > latest) bytes = latest;
    }
    if (bytes > UINT32_MAX) bytes = UINT32_MAX;
    return static_cast<uint32_t>(bytes - bytes % fb);
}

void formatMusicTime(uint32_t bytes, const SoundSystem& sound, char* out, size_t size) {
    const double rate = sound.sampleRate > 0 ? sound.sampleRate : AudioStream::kSilentRate;
    const auto ms = static_cast<uint64_t>(bytes / frameBytesOf(sound) * 1000.0 / rate);
    std::snprintf(out, size, "%02u:%02u.%03u", static_cast<unsigned>(ms / 60000),
                  static_cast<unsigned>(ms / 1000 % 60), static_cast<unsigned>(ms % 1000));
}

void ReplayStream::begin(const SoundSystem& sound, uint32_t from) {
    base_ = from;
    lengthKnown_ = sound.lengthKnown != 0;
    length_ = sound.lengthBytes;
    rate_ = sound.sampleRate > 0 ? sound.sampleRate : AudioStream::kSilentRate;
    channels_ = (sound.channelFlags & SoundSystem::kFlagMono) ? 1 : 2;
}

// Whole frames of the fixed replay time, with the manual clock's rounding bias.
uint32_t ReplayStream::position() {
    const double ms = tickTimeMs();
    const uint64_t frames = ms > 0.0 ? static_cast<uint64_t>(ms * rate_ / 1000.0 + 1e-3) : 0;
    uint64_t p = base_ + frames * channels_ * 2;
    if (lengthKnown_ && p > length_) p = length_;
    return p > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(p);
}

bool ShowSeek::skipping(SoundSystem& sound) {
    return pending_ && sound.Position() < target_;
}

bool ShowSeek::drawsTurn(SoundSystem& sound) const {
    const uint32_t p = sound.Position();
    return p < target_ && target_ - p <= static_cast<uint64_t>(turnBytes_) * kDrawnTurns + turnBytes_ / 2;
}

namespace {
int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void ShowSeek::begin(SoundSystem& sound, bool realTime) {
    realTime_ = realTime;
    turns_ = 0;
    const double stepMs = realTime ? 1000.0 / kReplayFps : fixedTickStepMs();
    const double rate = sound.sampleRate > 0 ? sound.sampleRate : AudioStream::kSilentRate;
    turnBytes_ = static_cast<uint32_t>(stepMs * rate / 1000.0) * frameBytesOf(sound);
    beganNs_ = steadyNowNs();
    if (!realTime) return;
    const uint32_t from = sound.Position();
    sound.Pause();
    replay_.begin(sound, from);
    sound.UseStream(&replay_);
}

void ShowSeek::end(SoundSystem& sound) {
    pending_ = false;
    const uint32_t reached = sound.Position();
    if (realTime_) {
        sound.UseStream(nullptr);
        sound.SetPositionBytes(reached);
        sound.Resume();
        realTime_ = false;
    }
    char at[32];
    formatMusicTime(reached, sound, at, sizeof at);
    const double ms = static_cast<double>(steadyNowNs() - beganNs_) / 1e6;
    std::fprintf(stderr, "SEEK: [%s] @%" PRIu32 ", %" PRId64 " turns replayed in %.1f ms\n", at, reached,
                 turns_, ms);
}

}  // namespace kgl
