// JpegReader: decodes one JPEG stream into a caller-owned RGB buffer (width * height * 3 bytes,
// top row first, no row padding) with libjpeg's 6b interface. A fatal libjpeg error returns to
// the caller through the error exit (one "JPEG: [name] ..." line). Once decoding into the buffer
// has begun, the rows decoded before the error are kept and the decode counts as done; only a
// stream whose header cannot be read fails. Reusable: one per image-owning object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kgl {

// Images above this many pixels are refused (a damaged header must not drive a huge buffer).
constexpr long kMaxImagePixels = 4096L * 4096L;

class JpegReader {
public:
    JpegReader() = default;
    virtual ~JpegReader() = default;

    // Reads the header and starts decompression to learn the output size; closes the file.
    // A file that cannot be opened leaves the size unchanged and reports nothing.
    bool ProbeFile(const char* path);
    // Decodes the whole file into `pixels` (at least width * height * 3 bytes: `capacity`).
    bool DecodeFile(const char* path, uint8_t* pixels, size_t capacity);
    // Header of the stream at its current position; the position afterwards is wherever libjpeg
    // left it, so callers remember the start and seek back before decoding.
    bool ProbeStream(FILE* stream);
    bool DecodeStream(FILE* stream, uint8_t* pixels, size_t capacity);
    // The same over a byte span: the decoder can never read outside [data, data + size).
    // Packed scene textures and K2D entries are decoded this way.
    bool ProbeMemory(const uint8_t* data, size_t size);
    bool DecodeMemory(const uint8_t* data, size_t size, uint8_t* pixels, size_t capacity);

    int Width() const { return width_; }
    int Height() const { return height_; }
    size_t ByteSize() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3; }

    // Name used in diagnostics (file name or "file:entry").
    void SetName(const std::string& name) { name_ = name; }

private:
    int width_ = 0;
    int height_ = 0;
    std::string name_ = "jpeg";
};

}  // namespace kgl
