// "kgl render OUT.mp4": the show played headless at a fixed step of 1/F s, every frame encoded
// with the show's music into a video file. Frame k shows music position k/F s, exactly as
// --fixed-fps F plays it.
#pragma once

#include <cstdint>

#include "app/kgl_cmdline.h"

namespace kgl {

// The frames of a render: the first and one past the last frame of the show that go into the
// video, for the times [start, end) at `fps` frames per second.
struct FrameRange {
    int64_t first = 0;
    int64_t end = 0;
};
FrameRange framesOf(double start, double end, double fps);

// The audio sample frame that plays with show frame `frame` (the fixed clock's rounding).
uint64_t sampleOfFrame(int64_t frame, double fps, uint32_t sampleRate);

// The size of the show's picture in a width x height video: the whole video when stretched, else
// the largest 4:3 picture inside it (even sides), centred with black bars.
void pictureSize(int width, int height, Aspect aspect, int& pictureWidth, int& pictureHeight);

// Renders; returns the process exit status (2 for bad input, 130 when stopped by Ctrl+C).
int runRender(const RenderOptions& options);

}  // namespace kgl
