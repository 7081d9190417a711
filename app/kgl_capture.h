// Frame capture for --capture: the back buffer of every swap (or of every Nth, --capture-every)
// written as DIR/frame-NNNNNN.png, NNNNNN counting swaps. One instance, owned by the show; its pixel buffer
// is sized once so capturing allocates nothing per frame.
#pragma once

#include <cstdint>
#include <vector>

namespace kgl {

class FrameCapture {
public:
    FrameCapture() = default;
    virtual ~FrameCapture() = default;

    // Starts capturing frames of width x height into `dir` (created when missing), one swap in
    // `every` (swaps 0, every, 2*every, ...; values below 1 mean every swap).
    bool open(const char* dir, int width, int height, int every = 1);
    bool active() const { return dir_ != nullptr; }

    // Counts one swap; on a sampled one reads the back buffer and writes it, numbered by the swap.
    // False on a skipped swap or (said on stderr) on failure.
    bool captureFrame();
    int framesWritten() const { return written_; }

    // Creates `dir` when missing. False (said on stderr) when it cannot be made.
    static bool makeFolder(const char* dir);

    // Writes the back buffer of the current context (width x height) as one PNG file.
    static bool writeBackBuffer(const char* path, int width, int height, std::vector<uint8_t>& pixels);

private:
    const char* dir_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int every_ = 1;
    int nextIndex_ = 0;  // swaps seen
    int written_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace kgl
