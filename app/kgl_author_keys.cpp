// Key names and the two line readers of the author's key files.
#include "app/kgl_author_keys.h"

#include <algorithm>
#include <cstring>

#include "engine/kgl_action_names.h"

namespace kgl {

namespace {

struct NamedKey {
    const char* name;
    uint8_t code;
};

// clang-format off
constexpr NamedKey kNamedKeys[] = {
    {"Space", 32},    {"Enter", 13},     {"Backspace", 8}, {"Tab", 9},
    {"Left", 37},     {"Up", 38},        {"Right", 39},    {"Down", 40},     {"PageUp", 33},
    {"PageDown", 34}, {"Home", 36},      {"End", 35},      {"Insert", 45},   {"Delete", 46},
};
// clang-format on

constexpr int kF1 = 112;
constexpr int kF5 = 116;
constexpr int kF12 = 123;
constexpr char kReservedLetters[] = "ABHRS";
constexpr int64_t kMaxTurn = 1000000000;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The words of one line up to a "#", with their 1-based columns.
struct Word {
    std::string text;
    int column = 0;
};

void splitWords(const char* line, size_t length, std::vector<Word>& words) {
    words.clear();
    size_t i = 0;
    while (i < length && line[i] != '#') {
        if (isSpace(line[i])) {
            ++i;
            continue;
        }
        Word w;
        w.column = static_cast<int>(i) + 1;
        while (i < length && !isSpace(line[i]) && line[i] != '#') w.text += line[i++];
        words.push_back(w);
    }
}

// Whole decimal number without sign, at most `max`.
bool readNumber(const std::string& s, int64_t max, int64_t& out) {
    if (s.empty() || s.size() > 10) return false;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    out = v;
    return true;
}

// Calls `line` for each line of the text; false (with one issue) when the text is too long.
template <typename LineFn>
bool forEachLine(const char* text, size_t size, std::vector<KeyFileIssue>& issues, LineFn line) {
    if (size > kMaxKeyFileBytes) {
        issues.push_back({1, 1, "file larger than " + std::to_string(kMaxKeyFileBytes) + " bytes"});
        return false;
    }
    bool ok = true;
    int number = 0;
    size_t start = 0;
    while (start < size) {
        const char* nl = static_cast<const char*>(std::memchr(text + start, '\n', size - start));
        const size_t end = nl ? static_cast<size_t>(nl - text) : size;
        ++number;
        if (end - start > kMaxKeyLine) {
            issues.push_back({number, 1, "line longer than " + std::to_string(kMaxKeyLine) + " characters"});
            ok = false;
        } else if (!line(number, text + start, end - start)) {
            ok = false;
        }
        start = end + 1;
    }
    return ok;
}

}  // namespace

int KeyCodeOfName(const std::string& name) {
    if (name.size() == 1) {
        const char c = name[0];
        if (c >= 'A' && c <= 'Z') return c;
        if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
        if (c >= '0' && c <= '9') return c;
        return 0;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
        int64_t n = 0;
        if (readNumber(name.substr(1), 12, n) && n >= 1) return kF1 + static_cast<int>(n) - 1;
        return 0;
    }
    for (const NamedKey& k : kNamedKeys) {
        if (name == k.name) return k.code;
    }
    return 0;
}

bool KeyIsReserved(int key) {
    if (key >= 'A' && key <= 'Z') return std::strchr(kReservedLetters, key) != nullptr;
    return key == kF1 || key == kF5;
}

bool ParseKeyMap(const char* text, size_t size, KeyMap& out, std::vector<KeyFileIssue>& issues) {
    out.clear();
    std::vector<Word> words;
    return forEachLine(text, size, issues, [&](int number, const char* line, size_t length) {
        splitWords(line, length, words);
        if (words.empty()) return true;
        const auto fail = [&](const Word& w, const std::string& why) {
            issues.push_back({number, w.column, why});
            return false;
        };
        if (words.size() != 2) return fail(words[0], "expected KEY ACTION");
        const int key = KeyCodeOfName(words[0].text);
        const bool bindable = (key >= 'A' && key <= 'Z') || (key > kF1 && key <= kF12);
        if (!bindable) return fail(words[0], "\"" + words[0].text + "\" is not a letter or F2..F12");
        if (KeyIsReserved(key)) return fail(words[0], "\"" + words[0].text + "\" is an author key");
        int64_t action = 0;
        if (!readNumber(words[1].text, 90, action) ||
            ActionKindOf(static_cast<int>(action)) == ActionKind::kUnused)
            return fail(words[1], "\"" + words[1].text + "\" is not an action (0..90, not 22 or 66)");
        if (out.action[key] >= 0) return fail(words[0], "\"" + words[0].text + "\" is bound twice");
        out.action[key] = static_cast<int16_t>(action);
        ++out.bound;
        return true;
    });
}

namespace {

bool parseScriptedKey(std::string name, ScriptedKey& k) {
    for (;;) {
        if (name.compare(0, 6, "Shift+") == 0) {
            k.shift = true;
            name.erase(0, 6);
        } else if (name.compare(0, 5, "Ctrl+") == 0) {
            k.ctrl = true;
            name.erase(0, 5);
        } else {
            break;
        }
    }
    const int code = name.empty() ? 0 : KeyCodeOfName(name);
    k.key = static_cast<uint8_t>(code);
    return code != 0;
}

}  // namespace

bool ParseKeyScript(const char* text, size_t size, std::vector<ScriptedKey>& out,
                    std::vector<KeyFileIssue>& issues) {
    out.clear();
    std::vector<Word> words;
    const bool ok = forEachLine(text, size, issues, [&](int number, const char* line, size_t length) {
        splitWords(line, length, words);
        if (words.empty()) return true;
        int64_t turn = 0;
        if (!readNumber(words[0].text, kMaxTurn, turn)) {
            issues.push_back(
                {number, words[0].column, "expected a loop turn (0.." + std::to_string(kMaxTurn) + ")"});
            return false;
        }
        if (words.size() < 2) {
            issues.push_back({number, words[0].column, "expected TURN KEY [KEY ...]"});
            return false;
        }
        for (size_t i = 1; i < words.size(); ++i) {
            ScriptedKey k;
            k.turn = turn;
            if (!parseScriptedKey(words[i].text, k)) {
                issues.push_back({number, words[i].column, "unknown key \"" + words[i].text + "\""});
                return false;
            }
            if (out.size() == kMaxScriptPresses) {
                issues.push_back(
                    {number, words[i].column, "more than " + std::to_string(kMaxScriptPresses) + " presses"});
                return false;
            }
            out.push_back(k);
        }
        return true;
    });
    std::stable_sort(out.begin(), out.end(),
                     [](const ScriptedKey& a, const ScriptedKey& b) { return a.turn < b.turn; });
    return ok;
}

}  // namespace kgl
