// Every token reader operation, in an order and with arguments taken from the input. The bytes
// at the end of the input choose the operations, the rest is the text they read. Buffers are
// exactly as large as the size passed, so any write past them is caught.
// fuzz-seeds: config text
// fuzz-dict: "KEYBOARD:" "MP3:" "USEMP3:" "{" "}" "*" "\"" ":" "," "\x0d\x0a" "-" "."
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "script/kgl_tokenreader.h"

namespace {

constexpr int kMaxOps = 64;
constexpr size_t kMaxBuffer = 48;
const char* const kKeys[] = {"KEYBOARD:", "MP3:", "USEMP3:", "{", "}", "*", ":", "\"", "a", ""};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

struct Op {
    uint8_t code;
    uint8_t arg;
    int16_t seek;
};

// Checks a returned text against the reader's promise: terminated within size-1 characters.
void checkText(const std::vector<char>& buf, size_t len) {
    if (buf.empty()) return;
    const size_t stored = len < buf.size() ? len : buf.size() - 1;
    if (buf[stored] != '\0' || std::strlen(buf.data()) > stored) std::abort();
}

void run(kgl::TokenReader& r, const Op& op, size_t textSize) {
    switch (op.code % 10) {
        case 0:
            r.GetChar();
            break;
        case 1:
            r.Seek(op.seek);
            break;
        case 2:
            r.FindKeyword(kKeys[op.arg % kKeyCount]);
            break;
        case 3:
            r.FindKeywordInBlock(kKeys[op.arg % kKeyCount]);
            break;
        case 4:
            r.ReadInt();
            break;
        case 5:
            r.ReadLong();
            break;
        case 6:
            r.ReadFloat();
            break;
        case 7: {
            std::vector<char> buf(op.arg % kMaxBuffer);
            checkText(buf, r.ReadLine(buf.empty() ? nullptr : buf.data(), buf.size()));
            break;
        }
        case 8: {
            std::vector<char> buf(op.arg % kMaxBuffer);
            size_t len = 0;
            r.ReadWord(buf.empty() ? nullptr : buf.data(), buf.size(), op.arg & 0x80 ? nullptr : &len);
            if (!(op.arg & 0x80)) checkText(buf, len);
            break;
        }
        case 9:
            r.FindKeyword(nullptr);
            break;
    }
    if (r.Tell() < 0 || static_cast<size_t>(r.Tell()) > textSize) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<Op> ops(in.ConsumeIntegralInRange<int>(0, kMaxOps));
    for (Op& op : ops) {
        op.code = in.ConsumeIntegral<uint8_t>();
        op.arg = in.ConsumeIntegral<uint8_t>();
        op.seek = in.ConsumeIntegral<int16_t>();
    }
    const std::string text = in.ConsumeRemainingBytesAsString();
    kgl::TokenReader r;
    r.OpenText(text);
    for (const Op& op : ops) run(r, op, text.size());
    return 0;
}
