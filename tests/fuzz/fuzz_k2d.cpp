// The K2D entry walk on hostile bytes, read from a file as every picture reader does, and each
// entry decoded the ways the readers decode them: into a buffer of the picture's own size (the
// picture set, the screen flash) and into fixed buffers after a size check (lens-flare images of
// 128 x 128, particle sprites of 32 x 32). Buffers are exactly their capacity, so a decoder
// writing past one is caught.
// fuzz-seeds: k2d
// fuzz-dict: "\xff\xd8\xff" "\xff\xd9" "\xff\xc0" "\xff\xc2" "\xff\xda" "\xff\xc4" "\xff\xdb"
// fuzz-options: -max_len=65536
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz_common.h"
#include "image/kgl_k2d.h"
#include "image/kgl_texture.h"
#include "scene/kgl_lensflare.h"
#include "scene/kgl_particle_emit.h"

namespace {

// Probe, check the size against the buffer's side, decode: as the lens flare and particles do.
void decodeFixed(kgl::JpegReader& reader, const kgl::K2DEntry& e, int side) {
    if (!reader.ProbeMemory(e.data, e.size)) return;
    if (reader.Width() <= 0 || reader.Height() <= 0 || reader.Width() > side || reader.Height() > side)
        return;
    const size_t capacity = static_cast<size_t>(side) * side * 3;
    auto pixels = std::make_unique<uint8_t[]>(capacity);
    reader.DecodeMemory(e.data, e.size, pixels.get(), capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = kgl_test::writeInput("pictures.k2d", data, size);
    std::vector<uint8_t> bytes;
    if (!kgl::ReadK2DFile(path, bytes) || bytes.size() != size) std::abort();
    kgl::JpegReader reader;
    reader.SetName(path);
    int expected = 0;
    const int visited = kgl::WalkK2D(bytes, path, [&](const kgl::K2DEntry& e) {
        if (e.number != expected++) std::abort();
        // The span lies inside the file.
        if (e.data < bytes.data() || e.size > bytes.size() ||
            static_cast<size_t>(e.data - bytes.data()) > bytes.size() - e.size)
            std::abort();
        if (e.slot < kgl::kK2DSlots) {
            std::vector<uint8_t> pixels;
            int32_t w = 0, h = 0;
            kgl::DecodeImageMemory(e.data, e.size, "pictures.k2d:entry", pixels, w, h);
            if (w <= 0 || h <= 0 || pixels.size() != static_cast<size_t>(w) * h * 3) std::abort();
        }
        decodeFixed(reader, e, kgl::LensFlare::kImageSide);
        decodeFixed(reader, e, kgl::ParticleSystem::kMaxSpriteSide);
        return true;
    });
    if (visited != expected || visited > 255) std::abort();
    return 0;
}
