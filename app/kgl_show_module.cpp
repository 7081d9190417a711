#include "app/kgl_show_module.h"

#include <string>

#include "common/kgl_log.h"
#include "platform/kgl_module.h"

namespace kgl {

int runInShowModule(Invocation& in) {
    std::string failure;
    auto entry =
        reinterpret_cast<ShowModuleEntry>(loadModuleEntry(kShowModuleFile, kShowModuleEntry, failure));
    const ShowModule* module = entry ? entry() : nullptr;
    if (module && (module->abi != kShowModuleAbi || module->invocationSize != sizeof(Invocation))) {
        failure = "from another build of kgl";
        module = nullptr;
    }
    if (!module) {
        logLine("KGL", kShowModuleFile, "%s", failure.c_str());
        return 1;
    }
    return module->run(in);
}

}  // namespace kgl
