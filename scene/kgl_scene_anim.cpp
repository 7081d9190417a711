// Frame-counter and key-lookup rules of the scene update (see kgl_scene_anim.h).
#include "scene/kgl_scene_anim.h"

namespace kgl {

float StepFrameCounter(float frame, int step, bool forward, int first, int last) {
    if (forward) {
        frame += static_cast<float>(step);
        if (frame > static_cast<float>(last - 2)) frame = static_cast<float>(first + 1);
    } else {
        frame -= static_cast<float>(step);
        if (frame < 1.0f) frame = static_cast<float>(last - 2);
    }
    return frame;
}

float AdvanceFrameCounter(float frame, float frames, int first, int last) {
    frame += frames;
    if (frame > static_cast<float>(last - 2)) frame = static_cast<float>(first + 1);
    return frame;
}

float RewindFrameCounter(float frame, float frames, int first, int /*last*/) {
    frame -= frames;
    if (frame < static_cast<float>(first + 2)) frame = static_cast<float>(first + 1);
    return frame;
}

int StepOwnClock(int current, int first, int last, bool loop) {
    ++current;
    if (loop) {
        if (current > last) current = first;
        else if (current < first) current = last;
    } else {
        if (current > last) current = last;
        if (current < first) current = first;
    }
    return current;
}

int ObjectTrackKey(int f, int keyCount, bool* wrapped) {
    *wrapped = false;
    if (keyCount <= 0) return -1;
    // A frame equal to the key count is already past the last key, so it wraps too.
    if (f >= keyCount || f < 0) {
        *wrapped = true;
        f %= keyCount;
        if (f < 0) f += keyCount;
    }
    return f;
}

int HeldTrackKey(int f, int keyCount) {
    if (keyCount <= 0) return -1;
    if (f < 0) return 0;
    return f < keyCount ? f : keyCount - 1;
}

}  // namespace kgl
