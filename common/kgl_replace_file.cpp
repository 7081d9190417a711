// replaceFile: temporary file, fsync, optional backup, rename.
#include "common/kgl_replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kgl {

namespace {

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Writes `data` to a fresh temporary file next to `path`; returns its name, "" on failure.
std::string writeTemporary(const std::string& path, const std::vector<uint8_t>& data, std::string& why) {
    std::string name = path + ".tmp.XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        why = std::string("cannot create a temporary file next to it: ") + std::strerror(errno);
        return "";
    }
    const bool ok = writeAll(fd, data.data(), data.size()) && ::fsync(fd) == 0;
    const int err = errno;
    struct stat st {};
    ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    if (::close(fd) != 0 || !ok) {
        why = std::string("cannot write: ") + std::strerror(ok ? errno : err);
        ::unlink(name.c_str());
        return "";
    }
    return name;
}

bool copyFile(const std::string& from, const std::string& to, std::string& why) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    const bool readOk = !std::ferror(in);
    std::fclose(in);
    if (!readOk) return false;
    const std::string tmp = writeTemporary(to, bytes, why);
    if (tmp.empty()) return false;
    if (std::rename(tmp.c_str(), to.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

// NAME.bak becomes the current NAME (nothing to do when NAME does not exist).
bool keepPrevious(const std::string& path, std::string& why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    const std::string bak = path + ".bak";
    const std::string link = bak + ".new";
    ::unlink(link.c_str());
    if (::link(path.c_str(), link.c_str()) == 0 && std::rename(link.c_str(), bak.c_str()) == 0) return true;
    ::unlink(link.c_str());
    if (copyFile(path, bak, why)) return true;
    if (why.empty()) why = "cannot keep the previous file as " + bak;
    return false;
}

}  // namespace

bool replaceFile(const std::string& path, const std::vector<uint8_t>& data, bool keepBackup,
                 std::string& why) {
    why.clear();
    const std::string tmp = writeTemporary(path, data, why);
    if (tmp.empty()) return false;
    if (keepBackup && !keepPrevious(path, why)) {
        ::unlink(tmp.c_str());
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        why = std::string("cannot rename the temporary file over it: ") + std::strerror(errno);
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace kgl
