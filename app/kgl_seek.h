// Seeking the show to a music position P exactly: the frame loop replays its turns from the start
// without drawing (the director's actions and the update steps at a fixed period), so the show
// state at P is the state a straight run reaches there. Under --fixed-fps the replay uses the run's
// own step and clock, so the next drawn frame is the one a straight run draws at P; in real time it
// replays at kReplayFps against a stand-in music clock and then starts the music at P.
// One ShowSeek lives in the show's frame client.
#pragma once

#include <cstdint>
#include <string>

#include "app/kgl_start_time.h"
#include "platform/kgl_audio_stream.h"

namespace kgl {

class SoundSystem;

constexpr double kReplayFps = 30.0;  // loop turns per second of a real-time replay
// The last turns of a replay are drawn (into the back buffer, never presented): drawing an object
// leaves its GL state (texture units, combine modes, colour, blending) to whatever draws next, the
// next frame's first object included, and one drawn turn hands the target frame exactly what a
// straight run's previous frame leaves. State that outlives a frame is replayed without drawing.
constexpr int kDrawnTurns = 1;

// The byte position of `t` in the music `sound` plays, on a sample frame and at least
// SoundSystem::kEndMargin bytes before the end of a music of known length.
uint32_t startPosition(const StartTime& t, const SoundSystem& sound);

// "MM:SS.mmm" of a byte position, into `out` (at least 16 bytes).
void formatMusicTime(uint32_t bytes, const SoundSystem& sound, char* out, size_t size);

// The music clock while a real-time replay runs: it follows the fixed replay time from the
// position where the replay began, as the manual clock of a --fixed-fps run does.
class ReplayStream : public MusicStream {
public:
    void begin(const SoundSystem& sound, uint32_t from);
    bool open(const char*) override { return true; }
    void openSilent() override {}
    void play() override {}
    void close() override {}
    uint32_t position() override;
    void setPosition(uint32_t bytes) override { base_ = bytes; }
    bool lengthKnown() const override { return lengthKnown_; }
    uint32_t lengthBytes() const override { return length_; }
    uint32_t sampleRate() const override { return rate_; }
    uint32_t channels() const override { return channels_; }

private:
    uint32_t base_ = 0;
    bool lengthKnown_ = false;
    uint32_t length_ = 0;
    uint32_t rate_ = AudioStream::kSilentRate;
    uint32_t channels_ = AudioStream::kSilentChannels;
};

// The show's side of a seek: where to go, and the music clock swap around a real-time replay.
class ShowSeek {
public:
    void request(uint32_t target) { target_ = target, pending_ = true; }
    bool pending() const { return pending_; }
    // True while the replay has not reached the target.
    bool skipping(SoundSystem& sound);

    // Around the replay; realTime: the frame loop runs fixed replay time in place of real time.
    void begin(SoundSystem& sound, bool realTime);
    // True when the coming turn is one of the last kDrawnTurns before the target (or the one
    // before them: the step's rounding leaves one turn of slack).
    bool drawsTurn(SoundSystem& sound) const;
    void countTurn() { ++turns_; }
    // Ends the replay and says on stderr where it landed, after how many turns, in how long.
    void end(SoundSystem& sound);

private:
    uint32_t target_ = 0;
    int64_t turns_ = 0;
    uint32_t turnBytes_ = 0;  // music bytes a replayed turn advances
    int64_t beganNs_ = 0;
    bool pending_ = false;
    bool realTime_ = false;
    ReplayStream replay_;
};

}  // namespace kgl
