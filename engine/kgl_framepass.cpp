// The frame pass: update() advances everything that moves by one fixed-rate step, render() draws
// the current scene (and the overlay scene over it), the overlays and the wave grids into the
// off-screen target and composes the result onto the window. Nothing here allocates.
#include <GL/gl.h>

#include <algorithm>

#include "engine/kgl_demoengine.h"

namespace kgl {

namespace {

constexpr float kPulseRise = 2.3f;
constexpr float kPulseFall = 1.3f;
constexpr float kPulseTop = 24.0f;
constexpr float kPulseBottom = 0.1f;
constexpr float kPulseRest = 1.3f;

}  // namespace

// The aspect pulse: from the set-up state it runs 12 steps, setting the aspect ratio to 2.3,
// 4.6 .. 23.0 and leaving it at 1.3 (not the window's ratio) when it ends.
void DemoEngine::stepPulse() {
    pulseValue += pulseRising ? kPulseRise : -kPulseFall;
    if (pulseValue > kPulseTop) {
        ++pulseCount;
        pulseRising = 0;
    }
    if (pulseValue < kPulseBottom) {
        pulseRising = 1;
        ++pulseCount;
    }
    if (pulseCount > 1) {
        pulseOn = 0;
        pulseValue = kPulseRest;
    }
    if (pulseValue > kPulseBottom && pulseValue < kPulseTop) scenes[currentScene].SetAspect(pulseValue);
}

void DemoEngine::update() {
    for (int g = 0; g < kWaveGrids; ++g)
        if (waveGridOn[g]) waveGrids[g].update();
    if (current()) {
        scenes[currentScene].Update();
        if (overlaySceneOn) scenes[overlayScene].Update();
        if (pulseOn) stepPulse();
    }
    for (int s = 0; s < kUsedOverlays; ++s)
        if (flashOn[s]) flashes[kOverlayFlash[s]].update();
}

void DemoEngine::drawScenes() {
    Scene3D* scene = current();
    if (!scene) return;
    scene->SetDepthTestOff(0);
    scene->SetActiveCamera(currentCamera);
    scene->Render();
    ++lastFrame.scenesDrawn;
    if (!overlaySceneOn) return;
    Scene3D& over = scenes[overlayScene];
    over.SetDepthTestOff(1);
    over.PrepareGL();  // resets its lights' glow to the scene default every frame
    over.SetActiveCamera(overlayCamera);
    over.Render();
    ++lastFrame.scenesDrawn;
}

void DemoEngine::skipRender() {
    Scene3D* scene = current();
    if (scene) {
        scene->SetDepthTestOff(0);
        scene->SetActiveCamera(currentCamera);
        if (overlaySceneOn) {
            scenes[overlayScene].SetActiveCamera(overlayCamera);
            skippedOverlay_ = overlayScene;
        }
    }
    if (motionBlurOn) motionBlur.skipBlurred();
    if (scene && withGL) probeFlares();
}

// The scenes drawn as render() draws them, with no colour written and only the pixels the flares
// read: their visibility, fade and the glow pulse they freeze come out as in a drawn frame.
void DemoEngine::probeFlares() {
    Scene3D& scene = scenes[currentScene];
    Scene3D* over = overlaySceneOn ? &scenes[overlayScene] : nullptr;
    int32_t rect[4];
    int32_t overRect[4];
    motionBlur.beginCapture();
    if (over) over->SetDepthTestOff(1);
    bool any = scene.FlareReadRect(rect);
    // The overlay scene's flares read the depth the current scene leaves.
    if (over && !over->FlareReadRect(overRect)) over = nullptr;
    if (over) {
        if (any) {
            const int32_t x1 = std::max(rect[0] + rect[2], overRect[0] + overRect[2]);
            const int32_t y1 = std::max(rect[1] + rect[3], overRect[1] + overRect[3]);
            rect[0] = std::min(rect[0], overRect[0]);
            rect[1] = std::min(rect[1], overRect[1]);
            rect[2] = x1 - rect[0];
            rect[3] = y1 - rect[1];
        } else {
            std::copy(overRect, overRect + 4, rect);
        }
        any = true;
    }
    if (any) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(rect[0], rect[1], rect[2], rect[3]);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        scene.Render();
        if (over) {
            over->PrepareGL();
            over->Render();
        }
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDisable(GL_SCISSOR_TEST);
    }
    motionBlur.endCapture();
}

void DemoEngine::flushSkippedSetup() {
    if (skippedOverlay_ < 0) return;
    const int slot = skippedOverlay_;
    skippedOverlay_ = -1;
    if (!withGL) return;
    Scene3D& over = scenes[slot];
    motionBlur.beginCapture();
    over.SetDepthTestOff(1);  // as drawScenes draws an overlay scene
    over.PrepareGL();
    over.SetActiveCamera(overlayCamera);
    over.ApplyRenderState();
    motionBlur.endCapture();
}

void DemoEngine::drawOverlays() {
    for (int s = 0; s < kUsedOverlays; ++s) {
        if (!flashOn[s]) continue;
        flashes[kOverlayFlash[s]].draw();
        lastFrame.overlayOrder[lastFrame.overlaysDrawn++] = static_cast<int8_t>(kOverlayFlash[s]);
    }
}

// Grid `grid` draws the last capture through its wobbling mesh; the result is captured again,
// so a second grid distorts what the first produced.
void DemoEngine::waveGridPass(int grid) {
    if (!waveGridOn[grid]) return;
    motionBlur.bindCapture();
    waveGrids[grid].draw();
    motionBlur.capture();
    ++lastFrame.captures;
}

void DemoEngine::render() {
    lastFrame = FramePassRecord();
    flushSkippedSetup();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    motionBlur.beginCapture();
    drawScenes();
    drawOverlays();
    motionBlur.capture();
    ++lastFrame.captures;
    for (int g = 0; g < kWaveGrids; ++g) waveGridPass(g);
    motionBlur.endCapture();
    if (motionBlurOn) {
        motionBlur.drawBlurred();
    } else {
        motionBlur.drawComposed();
    }
}

}  // namespace kgl
