// The author's key files, as pure text readers (the show reads the files and hands the bytes in):
//
//  - the key map "escena/keys.txt": while recording, a key bound to an action performs it and
//    records a mark, one binding a line:
//        Q    64   # flash 1
//        F2   3
//    A key is a letter or F2..F12; the letters A, B, H, R, S and the keys F1 and F5 belong to the
//    author mode itself and cannot be bound. The action is 0..90 (not 22 or 66, which do nothing).
//  - the key script of --keys FILE: keys pressed at given loop turns, for tests and demonstrations:
//        120  Space
//        180  Shift+Right  PageDown
//    A key is a letter, a digit, F1..F12 or one of the names in kNamedKeys, optionally after
//    "Shift+" and/or "Ctrl+".
// "#" starts a comment; blank lines are allowed. A malformed line is reported and skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

constexpr int kKeyCount = 256;  // Win32 virtual-key codes
constexpr size_t kMaxKeyFileBytes = 1u << 20;
constexpr size_t kMaxKeyLine = 256;
constexpr size_t kMaxScriptPresses = 65536;

// A problem of one line, 1-based.
struct KeyFileIssue {
    int line = 0;
    int column = 0;
    std::string message;
};

// Action bound to each virtual-key code, -1 for none.
struct KeyMap {
    int16_t action[kKeyCount];
    int bound = 0;
    KeyMap() { clear(); }
    void clear() {
        for (int16_t& a : action) a = -1;
        bound = 0;
    }
};

// One scripted key press.
struct ScriptedKey {
    int64_t turn = 0;
    uint8_t key = 0;  // virtual-key code
    bool shift = false;
    bool ctrl = false;
};

// Virtual-key code of a key name ("Q", "7", "F5", "Space", "PageDown" ...), 0 when unknown.
int KeyCodeOfName(const std::string& name);
// Whether the author mode keeps `key` for itself (not bindable in the key map).
bool KeyIsReserved(int key);

// Text -> bindings. Returns false when any line was skipped; `issues` says why.
bool ParseKeyMap(const char* text, size_t size, KeyMap& out, std::vector<KeyFileIssue>& issues);
// Text -> presses in turn order (stable). Returns false when any line was skipped.
bool ParseKeyScript(const char* text, size_t size, std::vector<ScriptedKey>& out,
                    std::vector<KeyFileIssue>& issues);

}  // namespace kgl
