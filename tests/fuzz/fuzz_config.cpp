// The configuration reader on hostile text: LoadConfig reads the input as "Config.ini" into an
// engine, and the token reader must see the same characters whether it reads the file or the
// same bytes from memory.
// fuzz-seeds: config
// fuzz-dict: "KEYBOARD:" "RENDERACTIONS:" "LOADACTIONS:" "SAVEACTIONS:" "USEMP3:"
// fuzz-dict: "MP3STARTOFFSET:" "MP3STARTSECONDS:" "MP3:" "\x0d\x0a" "*" "\"" "-" "."
#include <cstring>
#include <memory>
#include <string>

#include "engine/kgl_demoengine.h"
#include "fuzz_common.h"
#include "script/kgl_config.h"
#include "script/kgl_tokenreader.h"

namespace {

void sameCharacters(const char* path, const uint8_t* data, size_t size) {
    kgl::TokenReader file;
    kgl::TokenReader memory;
    if (!file.Open(path)) std::abort();
    memory.OpenText(std::string(reinterpret_cast<const char*>(data), size));
    for (;;) {
        const int a = file.GetChar();
        if (a != memory.GetChar() || file.Tell() != memory.Tell()) std::abort();
        if (a == kgl::TokenReader::kEof) break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = kgl_test::writeInput("Config.ini", data, size);
    auto engine = std::make_unique<kgl::DemoEngine>();
    kgl::LoadConfig(*engine, path);
    // The music name is always a terminated string within its field.
    if (!std::memchr(engine->config.mp3FileName, '\0', sizeof engine->config.mp3FileName)) std::abort();
    if (engine->config.keyboard > 1 || engine->config.useMp3 > 1) std::abort();
    sameCharacters(path, data, size);
    return 0;
}
