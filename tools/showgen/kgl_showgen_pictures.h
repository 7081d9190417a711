// The 2D pictures of the default show: loading picture, overlay pictures, lens-flare elements,
// particle sprite and the light glow and ring sprites, all drawn here.
#pragma once

#include <string>

namespace kgl {
namespace showgen {

constexpr const char* kShowTitle = "LUMEN DRIFT";

// Writes every picture file into `escenaDir` (which ends with a slash). False on a write error.
bool writePictures(const std::string& escenaDir);

}  // namespace showgen
}  // namespace kgl
