#include "common/kgl_bytes.h"

#include <cstdio>

namespace kgl {

bool ByteReader::take(size_t count, const uint8_t*& at) {
    if (failed_ || pos_ > size_ || count > size_ - pos_) {
        failed_ = true;
        return false;
    }
    at = data_ + pos_;
    pos_ += count;
    return true;
}

bool ByteReader::seek(size_t offset) {
    if (failed_ || offset > size_) {
        failed_ = true;
        return false;
    }
    pos_ = offset;
    return true;
}

bool ByteReader::skip(size_t count) {
    const uint8_t* at = nullptr;
    return take(count, at);
}

bool ByteReader::u8(uint8_t& v) {
    const uint8_t* at = nullptr;
    if (!take(1, at)) return false;
    v = at[0];
    return true;
}

bool ByteReader::u16(uint16_t& v) {
    const uint8_t* at = nullptr;
    if (!take(2, at)) return false;
    v = static_cast<uint16_t>(at[0] | (at[1] << 8));
    return true;
}

bool ByteReader::i16(int16_t& v) {
    uint16_t u = 0;
    if (!u16(u)) return false;
    v = static_cast<int16_t>(u);
    return true;
}

bool ByteReader::u32(uint32_t& v) {
    const uint8_t* at = nullptr;
    if (!take(4, at)) return false;
    v = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
        (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
    return true;
}

bool ByteReader::i32(int32_t& v) {
    uint32_t u = 0;
    if (!u32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
}

bool ByteReader::f32(float& v) {
    uint32_t u = 0;
    if (!u32(u)) return false;
    std::memcpy(&v, &u, sizeof v);
    return true;
}

bool ByteReader::bytes(void* out, size_t count) {
    const uint8_t* at = nullptr;
    if (!take(count, at)) return false;
    if (count > 0) std::memcpy(out, at, count);
    return true;
}

void ByteWriter::u16(uint16_t v) {
    out_.push_back(static_cast<uint8_t>(v & 0xff));
    out_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xff));
}

void ByteWriter::f32(float v) {
    uint32_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    u32(u);
}

void ByteWriter::raw(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + count);
}

void ByteWriter::padTo(size_t offset, uint8_t fill) {
    if (out_.size() < offset) out_.resize(offset, fill);
}

bool ByteWriter::patchU16(size_t offset, uint16_t v) {
    if (offset + 2 > out_.size()) return false;
    out_[offset] = static_cast<uint8_t>(v & 0xff);
    out_[offset + 1] = static_cast<uint8_t>(v >> 8);
    return true;
}

bool ByteWriter::patchU32(size_t offset, uint32_t v) {
    if (offset + 4 > out_.size()) return false;
    for (int i = 0; i < 4; ++i) out_[offset + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xff);
    return true;
}

bool readFile(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace kgl
