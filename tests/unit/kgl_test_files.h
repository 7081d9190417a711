// Test helpers for files and folders: fresh temporary folders (entered or not) and whole-file
// text reads and writes, and what a function prints to a FILE*. No test framework here, so the fuzz targets
// share them too.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kgl_test {

// A fresh folder <temp>/<prefix>XXXXXX, with <temp> from TEST_TMPDIR or TMPDIR (else /tmp); no
// trailing slash. Empty when it cannot be made.
inline std::string MakeTempDir(const std::string& prefix = "kgl") {
    const char* base = std::getenv("TEST_TMPDIR");
    if (!base || !*base) base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

// Enters a fresh temporary folder for its lifetime; on the way out goes back and removes it. A
// forked child (a death test) that exits leaves the folder to the process that made it.
// ok() is false when the folder could not be made or entered.
class TempCwd {
public:
    explicit TempCwd(const std::string& prefix = "kgl") : dir_(MakeTempDir(prefix)) {
        char here[4096];
        if (getcwd(here, sizeof here)) old_ = here;
        ok_ = !dir_.empty() && !old_.empty() && chdir(dir_.c_str()) == 0;
    }
    ~TempCwd() {
        if (getpid() != owner_) return;
        if (ok_ && chdir(old_.c_str()) != 0) std::perror("kgl_test: leaving the temporary folder");
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    TempCwd(const TempCwd&) = delete;
    TempCwd& operator=(const TempCwd&) = delete;

    bool ok() const { return ok_; }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
    std::string old_;
    bool ok_ = false;
    pid_t owner_ = getpid();
};

inline std::string ReadText(const std::string& path) {
    std::string s;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

// Writes `text` as the whole file; false when it cannot.
inline bool WriteText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// What `write(FILE*)` prints, read back from a temporary file; its result goes to `result`.
template <typename WriteFn>
std::string PrintedBy(WriteFn write, int& result) {
    std::string s;
    FILE* out = std::tmpfile();
    if (!out) return s;
    result = write(out);
    std::rewind(out);
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) s.append(buf, n);
    std::fclose(out);
    return s;
}

}  // namespace kgl_test
