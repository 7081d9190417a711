// The music back end behind the SoundSystem (stands in for the BASS stream). Opening scans every
// MP3 frame header (no decoding), so the length and every position are exact byte counts of
// decoded audio (sample frame x channels x 2) from the start. Only the device clock needs the
// sound itself: a decoder thread then fills the PCM buffer while the show loads and plays, far
// ahead of the device. One AudioStream lives inside the SoundSystem.
//
// Three clocks drive the position, chosen at open:
//  - device: the SDL audio device plays the PCM; position = bytes handed to the device, minus one
//    device buffer, plus the time since the last callback (capped at one buffer);
//  - silent: no audio device opened; a steady clock runs the position in real time;
//  - manual: fixed-step runs (--fixed-fps); the position follows the fixed tick time that the
//    frame loop advances, so one clock drives both.
// Every clock never goes backwards and stops exactly at the length when the music ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kgl {

// What the SoundSystem needs of a music stream; tests put fakes behind it.
class MusicStream {
public:
    virtual ~MusicStream() = default;
    // Reads the file's format and exact length and prepares playback. false: the file could not
    // be played (said on stderr); the stream then runs as openSilent() does.
    virtual bool open(const char* path) = 0;
    // No music: a clock at 44100 Hz, 2 channels, 16 bits, of unknown length.
    virtual void openSilent() = 0;
    // Starts the clock (and the sound); at the end of the music, starts again from 0.
    virtual void play() = 0;
    // Stops the clock (and the sound) where it is; play() goes on from there.
    virtual void pause() {}
    virtual void close() = 0;
    virtual uint32_t position() = 0;  // bytes of decoded audio
    virtual void setPosition(uint32_t bytes) = 0;
    virtual bool lengthKnown() const = 0;      // false: never ends by itself
    virtual uint32_t lengthBytes() const = 0;  // 0 when unknown
    virtual uint32_t sampleRate() const = 0;   // frames per second
    virtual uint32_t channels() const = 0;     // 1 or 2; samples are always 16-bit
};

class AudioStream : public MusicStream {
public:
    enum class Clock { kNone, kDevice, kSilent, kManual };

    static constexpr uint32_t kSilentRate = 44100;
    static constexpr uint32_t kSilentChannels = 2;
    static constexpr uint32_t kMaxMusicBytes = 1u << 30;  // about 1 h 41 min at 44.1 kHz stereo
    static constexpr uint16_t kDeviceBufferFrames = 1024;

    AudioStream() = default;
    ~AudioStream() override;
    AudioStream(const AudioStream&) = delete;
    AudioStream& operator=(const AudioStream&) = delete;

    bool open(const char* path) override;
    void openSilent() override;
    void play() override;
    void pause() override;
    void close() override;
    uint32_t position() override;
    void setPosition(uint32_t bytes) override;
    bool lengthKnown() const override { return lengthKnown_; }
    uint32_t lengthBytes() const override { return lengthKnown_ ? length_ : 0; }
    uint32_t sampleRate() const override { return rate_; }
    uint32_t channels() const override { return channels_; }

    Clock clock() const { return clock_; }
    // Bytes of PCM decoded so far (device clock only; the other clocks need no sound).
    size_t decodedBytes() const { return decoded_.load(std::memory_order_acquire); }
    // Waits until the decoder thread has finished (tests).
    void finishDecoding();

    // Decodes a whole MP3 file to interleaved signed 16-bit PCM. false with a reason on failure.
    static bool decodeMp3(const char* path, std::vector<uint8_t>& pcm, uint32_t& rate, uint32_t& channels,
                          std::string& reason);
    // Format and exact length in bytes of decoded audio, from the frame headers and the
    // LAME/Xing header (gapless), without decoding. false with a reason on failure.
    static bool scanMp3(const char* path, uint32_t& lengthBytes, uint32_t& rate, uint32_t& channels,
                        std::string& reason);

private:
    static void feedDevice(void* self, uint8_t* out, int len);
    void fill(uint8_t* out, int len);
    bool openDevice();
    void chooseClock(const char* music);
    uint64_t bytesForNanoseconds(int64_t ns) const;
    uint64_t clockBytes();
    uint32_t limit(uint64_t bytes) const;
    uint32_t frameAligned(uint32_t bytes) const;  // positions always fall on a sample frame
    void restartClockAt(uint32_t bytes);
    void startDecoder(const char* path);
    void decode(std::string path);
    void stopDecoder();

    std::unique_ptr<uint8_t[]> pcm_;  // length_ bytes, written by the decoder thread
    uint32_t length_ = 0;
    std::atomic<size_t> decoded_{0};  // bytes of pcm_ ready for the device
    std::atomic<bool> stopDecoding_{false};
    std::thread decoder_;
    uint32_t rate_ = kSilentRate;
    uint32_t channels_ = kSilentChannels;
    bool lengthKnown_ = false;
    bool playing_ = false;
    Clock clock_ = Clock::kNone;

    // Silent and manual clocks: position = base + bytes of the time since baseTime.
    uint32_t base_ = 0;
    int64_t baseNs_ = 0;   // steady clock, silent
    double baseMs_ = 0.0;  // fixed tick time, manual

    // Device clock. handed_ and lastFeedNs_ are written by the audio thread under the device lock.
    uint32_t device_ = 0;
    bool sdlAudioInit_ = false;
    uint64_t handed_ = 0;  // stream bytes handed over so far (silence past the end included)
    int64_t lastFeedNs_ = 0;
    uint32_t bufferBytes_ = 0;
    uint32_t floor_ = 0;  // last reported position: the device clock never goes backwards
};

}  // namespace kgl
