// Modules and the executable's folder through the system's loader (dlopen): the command-line
// part of kgl links no SDL, so this file must not either.
#include "platform/kgl_module.h"

#include <dlfcn.h>
#include <unistd.h>

namespace kgl {

std::string executableFolder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    std::string folder(path, static_cast<size_t>(n));
    const size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

void* loadModuleEntry(const char* file, const char* entry, std::string& error) {
    const std::string path = executableFolder() + file;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* why = ::dlerror();
        error = "cannot load " + path + " (" + (why ? why : "unknown error") + ")";
        return nullptr;
    }
    void* fn = ::dlsym(module, entry);
    if (!fn) {
        error = path + " has no " + entry;
        ::dlclose(module);
    }
    return fn;
}

}  // namespace kgl
