// The show's music: an original piece synthesized sample by sample (drums, bass, pads, arpeggio,
// lead) and encoded to MP3 with libmp3lame, with the LAME/Xing tag so that the decoded length
// equals the synthesized length. The choreography is timed against the same bar grid.
#pragma once

#include <cstdint>
#include <vector>

namespace kgl {
namespace showgen {

constexpr int kSampleRate = 44100;
constexpr int kBeatsPerBar = 4;
constexpr double kTempoBpm = 120.0;
constexpr int kFramesPerBeat = 22050;  // 60 / 120 s at 44.1 kHz
constexpr int kFramesPerBar = kFramesPerBeat * kBeatsPerBar;
constexpr int kSongBars = 88;  // bars of music; one more bar of ringing tail follows
constexpr int kSongFrames = (kSongBars + 1) * kFramesPerBar;

// Sections, in bars: the choreography uses the same numbers.
constexpr int kIntroBar = 0, kBuild1Bar = 8, kDrop1Bar = 16, kBreakBar = 32, kBuild2Bar = 40, kDrop2Bar = 44,
              kBridgeBar = 64, kDrop3Bar = 68, kOutroBar = 80;

// Renders the piece (stereo 16-bit PCM, kSongFrames frames) and returns the MP3 file bytes.
std::vector<uint8_t> makeMusicMp3();

}  // namespace showgen
}  // namespace kgl
