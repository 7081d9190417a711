#include "script/kgl_import_prefetch.h"

#include <system_error>

#include "import/kgl_import.h"
#include "script/kgl_scenescript.h"

namespace kgl {

ImportPrefetch::ImportPrefetch() = default;

ImportPrefetch::~ImportPrefetch() {
    if (worker_.joinable()) worker_.join();
}

void ImportPrefetch::Start(const AseImporter& importer, const char* const* scripts, size_t count) {
    if (worker_.joinable() || !planned_.empty()) return;
    SceneScriptReader planner;
    planner.importer().CopySettings(importer);
    for (size_t i = 0; i < count; ++i) {
        if (!planner.PlanImport(scripts[i])) continue;
        planned_.push_back(std::make_unique<AseImporter>());
        planned_.back()->CopySettings(planner.importer());
    }
    if (planned_.empty()) return;
    try {
        worker_ = std::thread([this] {
            for (std::unique_ptr<AseImporter>& conversion : planned_) {
                conversion->Stage();
                std::lock_guard<std::mutex> lock(mutex_);
                ++staged_;
                ready_.notify_all();
            }
        });
    } catch (const std::system_error&) {
        planned_.clear();  // no thread to be had: the reader converts in place
    }
}

AseImporter* ImportPrefetch::Take(const AseImporter& settings) {
    size_t i = next_;
    while (i < planned_.size() && !planned_[i]->SameSettings(settings)) ++i;
    if (i == planned_.size()) return nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return staged_ > i; });
    next_ = i + 1;
    return planned_[i].get();
}

}  // namespace kgl
