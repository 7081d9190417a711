// The JPEG reader on hostile bytes through its three sources: memory (packed textures, K2D
// entries), an open stream (probe, seek back, decode) and a file path. A fatal libjpeg error
// must come back through the error exit as a plain failure. Each decode gets a buffer of exactly
// the probed size, and once a buffer one byte short, which must be refused untouched. Images
// above kDecodePixels are probed only: a few header bytes can claim 4096 x 4096, and decoding
// 48 MB three times per input held the run to 13 inputs a second.
// fuzz-seeds: jpeg
// fuzz-dict: "\xff\xd8\xff" "\xff\xd9" "\xff\xc0" "\xff\xc1" "\xff\xc2" "\xff\xc4" "\xff\xda"
// fuzz-dict: "\xff\xdb" "\xff\xdd" "\xff\xe0" "JFIF\x00" "\xff\xd0" "\xff\xfe"
// fuzz-options: -max_len=16384
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_common.h"
#include "image/kgl_jpeg.h"

namespace {

constexpr long kDecodePixels = 512L * 512L;

bool worthDecoding(const kgl::JpegReader& r) {
    return static_cast<long>(r.Width()) * r.Height() <= kDecodePixels;
}

// A buffer of the probed size plus a guard byte that no decode may change.
bool decodeInto(kgl::JpegReader& r, const uint8_t* data, size_t size, size_t capacity, FILE* stream,
                const char* path) {
    std::vector<uint8_t> pixels(capacity + 1, 0xa5);
    bool ok = false;
    if (stream)
        ok = r.DecodeStream(stream, pixels.data(), capacity);
    else if (path)
        ok = r.DecodeFile(path, pixels.data(), capacity);
    else
        ok = r.DecodeMemory(data, size, pixels.data(), capacity);
    if (pixels[capacity] != 0xa5) std::abort();
    return ok;
}

void memoryPath(const uint8_t* data, size_t size) {
    kgl::JpegReader r;
    r.SetName("fuzz:memory");
    if (!r.ProbeMemory(data, size)) return;
    const size_t bytes = r.ByteSize();
    if (r.Width() <= 0 || r.Height() <= 0 || bytes > static_cast<size_t>(kgl::kMaxImagePixels) * 3)
        std::abort();
    if (!worthDecoding(r)) return;
    if (decodeInto(r, data, size, bytes - 1, nullptr, nullptr)) std::abort();
    decodeInto(r, data, size, bytes, nullptr, nullptr);
}

void streamPath(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) std::abort();
    kgl::JpegReader r;
    r.SetName("fuzz:stream");
    if (r.ProbeStream(f) && worthDecoding(r) && std::fseek(f, 0, SEEK_SET) == 0)
        decodeInto(r, nullptr, 0, r.ByteSize(), f, nullptr);
    std::fclose(f);
}

void filePath(const char* path) {
    kgl::JpegReader r;
    if (r.ProbeFile(path) && worthDecoding(r)) decodeInto(r, nullptr, 0, r.ByteSize(), nullptr, path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    memoryPath(data, size);
    const char* path = kgl_test::writeInput("image.jpg", data, size);
    streamPath(path);
    filePath(path);
    return 0;
}
