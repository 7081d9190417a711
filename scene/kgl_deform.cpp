// The deformers of a SceneObject: morph-to flights between objects of equal vertex count and the
// two vertex programs started by the director. Set-up may allocate; the per-frame steps only
// index the arrays allocated at load or at set-up.
#include "scene/kgl_deform.h"

#include "scene/kgl_scene3d.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kgl {
namespace {

bool sameName(const SceneObject& o, const char* name) {
    return name && std::strlen(name) < static_cast<size_t>(kObjectNameSize) &&
           std::strncmp(o.name, name, kObjectNameSize) == 0;
}

bool faceInRange(const SceneObject& o, const ObjectFace& f) {
    const size_t n = o.vertices.size();
    return f.a < n && f.b < n && f.c < n;
}

void moveFace(SceneObject& o, const ObjectFace& f, float dx, float dy, float dz) {
    const uint16_t corner[3] = {f.a, f.b, f.c};
    for (uint16_t vi : corner) {
        Vec3& p = o.vertices[vi].pos;
        p.x += dx;
        p.y += dy;
        p.z += dz;
    }
}

// True when every coordinate of the face's working corners is at most rest + limit.
bool faceWithinLimit(const SceneObject& o, const ObjectFace& f, float limit) {
    const uint16_t corner[3] = {f.a, f.b, f.c};
    for (uint16_t vi : corner) {
        const Vec3& p = o.vertices[vi].pos;
        const Vec3& r = o.restPositions[vi];
        if (p.x > r.x + limit || p.y > r.y + limit || p.z > r.z + limit) return false;
    }
    return true;
}

void clearDoneFlags(SceneObject& o) {
    for (ObjectFace& f : o.faces) f.done = 0;
}

}  // namespace

void SceneObject::RestoreMorph() {
    const size_t n = std::min(vertices.size(), restPositions.size());
    for (size_t i = 0; i < n; ++i) vertices[i].pos = restPositions[i];
}

void SceneObject::SortFaces() {
    const int count = static_cast<int>(faces.size());
    std::vector<float> cz(faces.size()), cx(faces.size());
    for (int i = 0; i < count; ++i) {
        const ObjectFace& f = faces[i];
        if (!faceInRange(*this, f) || restPositions.size() < vertices.size()) continue;
        const Vec3& a = restPositions[f.a];
        const Vec3& b = restPositions[f.b];
        const Vec3& c = restPositions[f.c];
        cz[i] = (a.z + b.z + c.z) / 3.0f;
        cx[i] = (a.x + b.x + c.x) / 3.0f;
    }
    const bool withTexFaces = texFaces.size() == faces.size();
    SortFacesByCentre(cz.data(), cx.data(), count, [&](int i, int j) {
        // The face normal travels with its face so flat shading stays right after sorting.
        std::swap(faces[i], faces[j]);
        if (withTexFaces) std::swap(texFaces[i], texFaces[j]);
        std::swap(cz[i], cz[j]);
        std::swap(cx[i], cx[j]);
    });
}

void SceneObject::StartDeformProgram(const float* params) {
    std::copy(params, params + kDeformParams, deformParams);
    const float* p = deformParams;
    trigo.generateAndDump(p[0], p[1], 0, static_cast<uint8_t>(static_cast<int>(p[2])));
    trigo.generateAndDump(p[3], p[4], 1, static_cast<uint8_t>(static_cast<int>(p[5])));
    trigo.generateAndDump(p[6], p[7], 2, static_cast<uint8_t>(static_cast<int>(p[8])));
    trigo.generateAndDump(p[9], p[10], 3, static_cast<uint8_t>(static_cast<int>(p[11])));
    trigo.setFold();
    trigo.setStep(static_cast<int>(p[12]));
    SortFaces();
    deformProgramOn = 1;
}

void SceneObject::RunDeformProgram() {
    RestoreMorph();
    clearDoneFlags(*this);
    const float* p = deformParams;
    float s = p[16];
    const float phase = p[15];
    float x[4], y[4];
    for (int ch = 0; ch < 4; ++ch) trigo.sample(ch, x[ch], y[ch]);
    const float c0 = x[0] * y[0];
    const float c1 = x[1] * y[1];
    const int count = static_cast<int>(faces.size());
    const int half = count / 2;
    const int quarter = count / 4;
    const int mode = static_cast<int>(p[18]);
    float dx = 0.0f, dy = 0.0f;
    int next = 0;  // running face counter, never reset across rows
    for (int q = 0; q < half && next < count; ++q) {
        DeformRowOffsets(mode, c0, c1, phase, s, &dx, &dy);
        s = p[17] == 1.0f ? s + p[14] : s - p[14];
        const float sign = (q % 2 == 1) ? -1.0f : 1.0f;
        for (int k = 0; k < 2 * quarter && next < count; ++k, ++next) {
            ObjectFace& f = faces[next];
            if (f.done || !faceInRange(*this, f)) continue;
            moveFace(*this, f, sign * dx, sign * dy, 0.0f);
            f.done = 1;
        }
    }
    for (int ch = 0; ch < 4; ++ch) trigo.advance(ch);
}

