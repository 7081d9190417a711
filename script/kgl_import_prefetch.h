// The scene scripts' ASE conversions, run ahead on a worker thread while the show loads: the
// set-up plans them from the scripts it is about to read, and the script reader, reaching each
// IMPORT block, takes the staged conversion and commits it. Messages, the message box, the log,
// the scene file and a fatal stop all happen there, on the loading thread and in the order a
// conversion run in place has them; only the reading and converting moved.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kgl {

class AseImporter;

class ImportPrefetch {
public:
    ImportPrefetch();
    ~ImportPrefetch();  // waits for the worker
    ImportPrefetch(const ImportPrefetch&) = delete;
    ImportPrefetch& operator=(const ImportPrefetch&) = delete;

    // Reads the IMPORT blocks of `scripts` (quietly; the reader reads them again) starting from
    // the settings of `importer`, as one reader going through them in order would, and starts
    // converting the ones that ask for it. Once only.
    void Start(const AseImporter& importer, const char* const* scripts, size_t count);
    // The staged conversion planned with these settings (the first not yet taken), once the
    // worker has it; null when none was planned: the caller converts in place.
    AseImporter* Take(const AseImporter& settings);
    size_t planned() const { return planned_.size(); }

private:
    std::vector<std::unique_ptr<AseImporter>> planned_;
    size_t next_ = 0;
    size_t staged_ = 0;  // under mutex_
    std::mutex mutex_;
    std::condition_variable ready_;
    std::thread worker_;
};

}  // namespace kgl
