// SoundSystem: plays the show's music and answers where it is now, in bytes of decoded audio.
// That position is the show's master clock (the event track and the director compare it with
// recorded positions). One SoundSystem lives inside the DemoEngine; it plays through an
// AudioStream of its own, or through a stream that a test hands it.
#pragma once

#include <cstdint>

#include "platform/kgl_audio_stream.h"

namespace kgl {

class SoundSystem {
public:
    static constexpr uint32_t kFlag8Bit = 1;           // channelFlags bit 0: 8-bit samples (never here)
    static constexpr uint32_t kFlagMono = 2;           // channelFlags bit 1: one channel
    static constexpr uint32_t kEndMargin = 1000;       // a start offset stays this far before the end
    static constexpr float kEndMarginSeconds = 2.0f;   // a start time stays this far before the end
    static constexpr float kMinStartSeconds = 0.01f;   // start times below this ...
    static constexpr float kEarlyStartSeconds = 0.2f;  // ... become this

    SoundSystem() = default;
    virtual ~SoundSystem() = default;
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Opens and plays the music. A file that cannot be played leaves a clock of unknown length
    // running (said on stderr): the show plays in time and never ends by itself.
    void StartStream(const char* fileName);
    // Music off: the position still counts bytes at 44100 Hz x 2 channels x 2 bytes from now,
    // so an action track plays in time; PollEnd never reports an end.
    void StartSilent();
    void Stop();
    // Author mode: the music (and its position) stops where it is; Resume plays on from there.
    void Pause() { stream_->pause(); }
    void Resume() { stream_->play(); }
    // Once per update step. Loop off: true when the position equals the length exactly.
    // Loop on: at the end the music starts again from 0 and `restarted` is raised; never true.
    bool PollEnd();
    uint32_t Position();
    void SetPositionBytes(uint32_t position);
    void SetPositionSeconds(float& seconds);  // limits the caller's value in place
    uint32_t SecondsToBytes(float seconds) const;
    float BytesToSeconds(uint32_t bytes) const;

    // Tests play through a fake; nullptr goes back to the own AudioStream.
    void UseStream(MusicStream* stream) { stream_ = stream ? stream : &audio_; }
    const AudioStream& audio() const { return audio_; }

    float lengthSeconds = 0.0f;
    uint8_t loop = 0;
    uint8_t restarted = 0;
    int32_t isModule = 0;     // always a stream in this build
    uint8_t lengthKnown = 0;  // 0: no music length, the music never ends by itself
    uint32_t lengthBytes = 0;
    uint32_t sampleRate = 0;
    uint32_t channelFlags = 0;
    uint32_t lengthWholeSeconds = 0;
    uint32_t endPosition = 0;  // the byte position that counts as the end of the music

private:
    void takeStreamInfo();
    uint32_t frameBytes() const;

    AudioStream audio_;
    MusicStream* stream_ = &audio_;
};

}  // namespace kgl
