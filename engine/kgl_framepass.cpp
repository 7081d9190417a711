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

// GL refuses a light's spot exponent outside 0..128 and its cutoff outside 0..90 but for 180
// (the comparisons as the driver makes them, which let a NaN through).
bool spotExponentTaken(float e) {
    return !(e < 0.0f || e > 128.0f);
}
bool spotCutoffTaken(float c) {
    return !((c < 0.0f || c > 90.0f) && c != 180.0f);
}

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
        noteSkippedSpots(*scene);
        if (overlaySceneOn) {
            Scene3D& over = scenes[overlayScene];
            over.ResetGlows();  // as its PrepareGL in drawScenes
            over.SetActiveCamera(overlayCamera);
            noteSkippedSpots(over);
            skippedOverlay_ = overlayScene;
        }
    }
    if (motionBlurOn) motionBlur.skipBlurred();
    if (scene && withGL) probeFlares();
}

// What Render's SetupLights would feed: the lights that are on and defined, of a scene with a camera.
void DemoEngine::noteSkippedSpots(const Scene3D& scene) {
    if (scene.cameras.empty()) return;
    for (const SceneLight& l : scene.lights) {
        const int64_t n = static_cast<int64_t>(l.glLight) - GL_LIGHT0;
        if (n < 0 || n >= kMaxLights || !l.lightOn || !l.definedByScript) continue;
        OwedSpot& o = owedSpots_[n];
        if (spotExponentTaken(l.spotExponent)) {
            o.exponent = l.spotExponent;
            o.exponentOwed = spotsOwed_ = true;
        }
        if (spotCutoffTaken(l.spotCutoff)) {
            o.cutoff = l.spotCutoff;
            o.cutoffOwed = spotsOwed_ = true;
        }
    }
}

// In the off-screen context.
void DemoEngine::feedOwedSpots() {
    for (int n = 0; n < kMaxLights; ++n) {
        OwedSpot& o = owedSpots_[n];
        const GLenum light = static_cast<GLenum>(GL_LIGHT0 + n);
        if (o.exponentOwed) glLightf(light, GL_SPOT_EXPONENT, o.exponent);
        if (o.cutoffOwed) glLightf(light, GL_SPOT_CUTOFF, o.cutoff);
        o.exponentOwed = o.cutoffOwed = false;
    }
}

// The scenes' objects drawn as render() draws them, with no colour written, into the pixels the
// flares read (cleared first) and leaving out objects that cannot reach them: the flares' visibility,
// fade and the glow pulse they freeze come out as in a drawn frame.
void DemoEngine::probeFlares() {
    Scene3D& scene = scenes[currentScene];
    Scene3D* over = overlaySceneOn ? &scenes[overlayScene] : nullptr;
    if (!scene.FlareOn() && !(over && over->FlareOn())) return;
    int32_t rect[4];
    int32_t overRect[4];
    motionBlur.beginDepthSense();
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
        glDepthMask(GL_TRUE);
        glClear(GL_DEPTH_BUFFER_BIT);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        scene.RenderFlareSense(rect);
        if (over) {
            over->PrepareGL();
            over->RenderFlareSense(rect);
        }
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDisable(GL_SCISSOR_TEST);
    }
    motionBlur.endCapture();
}

void DemoEngine::flushSkippedSetup() {
    if (skippedOverlay_ < 0 && !spotsOwed_) return;
    const int slot = skippedOverlay_;
    skippedOverlay_ = -1;
    spotsOwed_ = false;
    if (!withGL) {
        for (OwedSpot& o : owedSpots_) o = OwedSpot();
        return;
    }
    motionBlur.beginCapture();
    feedOwedSpots();  // the current scene's lights come before the overlay scene's
    if (slot >= 0) {
        Scene3D& over = scenes[slot];
        over.SetDepthTestOff(1);  // as drawScenes draws an overlay scene
        over.PrepareGL();
        over.SetActiveCamera(overlayCamera);
        over.ApplyRenderState();
    }
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
