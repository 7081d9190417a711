// The timeline director: once per frame, after the render pass, it asks the cue track which
// marks the music has passed and performs the pending actions 0..90 in number order. Uniform
// action sets come from kgl_show_tables.h; the rest is the small switch below. With --trace every
// performed action is written as "frame POSITION ACTION" the moment it runs, and the last few are
// remembered with their positions for the show's HUD. Which routine
// performs an action is decided by the range table kActionRanges (kgl_action_names.h).
#include <cinttypes>
#include <cstdio>

#include "common/kgl_log.h"
#include "engine/kgl_action_names.h"
#include "engine/kgl_demoengine.h"
#include "engine/kgl_show_tables.h"

namespace kgl {

namespace {

constexpr int kFirstCameraAction = 42;
constexpr int kOverlaySceneCameraAction = 87;  // 87..90: overlay camera 0..3
constexpr int kFrameJump = 8;
constexpr int kFastFrameStep = 4;
constexpr float kDarkAlphaStep = 0.01f;
constexpr float kImageAlphaStep = 0.1f;

float clamp01(float v) {
    return v > 1.0f ? 1.0f : (v < 0.0f ? 0.0f : v);
}

void startParticles(Scene3D& scene, int system) {
    if (system < 0 || system >= kParticleSlots) return;
    scene.particles[system].started = 1;
}

const float* paramsOf(const DemoEngine& e, show::ParamBlock block, int& count) {
    switch (block) {
        case show::ParamBlock::kDeformA:
            count = kDeformParams;
            return e.deformParamsA;
        case show::ParamBlock::kDeformB:
            count = kDeformParams;
            return e.deformParamsB;
        case show::ParamBlock::kHarm:
            break;
    }
    count = kHarmParamCount;
    return e.harmParams;
}

}  // namespace

bool DemoEngine::openTrace(const char* path, bool append) {
    closeTrace();
    if (!path || !path[0]) return false;
    trace_ = std::fopen(path, append ? "a" : "w");
    if (!trace_) logLine("TRACE", path, "cannot write the trace file");
    return trace_ != nullptr;
}

void DemoEngine::closeTrace() {
    if (trace_) std::fclose(trace_);
    trace_ = nullptr;
}

void DemoEngine::traceAction(uint32_t position, int action) {
    if (!trace_) return;
    std::fprintf(trace_, "%" PRId64 " %" PRIu32 " %d\n", traceFrame, position, action);
    std::fflush(trace_);
}

void DemoEngine::rememberAction(uint32_t position, int action) {
    recent_[recentNext_] = PerformedAction{action, position};
    recentNext_ = (recentNext_ + 1) % kRecentActionCount;
    if (recentCount_ < kRecentActionCount) ++recentCount_;
}

PerformedAction DemoEngine::recentAction(int age) const {
    if (age < 0 || age >= recentCount_) return PerformedAction{};
    return recent_[(recentNext_ - 1 - age + kRecentActionCount) % kRecentActionCount];
}

void DemoEngine::resetShowState() {
    for (uint8_t& on : flashOn) on = 0;
    currentScene = -1;
    recentNext_ = recentCount_ = 0;
}

Scene3D* DemoEngine::current() {
    if (currentScene < 0 || currentScene >= kSceneSlots) return nullptr;
    return &scenes[currentScene];
}

void DemoEngine::direct() {
    if (!config.renderActions) return;
    const uint32_t p = sound.Position();
    if (!events.Advance(p)) return;
    tracePosition_ = p;
    for (int k = 0; k < kActionCount; ++k) {
        if (ActionKindOf(k) == ActionKind::kUnused) continue;
        if (events.TakeFired(k)) performAction(k);
    }
}

void DemoEngine::performAction(int k) {
    const ActionKind kind = ActionKindOf(k);  // kUnused outside 0..90 too
    if (kind == ActionKind::kUnused) return;
    traceAction(tracePosition_, k);
    rememberAction(tracePosition_, k);
    switch (kind) {
        case ActionKind::kSceneSwitch:
            switchScene(k);
            break;
        case ActionKind::kOverlayScene:
            overlaySceneOn = !overlaySceneOn;
            overlayScene = k;
            break;
        case ActionKind::kOverlay:
            overlayAction(k);
            break;
        case ActionKind::kComposition:
            compositionAction(k);
            break;
        case ActionKind::kPlayback:
            playbackAction(k);
            break;
        case ActionKind::kBlur:
            blurAction(k);
            break;
        case ActionKind::kSceneAnimation:
            sceneAnimationAction(k);
            break;
        case ActionKind::kVertexProgram:
            vertexProgramAction(k);
            break;
        case ActionKind::kOverlayCamera:
            overlayCamera = k - kOverlaySceneCameraAction;
            scenes[overlayScene].SetActiveCamera(overlayCamera);
            break;
        case ActionKind::kUnused:
            break;
    }
}

void DemoEngine::switchScene(int action) {
    for (const show::SceneSwitch& s : show::kSceneSwitches) {
        if (s.action != action) continue;
        updateRate = s.rate;
        currentScene = s.slot;
        if (s.extras & show::kWaveGridsOff) waveGridOn[0] = waveGridOn[1] = 0;
        if (s.extras & show::kCameraZero) currentCamera = 0;
        if (s.composes) {
            motionBlur.setBlend(s.blend[0], s.blend[1], s.blend[2], s.blend[3]);
            motionBlur.setAlphas(s.dark, s.image);
        }
        if (withGL) prepareInTarget(s.slot);
        scenes[s.slot].SetActiveCamera(0);
        return;
    }
}

// Scenes are drawn in the off-screen context, so their GL state (lights, fog, depth) must be set
// there; the director runs after the render pass, with the window's context current. Making the
// target current clears it, which is harmless: the next render pass clears it anyway.
void DemoEngine::prepareInTarget(int slot) {
    flushSkippedSetup();
    motionBlur.beginCapture();
    scenes[slot].PrepareGL();
    motionBlur.endCapture();
}

void DemoEngine::overlayAction(int action) {
    for (const show::OverlayAction& o : show::kOverlayActions) {
        if (o.action != action) continue;
        ScreenFlash& flash = flashes[kOverlayFlash[o.overlaySwitch]];
        uint8_t& on = flashOn[o.overlaySwitch];
        if (o.kind == show::OverlayKind::kToggle && on) {
            on = 0;
            flash.stop();
        } else {
            on = 1;
            flash.start();
        }
        return;
    }
}

void DemoEngine::compositionAction(int action) {
    int32_t* selectors[] = {&darkDstIndex, &darkSrcIndex, &imageDstIndex, &imageSrcIndex};
    const int i = (action - 27) / 2;
    *selectors[i] += (action % 2 == 1) ? 1 : -1;  // odd actions raise, even ones lower
    handOverBlend();
}

void DemoEngine::handOverBlend() {
    motionBlur.setBlend(imageSrcIndex, imageDstIndex, darkSrcIndex, darkDstIndex);
}

void DemoEngine::handOverAlphas() {
    motionBlur.setAlphas(darkAlpha, imageAlpha);
}

void DemoEngine::applyBlurPreset(int action) {
    for (const show::BlurPreset& p : show::kBlurPresets) {
        if (p.action != action) continue;
        if (p.toggles) motionBlurOn = !motionBlurOn;
        if (p.newDrift) motionBlur.setDrift(p.driftAmpX, p.driftAmpY, p.driftShape);
        motionBlur.setLayers(p.layerStart, p.layerEnd, p.layers);
        if (p.setsOffset) motionBlur.setDriftOffset(p.offsetX, p.offsetY);
        motionBlur.setDriftOn(p.driftOn);
        return;
    }
}

void DemoEngine::blurAction(int action) {
    switch (action) {
        case 50:
            darkAlpha = clamp01(darkAlpha + kDarkAlphaStep);
            handOverAlphas();
            break;
        case 51:
            darkAlpha = clamp01(darkAlpha - kDarkAlphaStep);
            handOverAlphas();
            break;
        case 52:
            imageAlpha = clamp01(imageAlpha + kImageAlphaStep);
            handOverAlphas();
            break;
        case 53:
            imageAlpha = clamp01(imageAlpha - kImageAlphaStep);
            handOverAlphas();
            break;
        case 54:
        case 55:
        case 56:
            applyBlurPreset(action);
            break;
        case 57:
            waveGridOn[0] = !waveGridOn[0];
            break;
        case 58:
            waveGridOn[1] = !waveGridOn[1];
            break;
        case 59:
            pulseCount = 0;
            pulseOn = 1;
            break;
        default:
            break;
    }
}

// Actions 35..49 act on the current scene; with none (after a restart) they are skipped.
void DemoEngine::playbackAction(int action) {
    Scene3D* scene = current();
    if (!scene) return;
    switch (action) {
        case 36:
            scene->SetForward(0);
            break;
        case 37:
            scene->SetForward(1);
            break;
        case 38:
            scene->RewindFrames(kFrameJump);
            break;
        case 39:
            scene->AdvanceFrames(kFrameJump);
            break;
        case 40:
            scene->frameStep = kFastFrameStep;
            break;
        case 41:
            scene->frameStep = 1;
            break;
        default:
            if (action >= kFirstCameraAction && action < kFirstCameraAction + kMaxCameraActions) {
                currentCamera = action - kFirstCameraAction;
                scene->SetActiveCamera(currentCamera);
            }
            break;
    }
}

void DemoEngine::sceneAnimationAction(int action) {
    if (currentScene == 3) {
        for (const show::ClockAction& c : show::kGamutClocks)
            if (c.action == action) scenes[3].SetObjectClock(show::kGamut, c.first, c.last, 0);
    } else if (currentScene == 5) {
        for (const show::ParticleStart& s : show::kParticleStarts) {
            if (s.action != action) continue;
            for (int system : s.systems) startParticles(scenes[5], system);
        }
    }
}

void DemoEngine::vertexProgramAction(int action) {
    for (const show::MorphAction& m : show::kMorphActions) {
        if (m.action != action) continue;
        scenes[m.slot].MorphObjectTo(m.object, m.target, m.referenceVertex, m.steps);
        scenes[m.slot].SetMorphActive(m.object, m.active, m.mode);
    }
    for (const show::ProgramAction& p : show::kProgramActions) {
        if (p.action != action) continue;
        int count = 0;
        const float* params = paramsOf(*this, p.params, count);
        scenes[p.slot].RunVertexProgram(p.object, p.program, params, count);
    }
    for (const show::TrailAction& t : show::kTrailActions)
        if (t.action == action) scenes[t.slot].SetLineTrail(t.object, t.vertex, t.trail, 0);
}

}  // namespace kgl
