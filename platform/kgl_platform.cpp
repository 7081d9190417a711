#include "platform/kgl_platform.h"

#include "platform/kgl_display.h"
#include "platform/kgl_msgbox.h"
#include "platform/kgl_ticks.h"

namespace kgl {

bool startPlatform(const PlatformOptions& options) {
    setMessageBoxesInteractive(!options.batch);
    if (options.fixedStepMs > 0.0) setFixedTickStep(options.fixedStepMs);
    setDisplayVsync(options.vsync);
    return initDisplaySystem(options.batch);
}

void stopPlatform() {
    quitDisplaySystem();
}

}  // namespace kgl
