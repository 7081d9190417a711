// Scene-script writer. The script reader searches keys forward and stops a block at the next
// closing brace and the whole search at a star, so neither character appears in values; paths
// follow their key directly inside double quotes and object names are closed by a colon.
#include "kgl_showgen_script.h"

#include <cstdio>

namespace kgl {
namespace showgen {
namespace {

std::string num(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    return buf;
}

std::string importBlocks(const SceneScript& s) {
    std::string pack = s.packed ? "1" : "0";
    std::string t;
    t += "IMPORT: 1\n{\n";
    t += "INFILE:\"escena/ase/" + s.stem + ".ase\"\n";
    t += "OUTFILE:\"escena/" + s.stem + ".k3d\"\n";
    t += "TXTPATH:\"escena/maps/\"\n";
    t += "USETXTPACK: " + pack + "\n}\n\n";
    t += "K3D: 1\n{\n";
    t += "TXTPATH:\"escena/maps/\"\n";
    t += "USETXTPACK: " + pack + "\n";
    t += "INFILE:\"escena/" + s.stem + ".k3d\"\n}\n\n";
    return t;
}

std::string ambienceBlock(const SceneScript& s) {
    std::string t = "AMBIENCE:\n{\n";
    t += "AMBIENT: " + num(s.ambient[0]) + " " + num(s.ambient[1]) + " " + num(s.ambient[2]) + " 1\n";
    t += "DIFFUSE: " + num(s.diffuse[0]) + " " + num(s.diffuse[1]) + " " + num(s.diffuse[2]) + " 1\n";
    t += "SPECU: " + num(s.specular[0]) + " " + num(s.specular[1]) + " " + num(s.specular[2]) + " " +
         num(s.specular[3]) + "\n";
    t += "SHINE: " + num(s.shine) + "\n}\n\n";
    return t;
}

std::string cameraBlocks(const SceneScript& s) {
    std::string t;
    for (size_t i = 0; i < s.fovs.size(); ++i)
        t += "CAMERA: " + std::to_string(i) + "\n{\nFOV: " + num(s.fovs[i]) + "\n}\n";
    return t + "\n";
}

std::string lightBlocks(const SceneScript& s) {
    std::string t;
    for (size_t i = 0; i < s.lights.size(); ++i) {
        const ScriptLight& l = s.lights[i];
        t += "LIGHT: " + std::to_string(i) + "\n{\n";
        t += "RADIUS: " + num(l.radius) + "\n";
        t += "LIMITS: " + num(l.limits[0]) + " " + num(l.limits[1]) + " " + num(l.limits[2]) + " " +
             num(l.limits[3]) + "\n";
        t += "ACCEL: 1\n";
        t += "FLARE: " + std::to_string(l.flare) + "\n";
        t += "SPOT: " + num(l.spotExponent) + " " + num(l.spotCutoff) + "\n";
        if (!l.coronas.empty()) t += "CORONAS:\"" + l.coronas + "\"\n";
        t += "}\n";
    }
    return t + "\n";
}

std::string objectBlocks(const SceneScript& s) {
    std::string t;
    for (const ScriptObject& o : s.objects) {
        t += "OBJ:" + o.name + ":\n{\n";
        for (const std::string& k : o.keys) t += k + "\n";
        t += "}\n";
    }
    return t;
}

}  // namespace

std::string scriptText(const SceneScript& s) {
    return importBlocks(s) + ambienceBlock(s) + cameraBlocks(s) + lightBlocks(s) + objectBlocks(s) + "\n*\n";
}

}  // namespace showgen
}  // namespace kgl
