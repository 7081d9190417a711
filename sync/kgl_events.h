// EventTrack: the recorded cue track "escena/actions.bin". Each mark names a byte position of the
// decoded music and an action number; as the music passes a mark its action's fired flag goes up
// and the director takes it. One EventTrack lives inside the DemoEngine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace kgl {

// One record of the track, as the file stores it.
struct ScriptMark {
    static constexpr int kSpectrumSize = 512;
    uint32_t position = 0;  // bytes of decoded music
    int32_t action = -1;
    uint8_t hasSpectrum = 0;
    float spectrum[kSpectrumSize] = {};
};

class EventTrack {
public:
    static constexpr int kMaxMarks = 4096;
    static constexpr int kFiredSlots = 4096;  // indexed by action number
    static constexpr int kSpectrumSize = ScriptMark::kSpectrumSize;
    static constexpr int kSpectrumCompared = 128;         // values compared per spectrum
    static constexpr double kSpectrumThreshold = 0.0372;  // summed absolute difference
    static constexpr float kNoSpectrum = -1.0f;           // spectrum[0] of a mark without one
    static constexpr size_t kRecordHeadBytes = 9;         // position, action, hasSpectrum
    static constexpr size_t kSpectrumBytes = kSpectrumSize * 4;

    EventTrack();
    virtual ~EventTrack() = default;
    EventTrack(const EventTrack&) = delete;
    EventTrack& operator=(const EventTrack&) = delete;

    void Clear();
    // Reads the track (creating an empty file when there is none) and writes "EVENTS_load.log".
    void Load(const char* path);
    // Moves the cursor to the music start, raising the flags of the marks skipped on the way.
    void Seek(uint32_t target);
    // Once per frame with the music position: at most one positional mark fires per call.
    bool Advance(uint32_t position);
    bool TakeFired(int action);

    int32_t count = 0;   // marks loaded
    int32_t cursor = 0;  // index of the next mark to fire
    uint8_t seekDone = 0;
    uint8_t loaded = 0;
    uint32_t positions[kMaxMarks];
    int32_t actions[kMaxMarks];
    uint8_t fired[kFiredSlots];
    uint8_t hasSpectrum[kMaxMarks];
    float spectrumFirst[kMaxMarks];  // spectrum[0] of each mark; kNoSpectrum: none
    // Compared with the marks' spectra. Nothing feeds live spectra: it stays all zero.
    float currentSpectrum[kSpectrumSize];

    // The full spectrum of mark i (kSpectrumSize floats), nullptr when no mark has one.
    const float* spectrumOf(int i) const;

    // Editing (author mode). A mark inserted at `position` goes after the marks at or before it;
    // one inserted before the cursor counts as passed (the cursor moves with it). Returns its
    // index, -1 when the track is full. RemoveMark keeps the cursor on the same next mark.
    int InsertMark(uint32_t position, int32_t action);
    bool RemoveMark(int index);
    // The index of the last mark at `position` with `action`, -1 when there is none.
    int FindMark(uint32_t position, int32_t action) const;
    // Replaces every mark (the first kMaxMarks, flags cleared, cursor 0) / copies them out, each
    // as the file stores it: spectrum[0] = kNoSpectrum for a mark without one.
    void SetMarks(const std::vector<ScriptMark>& marks);
    void GetMarks(std::vector<ScriptMark>& marks) const;
    // Moves the cursor onto the first mark at or after `position` and clears the flags: the marks
    // before it count as passed.
    void PlaceCursor(uint32_t position);

private:
    void spectrumPass();
    void fire(int32_t action);
    bool readRecord(std::FILE* in, ScriptMark& mark);
    void store(int i, const ScriptMark& mark);

    // Spectra take 8 MiB at full capacity; they are allocated the first time a mark has one,
    // when a track is loaded, and kept for the life of the track.
    std::unique_ptr<float[]> spectra_;
};

}  // namespace kgl
