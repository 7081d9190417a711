// Scene-script text of the default show: the IMPORT block that converts the scene's ASE export
// at start-up, the K3D block that loads it, and the ambience, camera, light and object blocks.
#pragma once

#include <string>
#include <vector>

namespace kgl {
namespace showgen {

struct ScriptLight {
    float radius = 120.0f;
    float limits[4] = {30, 10, 50, 20};  // upper1, lower1, upper2, lower2 of the glow pulse
    int flare = 1;
    float spotExponent = 1.15f, spotCutoff = 90.0f;
    std::string coronas;  // lens-flare picture, empty: none
};

struct ScriptObject {
    std::string name;
    std::vector<std::string> keys;  // lines such as "CULL: 1" or "WIRED:"
};

struct SceneScript {
    std::string stem;    // scene name: escena/ase/<stem>.ase -> escena/<stem>.k3d
    bool packed = true;  // textures packed into the scene file, or read from escena/maps/
    float ambient[3] = {0.3f, 0.3f, 0.3f}, diffuse[3] = {0.7f, 0.7f, 0.7f};
    float specular[4] = {1, 1, 1, 1};
    float shine = 64.0f;
    std::vector<float> fovs;
    std::vector<ScriptLight> lights;
    std::vector<ScriptObject> objects;
};

std::string scriptText(const SceneScript& s);

}  // namespace showgen
}  // namespace kgl
