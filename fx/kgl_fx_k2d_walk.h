// The K2D entry walk as the effects read it (flash pictures, lens-flare images, particle
// sprites): the whole file is read once and each entry's JPEG stream is handed out as a byte
// span, so a decoder can never read past the entry. Every count and length is checked against
// the bytes that remain. Lives only while an effect loads its pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

struct K2DEntryView {
    int index = 0;
    uint8_t slot = 0;
    const uint8_t* jpeg = nullptr;
    size_t size = 0;
};

class K2DEntryWalk {
public:
    static constexpr size_t kCountOffset = 29;  // 28 header bytes and one uninterpreted byte

    K2DEntryWalk() = default;
    virtual ~K2DEntryWalk() = default;

    // False when the file cannot be read (the caller shows its own message box) or is shorter
    // than its header (one stderr line).
    bool open(const std::string& path);
    int count() const { return count_; }
    // The next entry; false at the end or at the first damaged entry (one stderr line).
    bool next(K2DEntryView& entry);
    const std::string& path() const { return path_; }

private:
    std::vector<uint8_t> bytes_;
    std::string path_;
    size_t pos_ = 0;
    int count_ = 0;
    int done_ = 0;
};

}  // namespace kgl
