// The module kgl_show.so (see kgl_show_module.h): its one exported function.
#include "app/kgl_render.h"
#include "app/kgl_show.h"
#include "app/kgl_show_module.h"
#include "app/kgl_view.h"

namespace {

int runWindowCommand(kgl::Invocation& in) {
    switch (in.command) {
        case kgl::Command::View:
            return kgl::runView(in.view);
        case kgl::Command::Render:
            return kgl::runRender(in.render);
        default:
            return kgl::runShow(in.show);
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const kgl::ShowModule* kglShowModule() {
    static const kgl::ShowModule module = {kgl::kShowModuleAbi, sizeof(kgl::Invocation), runWindowCommand};
    return &module;
}
