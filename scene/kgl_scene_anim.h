// Frame-counter and track-index rules of the scene update, on plain values: the wrap of the
// frame counter in both directions, the director's moves of it, an object's own clock and the
// lookup of a key for a frame. Scene3D::Update uses them; the unit tests check them directly.
#pragma once

namespace kgl {

// One update step. Forward: frame + step, past last - 2 back to first + 1. Backwards:
// frame - step, below 1 to last - 2.
float StepFrameCounter(float frame, int step, bool forward, int first, int last);
// The director's moves: AdvanceFrames wraps past last - 2 to first + 1, RewindFrames below
// first + 2 to first + 1.
float AdvanceFrameCounter(float frame, float frames, int first, int last);
float RewindFrameCounter(float frame, float frames, int first, int last);

// One tick of an object's own clock: the key moves on by one, then wraps (loop) or is clamped.
int StepOwnClock(int current, int first, int last, bool loop);

// Key of an object track (position, rotation) for frame f: f itself when it holds a key, else
// f modulo the key count. Returns -1 for a track without keys (it is skipped). `wrapped` tells
// whether the modulo applied (the rotation track then resets to its initial rotation).
int ObjectTrackKey(int f, int keyCount, bool* wrapped);

// Key of a camera or light track for frame f: f while it holds a key, the last key after that,
// -1 without keys.
int HeldTrackKey(int f, int keyCount);

}  // namespace kgl
