// Writes a video file: H.264 pictures (yuv420p) and, optionally, the music as AAC, muxed into MP4
// or Matroska (chosen by the output's extension). Everything FFmpeg stays behind this interface,
// in the module kgl_video.so that open() loads on first use (see kgl_video_module.h).
// The file is written under a temporary name next to the final one and renamed only by finish(),
// so the final name never holds a half-written file. Buffers are sized at open(): adding a
// picture or audio allocates nothing of ours.
#pragma once

#include <cstdint>
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
    // Inline, as the FFmpeg module uses them too (see kgl_video_module.h).
    static const char* containerOf(const std::string& path) {
        if (endsWithLower(path, ".mp4")) return "mp4";
        if (endsWithLower(path, ".mkv")) return "matroska";
        return nullptr;
    }
    // The temporary name the file is written under until finish().
    static std::string temporaryPath(const std::string& path) { return path + ".part"; }

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
    // True when `path` ends with `tail` (lower case), whatever the case of the path.
    static bool endsWithLower(const std::string& path, const char* tail) {
        const size_t n = std::char_traits<char>::length(tail);
        if (path.size() < n) return false;
        for (size_t i = 0; i < n; ++i) {
            char c = path[path.size() - n + i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != tail[i]) return false;
        }
        return true;
    }

    void* encoder_ = nullptr;  // the module's encoder, created by open()
};

}  // namespace kgl
