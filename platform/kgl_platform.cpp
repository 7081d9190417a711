#include "platform/kgl_platform.h"

#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_ticks.h"

namespace kgl {

bool startPlatform(const PlatformOptions& options) {
    setMessageBoxesInteractive(!options.batch);
    setModalMessageBox(modalMessageBox);
    if (options.fixedStepMs > 0.0) setFixedTickStep(options.fixedStepMs);
    setDisplayVsync(options.vsync);
    setDisplayDesktopFullscreen(options.desktopFullscreen);
    return initDisplaySystem(options.batch);
}

void stopPlatform() {
    quitDisplaySystem();
}

}  // namespace kgl
