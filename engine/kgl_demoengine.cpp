#include "engine/kgl_demoengine.h"

namespace kgl {

DemoEngine::DemoEngine() = default;
DemoEngine::~DemoEngine() = default;

void DemoEngine::setup(float, float, int) {}
void DemoEngine::setShowLoop(uint8_t) {}
void DemoEngine::warmUp() {}
void DemoEngine::StartMusic() {}
void DemoEngine::StopMusic() {}
void DemoEngine::StartEventTrack(const char*) {}
void DemoEngine::direct() {}
void DemoEngine::update() {}
void DemoEngine::render() {}
void DemoEngine::resetShowState() {}

}  // namespace kgl
