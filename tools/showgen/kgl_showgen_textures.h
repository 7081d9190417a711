// Material textures of the eight scenes, drawn procedurally and written as JPEG files.
#pragma once

#include <string>

namespace kgl {
namespace showgen {

// Writes every material texture into `mapsDir` (which ends with a slash).
bool writeSceneTextures(const std::string& mapsDir);

}  // namespace showgen
}  // namespace kgl
