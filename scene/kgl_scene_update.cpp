// Scene3D::Update and the director's scene-level operations: the frame counter, cameras, lights
// with their glow pulsation, objects in their fixed order, particles
// and line trails. Runs once per frame on the rendering thread; nothing here allocates per frame.
#include <algorithm>
#include <cstring>

#include "common/kgl_random.h"
#include "scene/kgl_materials.h"
#include "scene/kgl_scene3d.h"
#include "scene/kgl_scene_anim.h"

namespace kgl {
namespace {

// World-space trails keep each point a weighted average of itself and its predecessor plus a
// little drift; object-space trails use a heavier predecessor weight and the matching divisor
// k1 + 1 so the weights still sum to one.
constexpr float kTrailWorldK1 = 3312.3f, kTrailWorldK2 = 3312.02f, kTrailWorldK3 = 0.02f;
constexpr float kTrailObjectK1 = 15000.3f, kTrailObjectK2 = 15001.3f, kTrailObjectK3 = 0.002f;

bool sameName(const SceneObject& o, const char* name) {
    return name && std::strlen(name) < static_cast<size_t>(kObjectNameSize) &&
           std::strncmp(o.name, name, kObjectNameSize) == 0;
}

void updateLineTrail(LineTrail& t) {
    float head[3];
    for (int c = 0; c < 3; ++c) {
        float hy;
        t.trigo.advance(c);
        t.trigo.sample(c, head[c], hy);
    }
    const int strips = std::min(t.stripCount, kTrailStrips);
    const int points = std::min(t.pointsPerStrip, kTrailPointCapacity);
    if (t.points.size() < static_cast<size_t>(kTrailStrips) * kTrailPointCapacity) return;
    const float k1 = t.objectSpace ? kTrailObjectK1 : kTrailWorldK1;
    const float k2 = t.objectSpace ? kTrailObjectK2 : kTrailWorldK2;
    const float k3 = t.objectSpace ? kTrailObjectK3 : kTrailWorldK3;
    for (int s = 0; s < strips; ++s) {
        Vec3* p = t.strip(s);
        if (t.objectSpace) {
            p[0] = Vec3{head[0] + t.offset.x, head[1] + t.offset.y, head[2] + t.offset.z};
        } else {
            p[0].x += head[0];
            p[0].y += head[1];
            p[0].z += head[2];
        }
        const Vec3& d = t.drift[s];
        for (int j = points - 1; j >= 1; --j) {
            p[j].x = (k1 * p[j - 1].x + p[j].x) / k2 + k3 * d.x;
            p[j].y = (k1 * p[j - 1].y + p[j].y) / k2 + k3 * d.y;
            p[j].z = (k1 * p[j - 1].z + p[j].z) / k2 + k3 * d.z;
        }
    }
}

}  // namespace

void SceneCamera::UpdateAnimation(int f) {
    if (positionFlag) {
        const int k = HeldTrackKey(f, std::min<int>(positionKeyCount, positionKeys.size()));
        if (k >= 0) eye = positionKeys[k].pos;
    }
    if (targetFlag) {
        const int k = HeldTrackKey(f, std::min<int>(targetKeyCount, targetKeys.size()));
        if (k >= 0) target = targetKeys[k];
    }
    if (fovFlag) {
        const int k = HeldTrackKey(f, static_cast<int>(fovKeys.size()));
        if (k >= 0) fov = fovKeys[k];
    }
}

void SceneLight::UpdateAnimation(int f, bool glowFrozen) {
    if (!positionFlag) return;
    if (lightOn && hasTarget) {
        if (targetFlag) {
            const int k = HeldTrackKey(f, std::min<int>(targetKeyCount, targetKeys.size()));
            if (k >= 0) target = Vec4{targetKeys[k].x, targetKeys[k].y, targetKeys[k].z, 1.0f};
        }
        const float from[3] = {position.x, position.y, position.z};
        const float to[3] = {target.x, target.y, target.z};
        float dir[3];
        UnitDirection(from, to, dir);
        spotDirection = Vec3{dir[0], dir[1], dir[2]};
    }
    const int k = HeldTrackKey(f, std::min<int>(positionKeyCount, positionKeys.size()));
    if (k >= 0) {
        position = positionKeys[k];
        position.w = 1.0f;
    }
    ringAngle -= 3.0f;
    glowAngle += 5.0f;
    if (glowFrozen) return;
    bool rising = glowRising1 != 0;
    StepPulsation(&glowSize1, &rising, static_cast<float>(glowUpper1), glowLower1,
                  static_cast<float>(glowUpStep), static_cast<float>(glowDownStep));
    glowRising1 = rising ? 1 : 0;
    rising = glowRising2 != 0;
    StepPulsation(&glowSize2, &rising, static_cast<float>(glowUpper2), glowLower2,
                  static_cast<float>(glowUpStep), static_cast<float>(glowDownStep));
    glowRising2 = rising ? 1 : 0;
}

void SceneObject::UpdateAnimation(int f) {
    if (deformProgramOn) RunDeformProgram();
    if (harmProgramOn) RunHarmProgram();
    if (clockOn) {
        clockKey = StepOwnClock(clockKey, clockFirst, clockLast, clockLoop != 0);
        f = clockKey;
    }
    bool wrapped = false;
    if (hasPositionTrack()) {
        const int k = ObjectTrackKey(f, std::min<int>(positionKeyCount, positionKeys.size()), &wrapped);
        if (k >= 0) {
            f = k;
            pivot = positionKeys[k];
        }
    }
    if (hasRotationTrack()) {
        const int k = ObjectTrackKey(f, std::min<int>(rotationKeyCount, rotationKeys.size()), &wrapped);
        if (k >= 0) {
            if (wrapped) {
                rotationAxis = initialRotation[0].axis;
                rotationAngle = initialRotation[0].angle;
            }
            f = k;
            rotationAxis = rotationKeys[k].axis;
            rotationAngle += rotationKeys[k].angle;
        }
    }
    if (hasScaleTrack()) {
        const int k = HeldTrackKey(f, std::min<int>(scaleKeyCount, scaleKeys.size()));
        if (k >= 0) scale = scaleKeys[k];
    }
    if (hasMorphTrack() && vertexCount > 0) {
        const int frames = static_cast<int>(morphKeys.size() / static_cast<size_t>(vertexCount));
        const int k = HeldTrackKey(f, frames);
        if (k >= 0 && vertices.size() == static_cast<size_t>(vertexCount)) {
            const Vec3* keys = morphFrame(k);
            for (int i = 0; i < vertexCount; ++i) vertices[i].pos = keys[i];
        }
    }
    MorphToStep();
}

void Scene3D::Update() {
    currentFrame = StepFrameCounter(currentFrame, frameStep, forward == 1, firstFrame, lastFrame);
    const int f = static_cast<int>(currentFrame);
    for (SceneCamera& c : cameras) c.UpdateAnimation(f);
    if (cameras.empty()) return;
    for (size_t i = 0; i < lights.size(); ++i)
        lights[i].UpdateAnimation(f, i < static_cast<size_t>(kMaxLights) && flares[i].glowFrozen);
    for (SceneObject& o : objects) o.UpdateAnimation(f);
    for (ParticleSystem& ps : particles) {
        if (ps.inUse) ps.Update();
    }
    for (LineTrail& t : lineTrails) {
        if (t.inUse) updateLineTrail(t);
    }
}

void Scene3D::AdvanceFrames(float frames) {
    currentFrame = AdvanceFrameCounter(currentFrame, frames, firstFrame, lastFrame);
}

void Scene3D::RewindFrames(float frames) {
    currentFrame = RewindFrameCounter(currentFrame, frames, firstFrame, lastFrame);
}

void Scene3D::SetActiveCamera(int index) {
    const int last = static_cast<int>(cameras.size()) - 1;
    if (index > last) index = last;
    if (index < 0) index = 0;
    activeCamera = static_cast<uint8_t>(index);
}

void Scene3D::SetCameraFov(float degrees, int index) {
    if (index >= 0 && index < static_cast<int>(cameras.size())) cameras[index].fov = degrees;
}

void Scene3D::SetObjectClock(const char* name, float first, float last, int loop) {
    for (SceneObject& o : objects) {
        if (!sameName(o, name)) continue;
        o.clockOn = 1;
        o.clockLoop = loop;
        o.clockLast = static_cast<int32_t>(last);
        o.clockFirst = static_cast<int32_t>(first);
        o.clockKey = o.clockFirst;
    }
}

void Scene3D::SetLineTrail(const char* objectName, int vertexIndex, int slot, int objectSpace) {
    if (slot < 0 || slot >= kLineTrailSlots) return;
    for (SceneObject& o : objects) {
        if (!sameName(o, objectName)) continue;
        if (vertexIndex < 0 || static_cast<size_t>(vertexIndex) >= o.restPositions.size()) continue;
        LineTrail& t = lineTrails[slot];
        t.stripCount = kTrailStrips;
        t.pointsPerStrip = kTrailPointsPerStrip;
        t.trigo.generateAndDump(14.1f, 25.226f, 0, 2);
        t.trigo.setStep(4);
        t.trigo.generateAndDump(4.2f, 6.256f, 1, 4);
        t.trigo.setStep(4);
        t.trigo.generateAndDump(3.2f, 2.915f, 2, 4);
        t.trigo.setStep(3);
        t.points.assign(static_cast<size_t>(kTrailStrips) * kTrailPointCapacity, Vec3{});
        for (Vec3& d : t.drift) {
            d.x = (20.0f * Random() - 10.0f) / 1000.0f;
            d.y = (20.0f * Random() - 10.0f) / 1000.0f;
            d.z = (20.0f * Random() - 10.0f) / 1000.0f;
        }
        t.offset = o.restPositions[vertexIndex];
        t.objectSpace = static_cast<uint8_t>(objectSpace != 0);
        t.inUse = 1;
        // An object-space trail is drawn by its object (inside its transform), so attach it once.
        bool attached = false;
        for (int i = 0; i < o.trailCount; ++i) attached = attached || o.trails[i] == &t;
        if (t.objectSpace && !attached && o.trailCount < kMaxTrailsPerObject) o.trails[o.trailCount++] = &t;
    }
}

}  // namespace kgl
