// The author's key files on hostile text: the key map (escena/keys.txt) and the key script of
// --keys, chosen by the first byte. Every binding must be a bindable key with a real action.
// fuzz-seeds: authorkeys
// fuzz-dict: "Shift+" "Ctrl+" "F" "#" "Space" "PageDown" "\x0A"
#include <cstdlib>

#include "app/kgl_author_keys.h"
#include "engine/kgl_action_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* text = reinterpret_cast<const char*>(data + 1);
    std::vector<kgl::KeyFileIssue> issues;
    if (data[0] & 1) {
        std::vector<kgl::ScriptedKey> keys;
        const bool ok = kgl::ParseKeyScript(text, size - 1, keys, issues);
        if (ok != issues.empty() || keys.size() > kgl::kMaxScriptPresses) std::abort();
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i].key == 0 || (i > 0 && keys[i].turn < keys[i - 1].turn)) std::abort();
        return 0;
    }
    kgl::KeyMap map;
    const bool ok = kgl::ParseKeyMap(text, size - 1, map, issues);
    if (ok != issues.empty()) std::abort();
    int bound = 0;
    for (int k = 0; k < kgl::kKeyCount; ++k) {
        if (map.action[k] < 0) continue;
        ++bound;
        if (kgl::KeyIsReserved(k) || kgl::ActionKindOf(map.action[k]) == kgl::ActionKind::kUnused)
            std::abort();
    }
    if (bound != map.bound) std::abort();
    return 0;
}
