#include "image/kgl_jpeg.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstring>

#include "common/kgl_log.h"

namespace kgl {
namespace {

// The standard error manager extended with the jump back to the operation that armed it.
struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    const char* name;
    volatile bool writing;  // the caller's buffer is being filled: an error keeps what it holds
};

void OutputMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    logLine("JPEG", reinterpret_cast<ErrorManager*>(cinfo->err)->name, "%s", text);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

enum class Stage { Header, Start, Decode };

struct Source {
    FILE* file = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

struct Output {
    int width = 0;
    int height = 0;
    uint8_t* pixels = nullptr;
    size_t capacity = 0;
};

// Copies one decoded row as RGB; greyscale rows are expanded to three equal components.
void StoreRow(const JSAMPLE* row, int width, int components, uint8_t* dst) {
    if (components == 3) {
        std::memcpy(dst, row, static_cast<size_t>(width) * 3);
        return;
    }
    for (int x = 0; x < width; ++x) dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = row[x];
}

bool SizeAcceptable(long w, long h) {
    return w > 0 && h > 0 && w * h <= kMaxImagePixels;
}

// Runs the decoder up to `stage`. Plain C style on purpose: nothing between setjmp and the
// possible longjmp has a destructor.
bool RunDecoder(const Source& src, Stage stage, const char* name, Output& out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.name = name;
    err.writing = false;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        // A damaged stream keeps the rows decoded before the damage; the rest stays as it was.
        return err.writing;
    }
    jpeg_CreateDecompress(&cinfo, 62, sizeof cinfo);
    if (src.file)
        jpeg_stdio_src(&cinfo, src.file);
    else
        jpeg_mem_src(&cinfo, src.data, static_cast<unsigned long>(src.size));
    jpeg_read_header(&cinfo, TRUE);
    if (stage == Stage::Header) {
        out.width = static_cast<int>(cinfo.image_width);
        out.height = static_cast<int>(cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return SizeAcceptable(out.width, out.height);
    }
    if (!SizeAcceptable(cinfo.image_width, cinfo.image_height)) {
        logLine("JPEG", name, "image of %u x %u pixels is too large", cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (stage == Stage::Decode) {
        out.width = static_cast<int>(cinfo.image_width);
        out.height = static_cast<int>(cinfo.image_height);
        err.writing = out.pixels && static_cast<size_t>(out.width) * out.height * 3 <= out.capacity;
    }
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    const int components = cinfo.output_components;
    if (stage == Stage::Start) {
        out.width = w;
        out.height = h;
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    if ((components != 1 && components != 3) || rowBytes * static_cast<size_t>(h) > out.capacity) {
        logLine("JPEG", name,
                components != 1 && components != 3 ? "%d colour components are not supported"
                                                   : "image (%d) does not fit its buffer",
                components);
        err.writing = false;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(w * components), 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION line = cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, row, 1);
        StoreRow(row[0], w, components, out.pixels + rowBytes * line);
    }
    out.width = w;
    out.height = h;
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

bool JpegReader::ProbeFile(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    Source src;
    src.file = f;
    Output out;
    const bool ok = RunDecoder(src, Stage::Start, path, out);
    std::fclose(f);
    if (ok) {
        width_ = out.width;
        height_ = out.height;
    }
    return ok;
}

bool JpegReader::DecodeFile(const char* path, uint8_t* pixels, size_t capacity) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    Source src;
    src.file = f;
    Output out{0, 0, pixels, capacity};
    const bool ok = RunDecoder(src, Stage::Decode, path, out);
    std::fclose(f);
    return ok;
}

bool JpegReader::ProbeStream(FILE* stream) {
    Source src;
    src.file = stream;
    Output out;
    if (!stream || !RunDecoder(src, Stage::Header, name_.c_str(), out)) return false;
    width_ = out.width;
    height_ = out.height;
    return true;
}

bool JpegReader::DecodeStream(FILE* stream, uint8_t* pixels, size_t capacity) {
    Source src;
    src.file = stream;
    Output out{0, 0, pixels, capacity};
    return stream && RunDecoder(src, Stage::Decode, name_.c_str(), out);
}

bool JpegReader::ProbeMemory(const uint8_t* data, size_t size) {
    Source src;
    src.data = data;
    src.size = size;
    Output out;
    if (!data || size == 0 || !RunDecoder(src, Stage::Header, name_.c_str(), out)) return false;
    width_ = out.width;
    height_ = out.height;
    return true;
}

bool JpegReader::DecodeMemory(const uint8_t* data, size_t size, uint8_t* pixels, size_t capacity) {
    Source src;
    src.data = data;
    src.size = size;
    Output out{0, 0, pixels, capacity};
    return data && size != 0 && RunDecoder(src, Stage::Decode, name_.c_str(), out);
}

}  // namespace kgl
