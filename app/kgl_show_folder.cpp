#include "app/kgl_show_folder.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kgl {

namespace {

constexpr const char* kShowConfig = "/escena/Config.ini";
constexpr int kCandidateCount = 3;

bool holdsShow(const std::string& folder) {
    struct stat st {};
    return ::stat((folder + kShowConfig).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string workingDirectory() {
    char cwd[4096];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
}

}  // namespace

bool enterShowFolder(const std::string& dataDir, const std::string& executableDir, std::string& message) {
    if (!dataDir.empty()) {
        if (::chdir(dataDir.c_str()) == 0) return true;
        message = "kgl: cannot enter the data folder '" + dataDir + "'";
        return false;
    }
    const std::string exe = withoutTrailingSlash(executableDir);
    const std::string candidates[kCandidateCount] = {workingDirectory(), exe,
                                                     exe.empty() ? "" : exe + "/show"};
    std::string tried;
    for (int i = 0; i < kCandidateCount; ++i) {
        const std::string& folder = candidates[i];
        if (folder.empty() || (i == 1 && folder == candidates[0])) continue;
        if (holdsShow(folder)) return i == 0 || ::chdir(folder.c_str()) == 0;
        tried += (tried.empty() ? "" : ", ") + folder;
    }
    message = "kgl: no show found (no escena/Config.ini in " + tried +
              "); play one with kgl --data DIR, or build the default show with ./run.sh";
    return false;
}

}  // namespace kgl
