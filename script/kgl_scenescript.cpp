#include "script/kgl_scenescript.h"

namespace kgl {

void ParseSceneScript(DemoEngine&, Scene3D&, const char*) {}
void SetObjectOption(Scene3D&, const char*, const char*, float) {}

}  // namespace kgl
