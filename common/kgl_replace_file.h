// Writing an author's file without ever leaving a broken one: the new bytes go to a temporary
// file in the same folder, are flushed to disk, and are renamed over the old name in one step.
// On request the previous file is kept as NAME.bak (hard-linked, or copied where links fail)
// before the rename. A crash at any point leaves either the old or the new file under NAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgl {

// false with a reason (and nothing changed under `path`) when the file cannot be written.
bool replaceFile(const std::string& path, const std::vector<uint8_t>& data, bool keepBackup,
                 std::string& why);

}  // namespace kgl
