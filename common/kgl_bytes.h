// Little-endian byte cursors shared by every binary reader and writer (scene files, K2D
// pictures, action tracks). The reader never reads past its buffer: a read that does not fit
// fails, leaves the value untouched and marks the cursor as failed for good.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kgl {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const std::vector<uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}
    virtual ~ByteReader() = default;

    size_t position() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
    bool failed() const { return failed_; }
    const uint8_t* data() const { return data_; }

    // Moves to an absolute offset; an offset past the end fails the cursor.
    bool seek(size_t offset);
    bool skip(size_t count);

    bool u8(uint8_t& v);
    bool u16(uint16_t& v);
    bool i16(int16_t& v);
    bool u32(uint32_t& v);
    bool i32(int32_t& v);
    bool f32(float& v);
    bool bytes(void* out, size_t count);

private:
    bool take(size_t count, const uint8_t*& at);

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool failed_ = false;
};

class ByteWriter {
public:
    virtual ~ByteWriter() = default;

    size_t position() const { return out_.size(); }
    const std::vector<uint8_t>& bytes() const { return out_; }
    std::vector<uint8_t>& bytes() { return out_; }

    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v);
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float v);
    void raw(const void* data, size_t count);
    void text(const std::string& s) { raw(s.data(), s.size()); }
    // Pads with zero bytes (or `fill`) up to an absolute offset.
    void padTo(size_t offset, uint8_t fill = 0);

    // Overwrites already written bytes at an absolute offset (count patches, placeholders).
    bool patchU16(size_t offset, uint16_t v);
    bool patchU32(size_t offset, uint32_t v);

private:
    std::vector<uint8_t> out_;
};

// Whole-file helpers. readFile returns false (and leaves `out` empty) when the file cannot be read.
bool readFile(const std::string& path, std::vector<uint8_t>& out);
bool writeFile(const std::string& path, const std::vector<uint8_t>& data);

}  // namespace kgl
