#include "fx/kgl_fx_k2d_walk.h"

#include "common/kgl_bytes.h"
#include "common/kgl_log.h"

namespace kgl {

bool K2DEntryWalk::open(const std::string& path) {
    path_ = path;
    pos_ = 0;
    count_ = 0;
    done_ = 0;
    if (!readFile(path, bytes_)) return false;
    ByteReader in(bytes_);
    uint8_t entries = 0;
    if (!in.seek(kCountOffset) || !in.u8(entries)) {
        logLine("K2D", path.c_str(), "file of %zu bytes is shorter than its header", bytes_.size());
        count_ = 0;
        return true;
    }
    count_ = entries;
    pos_ = in.position();
    return true;
}

// Entry: name length, name, slot byte, 32-bit signed data length, the JPEG stream, one more byte.
bool K2DEntryWalk::next(K2DEntryView& entry) {
    if (done_ >= count_) return false;
    ByteReader in(bytes_);
    uint8_t nameLength = 0;
    uint8_t slot = 0;
    int32_t length = 0;
    if (!in.seek(pos_) || !in.u8(nameLength) || !in.skip(nameLength) || !in.u8(slot) || !in.i32(length)) {
        logLine("K2D", path_.c_str(), "entry %d is cut short", done_);
        done_ = count_;
        return false;
    }
    if (length <= 0 || static_cast<size_t>(length) > in.remaining()) {
        logLine("K2D", path_.c_str(), "entry %d: data length %d does not fit the %zu bytes left", done_, length,
                in.remaining());
        done_ = count_;
        return false;
    }
    entry.index = done_;
    entry.slot = slot;
    entry.jpeg = bytes_.data() + in.position();
    entry.size = static_cast<size_t>(length);
    pos_ = in.position() + static_cast<size_t>(length) + 1;
    ++done_;
    return true;
}

}  // namespace kgl
