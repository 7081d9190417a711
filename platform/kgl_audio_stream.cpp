#include "platform/kgl_audio_stream.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "common/kgl_log.h"
#include "platform/kgl_mp3.h"
#include "platform/kgl_ticks.h"

namespace kgl {

namespace {

int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// "Playing silently" is said once per process, however often the show restarts the music.
bool gSaidSilent = false;

}  // namespace

AudioStream::~AudioStream() {
    close();
}

bool AudioStream::open(const char* path) {
    close();
    std::string reason;
    uint32_t length = 0;
    uint32_t rate = 0;
    uint32_t ch = 0;
    if (!path || !scanMp3(path, length, rate, ch, reason)) {
        logLine("AUDIO", path ? path : "", "cannot play the music (%s)", reason.c_str());
        openSilent();
        return false;
    }
    rate_ = rate;
    channels_ = ch;
    length_ = length;
    lengthKnown_ = true;
    chooseClock(path);
    if (clock_ == Clock::kDevice) startDecoder(path);
    return true;
}

// The buffer is not cleared: its pages are touched only as the decoder writes them, and the
// device never reads past what has been decoded.
void AudioStream::startDecoder(const char* path) {
    pcm_.reset(new uint8_t[length_]);
    decoded_.store(0, std::memory_order_release);
    stopDecoding_.store(false);
    decoder_ = std::thread(&AudioStream::decode, this, std::string(path));
}

// Decoder thread: fills pcm_ front to back and publishes each chunk. A stream that ends early or
// breaks off leaves the rest of the length silent.
void AudioStream::decode(std::string path) {
    Mpg123Handle dec;
    long r = 0;
    int ch = 0;
    std::string reason;
    if (!openMp3Decoder(dec.handle, path.c_str(), r, ch, reason)) return;
    size_t done = decoded_.load(std::memory_order_relaxed);
    while (done < length_ && !stopDecoding_.load(std::memory_order_relaxed)) {
        size_t n = 0;
        const int rc =
            mpg123_read(dec.handle, pcm_.get() + done, std::min<size_t>(length_ - done, 65536), &n);
        done += n;
        decoded_.store(done, std::memory_order_release);
        if (rc == MPG123_NEW_FORMAT || (rc == MPG123_OK && n > 0)) continue;
        if (rc != MPG123_DONE && rc != MPG123_OK)
            logLine("AUDIO", path.c_str(), "decoding stopped (%s): the rest plays silent",
                    mpg123_strerror(dec.handle));
        break;
    }
}

void AudioStream::stopDecoder() {
    stopDecoding_.store(true);
    if (decoder_.joinable()) decoder_.join();
}

void AudioStream::finishDecoding() {
    if (decoder_.joinable()) decoder_.join();
}

void AudioStream::openSilent() {
    close();
    rate_ = kSilentRate;
    channels_ = kSilentChannels;
    lengthKnown_ = false;
    chooseClock(nullptr);
}

// music: the file to play, nullptr for a clock without sound.
void AudioStream::chooseClock(const char* music) {
    const bool withSound = music != nullptr;
    if (fixedTickMode()) {
        clock_ = Clock::kManual;
    } else if (withSound && openDevice()) {
        clock_ = Clock::kDevice;
    } else {
        clock_ = Clock::kSilent;
        if (withSound && !gSaidSilent) {
            gSaidSilent = true;
            logLine("AUDIO", music, "no audio device (%s): playing silently, in time", SDL_GetError());
        }
    }
    restartClockAt(0);
}

bool AudioStream::openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    sdlAudioInit_ = true;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = static_cast<int>(rate_);
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(channels_);
    want.samples = kDeviceBufferFrames;
    want.callback = &AudioStream::feedDevice;
    want.userdata = this;
    SDL_AudioSpec have;
    SDL_zero(have);
    // No allowed changes: SDL converts to whatever the device wants, so one buffer of ours is
    // exactly kDeviceBufferFrames frames of the music.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlAudioInit_ = false;
        return false;
    }
    bufferBytes_ = static_cast<uint32_t>(have.samples) * channels_ * 2;
    return true;
}

void AudioStream::feedDevice(void* self, uint8_t* out, int len) {
    static_cast<AudioStream*>(self)->fill(out, len);
}

