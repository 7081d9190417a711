#include "scene/kgl_particle_emit.h"

#include "common/kgl_log.h"
#include "common/kgl_random.h"
#include "image/kgl_k2d.h"
#include "scene/kgl_scene3d.h"

namespace kgl {
namespace {

constexpr float kStartLife = -0.4f;  // every particle gets its first real birth on the first Update
constexpr float kFadeInStep = 0.01f;

// A fresh fade in 0.003 .. 0.102.
float randomFade() {
    return static_cast<float>(Random() % 100) / 1000.0f + 0.003f;
}

}  // namespace

// The particle array is owned and freed here. The texture names stay: the GL context may be gone.
ParticleSystem::~ParticleSystem() = default;

bool ParticleSystem::Load(const std::string& file, int count, SceneLight* source, int motionMode) {
    inUse = 1;
    attached = 1;
    light = source;
    mode = motionMode;
    particles.clear();  // a second load replaces the first one's particles
    if (!loadSprites(file)) return false;
    CreateParticles(count, source, motionMode);
    return true;
}

// Every entry goes into the same texture name, so the last good entry is the sprite.
bool ParticleSystem::loadSprites(const std::string& file) {
    std::vector<uint8_t> bytes;
    if (!ReadK2DFile(file.c_str(), bytes, "K2D Particle_Sys File Not Founde.")) return false;
    if (textures[0] == 0) glGenTextures(kTextureNames, textures);
    images.assign(static_cast<size_t>(kMaxSpriteEntries) * kSpriteBytes, 0);
    imageCount = 0;
    reader.SetName(file);
    WalkK2D(bytes, file.c_str(), [&](const K2DEntry& entry) {
        if (entry.number >= kMaxSpriteEntries) {
            logLine("PARTICLES", file.c_str(), "more than %d sprite entries; the rest are skipped",
                    kMaxSpriteEntries);
            return false;
        }
        imageCount = entry.number + 1;
        loadSprite(entry, file);
        return true;
    });
    return true;
}

void ParticleSystem::loadSprite(const K2DEntry& entry, const std::string& file) {
    if (!reader.ProbeMemory(entry.data, entry.size)) return;
    const int w = reader.Width();
    const int h = reader.Height();
    if (w <= 0 || h <= 0 || w > kMaxSpriteSide || h > kMaxSpriteSide) {
        logLine("PARTICLES", file.c_str(), "sprite %d is %d x %d, larger than %d x %d; skipped", entry.number,
                w, h, kMaxSpriteSide, kMaxSpriteSide);
        return;
    }
    uint8_t* pixels = images.data() + static_cast<size_t>(entry.number) * kSpriteBytes;
    if (!reader.DecodeMemory(entry.data, entry.size, pixels, kSpriteBytes)) return;
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

void ParticleSystem::CreateParticles(int count, SceneLight* source, int motionMode) {
    inUse = 1;
    attached = 1;
    light = source;
    mode = motionMode;
    particles.clear();
    if (!light) {
        logLine("PARTICLES", "system", "no light to follow; the system keeps no particles");
        return;
    }
    if (mode < 0 || mode > 2) {
        logLine("PARTICLES", "system", "motion mode %d is not 0, 1 or 2; the system keeps no particles",
                mode);
        return;
    }
    if (count > kMaxParticles) {
        logLine("PARTICLES", "system", "%d particles is more than %d; using %d", count, kMaxParticles,
                kMaxParticles);
        count = kMaxParticles;
    }
    if (count <= 0) return;
    particles.assign(static_cast<size_t>(count), Particle());
    for (Particle& p : particles) {
        p.active = 1;
        p.life = kStartLife;
        p.fadingIn = 1;
        p.fade = randomFade();
        p.r = light->ambient.r;
        p.g = light->ambient.g;
        p.b = light->ambient.b;
        p.vx = static_cast<float>(((Random() % 50) - 26) * 10);
        p.vy = static_cast<float>(((Random() % 50) - 25) * 10);
        p.vz = static_cast<float>(((Random() % 50) - 25) * 10);
        p.x = light->position.x;
        p.y = light->position.y;
        p.z = light->position.z;
        p.ax = 0.0f;
        p.ay = -0.8f;
        p.az = 0.0f;
    }
}

void ParticleSystem::SetPath(float ampX, float ampY, uint8_t shape) {
    path.generate(static_cast<int>(ampX), static_cast<int>(ampY), 0, shape);
    path.setStep(1);
    pathSampling = 1;
}

void ParticleSystem::SetSpread(int32_t x, int32_t y, int32_t z) {
    spread[0] = x;
    spread[1] = y;
    spread[2] = z;
}

void ParticleSystem::SetAcceleration(float x, float y, float z) {
    acceleration[0] = x;
    acceleration[1] = y;
    acceleration[2] = z;
}

void ParticleSystem::Update() {
    const float zDivisor = (mode == 2) ? 10000.0f : 20000.0f;
    for (Particle& p : particles) {
        p.x += p.vx / 10000.0f;
        p.y += p.vy / 10000.0f;
        p.z += p.vz / zDivisor;
        p.vx += p.ax;
        p.vy += p.ay;
        p.vz += p.az;
        if (mode == 0) p.life -= p.fade;  // on top of the fade below: see rebirthMode0
        if (p.fadingIn) {
            p.life += kFadeInStep;
            if (p.life > 1.0f) p.fadingIn = 0;
        } else {
            p.life -= p.fade;
        }
        if (p.life < 0.0f) rebirth(p);
    }
}

void ParticleSystem::rebirth(Particle& p) {
    switch (mode) {
        case 0:
            rebirthMode0(p);
            break;
        case 1:
            rebirthMode1(p);
            break;
        default:
            rebirthMode2(p);
            break;
    }
    takeLightColour(p);
}

// The remainder of truncating division: a negative spread s gives 0 .. |s|-1. A zero spread
// gives no offset (the draw is still taken, so the sequence of random numbers is unchanged).
float ParticleSystem::birthOffset(int axis) const {
    const int r = Random();
    const int32_t s = spread[axis];
    return s == 0 ? 0.0f : static_cast<float>(r % s);
}

// Mode 0 keeps fadingIn as it is: a particle whose fade exceeds 0.01 loses fade - 0.01 per step
// and never leaves its fading-in phase.
void ParticleSystem::rebirthMode0(Particle& p) {
    float sx = 0.0f, sy = 0.0f;
    path.sample(0, sx, sy);
    velocityBias[0] = sx;
    velocityBias[1] = sy;
    acceleration[0] = sx;
    acceleration[1] = sy;
    acceleration[2] = 0.0f;
    path.advance(0);
    p.life = 0.7f;
    p.fade = randomFade();
    p.x = light->position.x + static_cast<float>(spread[0]) + birthOffset(0);
    p.y = light->position.y + static_cast<float>(spread[1]) + birthOffset(1);
    p.z = light->position.z + static_cast<float>(spread[2]) + birthOffset(2);
    p.vx = static_cast<float>((Random() % 60) - 32) + velocityBias[0];
    p.vy = static_cast<float>((Random() % 60) - 30) + velocityBias[1];
    p.vz = static_cast<float>((Random() % 60) - 30);
    p.ax = static_cast<float>(Random() % 900);
    p.ay = -static_cast<float>(Random() % 800);
    p.az = static_cast<float>(Random() % 900);
}

void ParticleSystem::rebirthMode1(Particle& p) {
    float sx = 0.0f, sy = 0.0f;
    path.sample(0, sx, sy);
    velocityBias[0] = sx;
    velocityBias[1] = sy;
    path.advance(0);
    p.life = 0.1f;
    p.fadingIn = 1;
    p.fade = randomFade();
    p.x = light->position.x + birthOffset(0);
    p.y = light->position.y + birthOffset(1);
    p.z = light->position.z + birthOffset(2);
    p.vx = static_cast<float>((Random() % 60) - 12) + velocityBias[0];
    p.vy = static_cast<float>(Random() % 60) - 0.2f + velocityBias[1];
    p.vz = static_cast<float>((Random() % 60) - 30);
    p.ax = acceleration[0];
    p.ay = acceleration[1];
    p.az = acceleration[2];
}

void ParticleSystem::rebirthMode2(Particle& p) {
    if (pathSampling) {
        float sx = 0.0f, sy = 0.0f;
        path.sample(0, sx, sy);
        acceleration[0] = sx;
        acceleration[1] = sy;
        acceleration[2] = sx;
        path.advance(0);
    }
    p.fadingIn = 1;
    p.life = respawnLife;
    p.fade = randomFade();
    p.x = light->position.x + birthOffset(0);
    p.y = light->position.y + birthOffset(1);
    p.z = light->position.z + birthOffset(2);
    p.vx = static_cast<float>((Random() % 30) - 30) + velocityBase[0];
    p.vy = static_cast<float>((Random() % 30) - 30) + velocityBase[1];
    p.vz = static_cast<float>((Random() % 30) - 30) + velocityBase[2];
    p.ax = acceleration[0];
    p.ay = acceleration[1];
    p.az = acceleration[2];
}

// Read at the moment of rebirth, so a moving or recoloured light drags its particles along.
void ParticleSystem::takeLightColour(Particle& p) const {
    p.r = light->diffuse.r;
    p.g = light->diffuse.g;
    p.b = light->diffuse.b;
}

// Billboards built on the processor from one matrix read: the model-view is replaced by the
// identity and each sprite is placed at its eye-space position.
void ParticleSystem::Draw() {
    if (!started) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    glLoadIdentity();
    if (stripBatch) {
        glBegin(GL_TRIANGLE_STRIP);  // one strip: the sprites are joined by connecting triangles
        for (const Particle& p : particles) {
            if (p.active) emitSprite(p);
        }
        glEnd();
    } else {
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        for (const Particle& p : particles) {
            if (!p.active) continue;
            glBegin(GL_TRIANGLE_STRIP);
            emitSprite(p);
            glEnd();
        }
    }
    glPopMatrix();
}

void ParticleSystem::emitSprite(const Particle& p) {
    const float* m = view;  // column-major
    eye[0] = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    eye[1] = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    eye[2] = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
    glColor4f(p.r, p.g, p.b, p.life);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(eye[0] + size, eye[1] + size, eye[2]);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(eye[0] - size, eye[1] + size, eye[2]);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(eye[0] + size, eye[1] - size, eye[2]);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(eye[0] - size, eye[1] - size, eye[2]);
}

bool LoadSceneParticles(Scene3D& scene, ParticleSystem* systems, int slotCount, const std::string& path,
                        int slot, int count, int lightIndex, int mode) {
    if (!systems || slot < 0 || slot >= slotCount) {
        logLine("PARTICLES", path.c_str(), "particle slot %d is outside 0..%d", slot, slotCount - 1);
        return false;
    }
    if (lightIndex < 0 || lightIndex >= static_cast<int>(scene.lights.size())) {
        logLine("PARTICLES", path.c_str(), "the scene has no light %d", lightIndex);
        return false;
    }
    scene.particlesInUse = 1;
    systems[slot].Load(path, count, &scene.lights[static_cast<size_t>(lightIndex)], mode);
    systems[slot].inUse = 1;
    return true;
}

}  // namespace kgl
