// Scene scripts: the small text files under "escena/scripts/" that convert an ASE export when
// asked, name the scene file to load, and set ambience, cameras, lights and per-object options.
// SetObjectOption is also the one way the engine set-up and the director reach object options.
#pragma once

namespace kgl {

class DemoEngine;
class Scene3D;

// Reads one script and applies it to `scene`; the engine's importer runs its IMPORT block.
// A script that cannot be opened is skipped silently.
void ParseSceneScript(DemoEngine& engine, Scene3D& scene, const char* path);

// Applies one option to every object whose name equals `objectName` or agrees with it in the
// first 8 characters. The value is a real; integer options take its whole part.
void SetObjectOption(Scene3D& scene, const char* objectName, const char* option, float value);

}  // namespace kgl