// Audio thread, device lock held. Past the end the device gets silence, and the silence still
// counts as handed over, so the position runs on to exactly the length and stops there.
void AudioStream::fill(uint8_t* out, int len) {
    const size_t want = len > 0 ? static_cast<size_t>(len) : 0;
    const size_t ready = decoded_.load(std::memory_order_acquire);
    const size_t avail = handed_ < ready ? ready - static_cast<size_t>(handed_) : 0;
    const size_t n = std::min(want, avail);
    if (n > 0) std::memcpy(out, pcm_.get() + handed_, n);
    if (want > n) std::memset(out + n, 0, want - n);
    handed_ += want;
    lastFeedNs_ = steadyNs();
}

void AudioStream::close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    stopDecoder();
    if (sdlAudioInit_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlAudioInit_ = false;
    }
    pcm_.reset();
    length_ = 0;
    decoded_.store(0);
    lengthKnown_ = false;
    playing_ = false;
    clock_ = Clock::kNone;
    base_ = 0;
    handed_ = 0;
    floor_ = 0;
}

void AudioStream::play() {
    if (clock_ == Clock::kNone) return;
    if (playing_) {
        if (lengthKnown_ && position() == lengthBytes()) restartClockAt(0);
        return;
    }
    playing_ = true;
    restartClockAt(base_);
    if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
}

void AudioStream::pause() {
    if (!playing_) return;
    const uint32_t at = position();
    if (device_ != 0) SDL_PauseAudioDevice(device_, 1);
    playing_ = false;
    setPosition(at);
}

uint64_t AudioStream::bytesForNanoseconds(int64_t ns) const {
    if (ns <= 0) return 0;
    const uint64_t frames = static_cast<uint64_t>(static_cast<__int128>(ns) * rate_ / 1000000000);
    return frames * channels_ * 2;
}

uint32_t AudioStream::limit(uint64_t bytes) const {
    if (lengthKnown_ && bytes > length_) return length_;
    return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

uint32_t AudioStream::frameAligned(uint32_t bytes) const {
    const uint32_t frameBytes = channels_ * 2;
    return bytes - bytes % frameBytes;
}

void AudioStream::restartClockAt(uint32_t bytes) {
    bytes = frameAligned(limit(bytes));
    base_ = bytes;
    baseNs_ = steadyNs();
    baseMs_ = tickTimeMs();
    if (device_ != 0) SDL_LockAudioDevice(device_);
    handed_ = bytes;
    floor_ = bytes;
    lastFeedNs_ = baseNs_;
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
}

uint64_t AudioStream::clockBytes() {
    switch (clock_) {
        case Clock::kManual: {
            // Whole frames of the fixed time elapsed since the clock (re)started; the tiny bias keeps
            // steps such as 1000/60 ms, and the difference of two large tick times after a loop
            // restart, from losing a frame to rounding.
            const double ms = tickTimeMs() - baseMs_;
            if (ms <= 0.0) return base_;
            const auto frames = static_cast<uint64_t>(ms * rate_ / 1000.0 + 1e-3);
            return base_ + frames * channels_ * 2;
        }
        case Clock::kSilent:
            return base_ + bytesForNanoseconds(steadyNs() - baseNs_);
        case Clock::kDevice: {
            SDL_LockAudioDevice(device_);
            const uint64_t since =
                std::min<uint64_t>(bytesForNanoseconds(steadyNs() - lastFeedNs_), bufferBytes_);
            const uint64_t heard = handed_ + since > bufferBytes_ ? handed_ + since - bufferBytes_ : 0;
            const uint32_t pos = std::max(limit(heard), floor_);
            floor_ = pos;
            SDL_UnlockAudioDevice(device_);
            return pos;
        }
        case Clock::kNone:
            break;
    }
    return base_;
}

uint32_t AudioStream::position() {
    if (!playing_) return base_;
    return limit(clockBytes());
}

void AudioStream::setPosition(uint32_t bytes) {
    if (clock_ == Clock::kNone) return;
    if (!playing_) {
        base_ = frameAligned(limit(bytes));
        if (device_ != 0) SDL_LockAudioDevice(device_);
        handed_ = base_;
        floor_ = base_;
        if (device_ != 0) SDL_UnlockAudioDevice(device_);
        return;
    }
    restartClockAt(bytes);
}

}  // namespace kgl
