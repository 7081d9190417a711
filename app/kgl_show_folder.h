// Where the show is played from. With --data the given folder; without it the first of the
// working directory, the executable's folder and the default show beside the executable (its
// show/, where ./run.sh generates it) that holds escena/Config.ini.
#pragma once

#include <string>

namespace kgl {

// Enters the show folder. False when there is none: `message` then holds one line for stderr
// that names the folders tried and how to pass --data.
bool enterShowFolder(const std::string& dataDir, const std::string& executableDir, std::string& message);

}  // namespace kgl
