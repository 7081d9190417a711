#include "platform/kgl_platform.h"

#include <SDL.h>

#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_ticks.h"

namespace kgl {

bool startPlatform(const PlatformOptions& options) {
    setMessageBoxesInteractive(!options.batch);
    if (options.fixedStepMs > 0.0) setFixedTickStep(options.fixedStepMs);
    setDisplayVsync(options.vsync);
    setDisplayDesktopFullscreen(options.desktopFullscreen);
    return initDisplaySystem(options.batch);
}

std::string executableFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return std::string();
    std::string folder(base);
    SDL_free(base);
    return folder;
}

void stopPlatform() {
    quitDisplaySystem();
}

}  // namespace kgl