void SceneObject::StartHarmProgram(const float* params) {
    int p[kHarmParamCount];
    for (int i = 0; i < kHarmParamCount; ++i) p[i] = static_cast<int>(params[i]);
    for (int j = 0; j < kHarmTerms; ++j) {
        harmM[j] = p[j];
        harmRising[j] = p[8 + 3 * j] >= 1 ? 1 : 0;
        harmUpStep[j] = p[9 + 3 * j];
        harmDownStep[j] = p[10 + 3 * j];
    }
    harmLimit = static_cast<float>(p[32]);
    const float count = static_cast<float>(faces.empty() ? 1 : faces.size());
    harmDPhi = kHarmPi / count;
    harmDTheta = 2.0f * kHarmPi / count;
    trigo.generate(p[0], p[2], 0, 0);
    trigo.generate(p[4], p[6], 1, 0);
    trigo.generate(p[1], p[3], 2, 0);
    trigo.generate(p[5], p[7], 3, 0);
    trigo.setFold();
    trigo.setStep(1);
    SortFaces();
    harmProgramOn = 1;
}

void SceneObject::RunHarmProgram() {
    clearDoneFlags(*this);
    const int count = static_cast<int>(faces.size());
    const int n = count / 64;
    float theta = 0.0f, phi = 0.0f;
    int c = 0;
    const bool restOk = restPositions.size() >= vertices.size();
    for (int k = 0; k < n; ++k) {
        theta += harmDTheta;
        for (int j = 0; j < n; ++j, ++c) {
            phi += harmDPhi;  // never reset: keeps growing across the rows
            if (c >= count || !restOk) continue;
            const ObjectFace& f = faces[c];
            if (f.done || !faceInRange(*this, f)) continue;
            float v[3];
            HarmonicVector(harmM, theta, phi, v);
            const float sign = faceWithinLimit(*this, f, harmLimit) ? 1.0f : -1.0f;
            moveFace(*this, f, sign * v[0], sign * v[1], sign * v[2]);
        }
    }
    bool rising[kHarmTerms];
    for (int j = 0; j < kHarmTerms; ++j) rising[j] = harmRising[j] != 0;
    StepHarmonicTerms(harmM, rising, harmUpStep, harmDownStep);
    for (int j = 0; j < kHarmTerms; ++j) harmRising[j] = rising[j] ? 1 : 0;
}

void SceneObject::PrepareMorphTo(SceneObject& target, int steps) {
    if (target.vertexCount != vertexCount || target.vertices.size() != vertices.size()) return;
    morphToOn = 1;
    morphMode = 1;
    morphTarget = &target;
    morphMoving.assign(vertices.size(), 1);
    morphSteps.assign(vertices.size(), Vec3{});
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vec3& t = target.vertices[i].pos;
        const Vec3& o = vertices[i].pos;
        morphSteps[i] = Vec3{MorphAxisStep(t.x, o.x, steps), MorphAxisStep(t.y, o.y, steps),
                             MorphAxisStep(t.z, o.z, steps)};
    }
}

void SceneObject::MorphToStep() {
    if (!morphToOn || !morphActive || !morphTarget) return;
    const bool toTarget = morphMode == 1;
    const size_t n = std::min({vertices.size(), morphTarget->vertices.size(), morphSteps.size(),
                               morphMoving.size(), restPositions.size()});
    for (size_t i = 0; i < n; ++i) {
        if ((morphMoving[i] == 1) != toTarget) continue;
        const Vec3& g = toTarget ? morphTarget->vertices[i].pos : restPositions[i];
        const float goal[3] = {g.x, g.y, g.z};
        const float step[3] = {morphSteps[i].x, morphSteps[i].y, morphSteps[i].z};
        Vec3& p = vertices[i].pos;
        float pos[3] = {p.x, p.y, p.z};
        if (MorphVertexStep(pos, goal, step)) {
            morphMoving[i] = toTarget ? 0 : 1;
        } else {
            p = Vec3{pos[0], pos[1], pos[2]};
        }
    }
}

void Scene3D::MorphObjectTo(const char* name, const char* targetName, int vertexIndex,
                            int steps) {
    for (SceneObject& o : objects) {
        if (!sameName(o, name)) continue;
        for (SceneObject& t : objects) {
            if (!sameName(t, targetName)) continue;
            if (vertexIndex >= 0 && static_cast<size_t>(vertexIndex) < t.vertices.size())
                morphMarker = t.vertices[vertexIndex].pos;
            o.PrepareMorphTo(t, steps);
        }
    }
}

void Scene3D::SetMorphActive(const char* name, int active, int mode) {
    for (SceneObject& o : objects) {
        if (!sameName(o, name)) continue;
        o.morphActive = static_cast<uint8_t>(active != 0);
        o.morphMode = mode;
    }
}

void Scene3D::RunVertexProgram(const char* name, const char* program, const float* params,
                               int count) {
    if (!program) return;
    for (SceneObject& o : objects) {
        if (!sameName(o, name)) continue;
        float p[kHarmParamCount] = {};  // missing parameters count as 0
        const int n = std::min(count, kHarmParamCount);
        for (int i = 0; i < n && params; ++i) p[i] = params[i];
        if (std::strcmp(program, "R3_DEFORM_PRG") == 0) {
            if (o.deformProgramOn) o.deformProgramOn = 0;
            else o.StartDeformProgram(p);
        } else if (std::strcmp(program, "R3_HARM_PRG") == 0) {
            if (o.harmProgramOn) o.harmProgramOn = 0;
            else o.StartHarmProgram(p);
        }
        return;  // the first object of that name only
    }
}

}  // namespace kgl
