#include "platform/kgl_glext.h"

#include <GL/gl.h>

#include <cstring>

namespace kgl {

bool extensionListHas(const char* list, const char* name) {
    if (!list || !name || !*name) return false;
    const size_t len = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += len) {
        const bool startOk = p == list || p[-1] == ' ';
        const bool endOk = p[len] == ' ' || p[len] == '\0';
        if (startOk && endOk) return true;
    }
    return false;
}

bool hasGLExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensionListHas(list, name);
}

namespace {
void* (*gProcAddress)(const char* name) = nullptr;
bool (*gContextCurrent)() = nullptr;
}  // namespace

void setGLEntryPoints(void* (*procAddress)(const char* name), bool (*contextCurrent)()) {
    gProcAddress = procAddress;
    gContextCurrent = contextCurrent;
}

void* glProcAddress(const char* name) {
    return gProcAddress ? gProcAddress(name) : nullptr;
}

bool glContextCurrent() {
    return gContextCurrent && gContextCurrent();
}

}  // namespace kgl
