// The eight 3D scenes of the default show: geometry, animation, cameras, lights, material
// textures and the scene scripts that convert and load them at start-up.
#pragma once

#include <string>

namespace kgl {
namespace showgen {

// Writes escena/ase/*.ase, escena/maps/*.jpg and escena/scripts/*.txt under `escenaDir`
// (which ends with a slash). False on a write error.
bool writeScenes(const std::string& escenaDir);

}  // namespace showgen
}  // namespace kgl
