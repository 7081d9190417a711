#include "platform/kgl_module.h"

#include <SDL.h>

namespace kgl {

void* loadModuleEntry(const char* file, const char* entry, std::string& error) {
    char* base = SDL_GetBasePath();  // the executable's folder, with its trailing separator
    const std::string path = std::string(base ? base : "") + file;
    SDL_free(base);
    void* module = SDL_LoadObject(path.c_str());
    if (!module) {
        error = "cannot load " + path + " (" + SDL_GetError() + ")";
        return nullptr;
    }
    void* fn = SDL_LoadFunction(module, entry);
    if (!fn) {
        error = path + " has no " + entry;
        SDL_UnloadObject(module);
    }
    return fn;
}

}  // namespace kgl
