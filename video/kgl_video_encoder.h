// Writes a video file: H.264 pictures (yuv420p) and, optionally, the music as AAC, muxed into MP4
// or Matroska (chosen by the output's extension). Everything FFmpeg stays behind this interface.
// The file is written under a temporary name next to the final one and renamed only by finish(),
// so the final name never holds a half-written file. Buffers are sized at open(): adding a
// picture or audio allocates nothing of ours.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kgl {

struct VideoSettings {
    std::string path;  // the final name (.mp4 or .mkv)
    int width = 0;     // the video's size, both even
    int height = 0;
    int pictureWidth = 0;   // the size of the pictures handed in (at most the video's size; both
    int pictureHeight = 0;  // even), centred with black bars around them
    int rateNum = 60;       // frames per second as a fraction
    int rateDen = 1;
    int quality = 85;       // 1 (smallest file) .. 100 (best picture)
    int audioRate = 0;      // sample frames per second; 0: no audio stream
    int audioChannels = 0;  // 1 or 2
};

class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder();  // abandons an unfinished file (the temporary file is removed)
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // The container of a path by its extension ("mp4", "matroska"), nullptr for any other.
    static const char* containerOf(const std::string& path);
    // The temporary name the file is written under until finish().
    static std::string temporaryPath(const std::string& path);

    // Creates the temporary file and sets up the encoders. false with one line in `error`.
    bool open(const VideoSettings& settings, std::string& error);
    // Adds the next picture: RGB, 3 bytes a pixel, rows bottom-up (as OpenGL reads them).
    bool addPicture(const uint8_t* rgb, std::string& error);
    // Adds the next audio: interleaved signed 16-bit samples, `frames` sample frames.
    bool addAudio(const int16_t* samples, size_t frames, std::string& error);
    // Flushes the encoders, closes the file and renames it to its final name.
    bool finish(std::string& error);
    // Closes and removes the temporary file.
    void abandon();

    int64_t picturesWritten() const;
    // The H.264 encoder in use ("libx264", ...), empty before open().
    const char* videoCodecName() const;

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace kgl
