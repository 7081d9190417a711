#include "sync/kgl_events.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"

namespace kgl {

EventTrack::EventTrack() {
    std::memset(positions, 0, sizeof positions);
    std::memset(actions, 0, sizeof actions);
    std::memset(fired, 0, sizeof fired);
    std::memset(hasSpectrum, 0, sizeof hasSpectrum);
    std::memset(currentSpectrum, 0, sizeof currentSpectrum);
    for (float& f : spectrumFirst) f = kNoSpectrum;
}

// count and the spectra stay: the next Load sets them.
void EventTrack::Clear() {
    for (int i = 0; i < kMaxMarks; ++i) {
        positions[i] = 0;
        actions[i] = -1;
    }
    std::memset(fired, 0, sizeof fired);
    cursor = 0;
}

const float* EventTrack::spectrumOf(int i) const {
    if (!spectra_ || i < 0 || i >= kMaxMarks) return nullptr;
    return spectra_.get() + static_cast<size_t>(i) * kSpectrumSize;
}

// Action numbers outside the fired table are kept in the track but never raise anything.
void EventTrack::fire(int32_t action) {
    if (action >= 0 && action < kFiredSlots) fired[action] = 1;
}

bool EventTrack::readRecord(std::FILE* in, ScriptMark& mark) {
    uint8_t head[kRecordHeadBytes];
    if (std::fread(head, 1, sizeof head, in) != sizeof head) return false;
    ByteReader r(head, sizeof head);
    r.u32(mark.position);
    r.i32(mark.action);
    r.u8(mark.hasSpectrum);
    if (!mark.hasSpectrum) {
        mark.spectrum[0] = kNoSpectrum;
        return true;
    }
    uint8_t raw[kSpectrumBytes];
    if (std::fread(raw, 1, sizeof raw, in) != sizeof raw) return false;
    ByteReader s(raw, sizeof raw);
    for (float& v : mark.spectrum) s.f32(v);
    return true;
}

void EventTrack::store(int i, const ScriptMark& mark) {
    positions[i] = mark.position;
    actions[i] = mark.action;
    hasSpectrum[i] = mark.hasSpectrum;
    spectrumFirst[i] = mark.spectrum[0];
    if (!mark.hasSpectrum) return;
    if (!spectra_) spectra_ = std::make_unique<float[]>(static_cast<size_t>(kMaxMarks) * kSpectrumSize);
    std::memcpy(spectra_.get() + static_cast<size_t>(i) * kSpectrumSize, mark.spectrum, sizeof mark.spectrum);
}

void EventTrack::Load(const char* path) {
    if (!path) path = "";
    std::FILE* in = std::fopen(path, "rb");
    if (!in) {
        logLine("EVENTS", path, "not found: an empty track is created");
        in = std::fopen(path, "wb+");  // a missing track is created empty
    }
    std::FILE* log = in ? std::fopen("EVENTS_load.log", "wt") : nullptr;
    if (!in || !log) {
        logLine("EVENTS", path, "cannot open %s: no cues", in ? "EVENTS_load.log" : "the track");
        if (in) std::fclose(in);
        count = 0;
        cursor = 0;
        return;
    }
    int i = 0;
    ScriptMark mark;
    while (readRecord(in, mark)) {
        if (i == kMaxMarks) {
            logLine("EVENTS", path, "more than %d marks: the rest is not used", kMaxMarks);
            break;
        }
        std::fprintf(log, "\nPosition %u ", mark.position);
        std::fprintf(log, "\t Action %d ", mark.action);
        std::fprintf(log, "\t FftData %f ", static_cast<double>(mark.spectrum[0]));
        store(i, mark);
        ++i;
    }
    count = i;
    cursor = 0;
    std::fclose(in);
    loaded = 1;
    std::fclose(log);
}

// Nothing feeds live spectra, so a mark whose spectrum is close enough to silence fires on
// every call; kept so a live spectrum source can be plugged in later.
void EventTrack::spectrumPass() {
    for (int i = 0; i < count; ++i) {
        if (spectrumFirst[i] == kNoSpectrum || !spectra_) continue;
        const float* spectrum = spectrumOf(i);
        double d = 0.0;
        for (int j = 0; j < kSpectrumCompared; ++j) {
            d += std::fabs(static_cast<double>(currentSpectrum[j]) - spectrum[j]);
        }
        if (d < kSpectrumThreshold) fire(actions[i]);
    }
}

// A mark fires on the first call with a position strictly past it, one mark per call.
bool EventTrack::Advance(uint32_t position) {
    spectrumPass();
    if (cursor < count && position > positions[cursor]) {
        fire(actions[cursor]);
        ++cursor;
        return true;
    }
    return false;
}

bool EventTrack::TakeFired(int action) {
    if (action < 0 || action >= kFiredSlots || fired[action] != 1) return false;
    fired[action] = 0;
    return true;
}

// Forward: walks from the cursor, Advance(positions[k]) firing the mark before k, until the
// first mark past the target; that mark's predecessor stays unfired (it fires on a later frame
// once the music passes it). Backward: walks down to the first mark before the target, never
// looking at mark 0 (only the start-up seek from cursor 0 is ever used, always forward). A track
// whose cursor is already past its last mark only gets its spectrum pass.
void EventTrack::Seek(uint32_t target) {
    seekDone = 0;
    int k = cursor;
    if (cursor >= count) {
        Advance(target);
        return;
    }
    if (target >= positions[cursor]) {
        do {
            if (target < positions[k]) {
                cursor = k;
                seekDone = 1;
                spectrumPass();
            } else {
                Advance(positions[k]);
            }
            ++k;
        } while (k < count && !seekDone);
    } else {
        do {
            if (target > positions[k]) {
                cursor = k;
                seekDone = 1;
                spectrumPass();
            } else {
                Advance(positions[k]);
            }
            --k;
        } while (k > 0 && !seekDone);
    }
}

int EventTrack::InsertMark(uint32_t position, int32_t action) {
    if (count < 0 || count >= kMaxMarks) return -1;
    const int at = static_cast<int>(std::upper_bound(positions, positions + count, position) - positions);
    for (int i = count; i > at; --i) {
        positions[i] = positions[i - 1];
        actions[i] = actions[i - 1];
        hasSpectrum[i] = hasSpectrum[i - 1];
        spectrumFirst[i] = spectrumFirst[i - 1];
        if (spectra_) {
            float* s = spectra_.get();
            std::memcpy(s + static_cast<size_t>(i) * kSpectrumSize,
                        s + static_cast<size_t>(i - 1) * kSpectrumSize, sizeof(float) * kSpectrumSize);
        }
    }
    ScriptMark mark;
    mark.position = position;
    mark.action = action;
    mark.spectrum[0] = kNoSpectrum;
    store(at, mark);
    ++count;
    if (at < cursor) ++cursor;
    return at;
}

bool EventTrack::RemoveMark(int index) {
    if (index < 0 || index >= count) return false;
    for (int i = index; i + 1 < count; ++i) {
        positions[i] = positions[i + 1];
        actions[i] = actions[i + 1];
        hasSpectrum[i] = hasSpectrum[i + 1];
        spectrumFirst[i] = spectrumFirst[i + 1];
        if (spectra_) {
            float* s = spectra_.get();
            std::memcpy(s + static_cast<size_t>(i) * kSpectrumSize,
                        s + static_cast<size_t>(i + 1) * kSpectrumSize, sizeof(float) * kSpectrumSize);
        }
    }
    --count;
    positions[count] = 0;
    actions[count] = -1;
    hasSpectrum[count] = 0;
    spectrumFirst[count] = kNoSpectrum;
    if (index < cursor) --cursor;
    return true;
}

int EventTrack::FindMark(uint32_t position, int32_t action) const {
    for (int i = count - 1; i >= 0; --i) {
        if (positions[i] == position && actions[i] == action) return i;
    }
    return -1;
}

void EventTrack::SetMarks(const std::vector<ScriptMark>& marks) {
    Clear();
    const size_t n = std::min(marks.size(), static_cast<size_t>(kMaxMarks));
    for (size_t i = 0; i < n; ++i) store(static_cast<int>(i), marks[i]);
    for (size_t i = n; i < static_cast<size_t>(kMaxMarks); ++i) {
        hasSpectrum[i] = 0;
        spectrumFirst[i] = kNoSpectrum;
    }
    count = static_cast<int32_t>(n);
    cursor = 0;
    loaded = 1;
}

void EventTrack::GetMarks(std::vector<ScriptMark>& marks) const {
    marks.resize(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        ScriptMark& m = marks[static_cast<size_t>(i)];
        m.position = positions[i];
        m.action = actions[i];
        m.hasSpectrum = hasSpectrum[i];
        const float* s = hasSpectrum[i] ? spectrumOf(i) : nullptr;
        if (s) {
            std::memcpy(m.spectrum, s, sizeof m.spectrum);
        } else {
            std::memset(m.spectrum, 0, sizeof m.spectrum);
            m.spectrum[0] = kNoSpectrum;
        }
    }
}

void EventTrack::PlaceCursor(uint32_t position) {
    std::memset(fired, 0, sizeof fired);
    cursor = static_cast<int32_t>(std::lower_bound(positions, positions + count, position) - positions);
}

}  // namespace kgl
