#include "app/kgl_capture.h"

#include <GL/gl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "common/kgl_log.h"

namespace kgl {

namespace {
constexpr int kMaxCaptureSide = 8192;
constexpr int kMaxCaptureFrames = 1000000;  // frame-NNNNNN
}  // namespace

bool FrameCapture::open(const char* dir, int width, int height, int every) {
    if (width <= 0 || height <= 0 || width > kMaxCaptureSide || height > kMaxCaptureSide) return false;
    if (!makeFolder(dir)) return false;
    dir_ = dir;
    width_ = width;
    height_ = height;
    every_ = every < 1 ? 1 : every;
    nextIndex_ = 0;
    written_ = 0;
    pixels_.assign(static_cast<size_t>(width) * height * 3, 0);
    return true;
}

bool FrameCapture::makeFolder(const char* dir) {
    if (::mkdir(dir, 0755) != 0 && errno != EEXIST) {
        logLine("CAPTURE", dir, "cannot create the capture folder");
        return false;
    }
    return true;
}

bool FrameCapture::captureFrame() {
    if (!dir_ || nextIndex_ >= kMaxCaptureFrames) return false;
    const int index = nextIndex_++;
    if (index % every_ != 0) return false;
    char path[1200];
    std::snprintf(path, sizeof path, "%s/frame-%06d.png", dir_, index);
    if (!writeBackBuffer(path, width_, height_, pixels_)) return false;
    ++written_;
    return true;
}

bool FrameCapture::writeBackBuffer(const char* path, int width, int height, std::vector<uint8_t>& pixels) {
    // RGB only: the show leaves arbitrary alpha in the buffer, which would make the PNG see-through.
    const size_t bytes = static_cast<size_t>(width) * height * 3;
    if (pixels.size() < bytes) pixels.resize(bytes);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    stbi_flip_vertically_on_write(1);      // GL rows run bottom-up, PNG rows top-down
    stbi_write_png_compression_level = 1;  // fast: capture may run every frame
    if (!stbi_write_png(path, width, height, 3, pixels.data(), width * 3)) {
        logLine("CAPTURE", path, "cannot write the frame");
        return false;
    }
    return true;
}

}  // namespace kgl
