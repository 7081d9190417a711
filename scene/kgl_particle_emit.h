// ParticleSystem: a fixed-size cloud of textured, camera-facing sprites born at one light of a 3D
// scene, in the light's colour, with velocities bent by the system's own wave table. Three motion
// modes differ in their birth rules. Each scene holds kParticleSlots of them; the engine set-up
// loads and parameterises them, the scene update moves them and the scene render draws them.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/kgl_jpeg.h"
#include "scene/kgl_2d_fasttrigo.h"

namespace kgl {

class SceneLight;
class Scene3D;
struct K2DEntry;

struct Particle {
    uint8_t active = 0;
    float life = 0.0f;  // also the drawing alpha; reborn below 0
    float fade = 0.0f;  // taken from life per update step
    float r = 0.0f, g = 0.0f, b = 0.0f;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float vx = 0.0f, vy = 0.0f, vz = 0.0f;
    float ax = 0.0f, ay = 0.0f, az = 0.0f;
    uint8_t fadingIn = 0;  // while set, life rises by 0.01 per step
};

class ParticleSystem {
public:
    static constexpr int kMaxParticles = 65536;
    static constexpr int kMaxSpriteSide = 32;
    static constexpr int kSpriteBytes = kMaxSpriteSide * kMaxSpriteSide * 3;
    static constexpr int kMaxSpriteEntries = 16;
    static constexpr int kTextureNames = 3;

    ParticleSystem() = default;
    virtual ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // Reads the sprite K2D file (needs a current GL context unless `upload` is false) and creates
    // `count` particles at the light. A missing file shows "K2D Particle_Sys File Not Founde.";
    // the system then stays in use without particles. Loading again replaces the particles.
    bool Load(const std::string& path, int count, SceneLight* light, int mode);
    // The particles alone, without the sprite file (no GL): what Load does after the pictures.
    void CreateParticles(int count, SceneLight* light, int mode);
    void SetPath(float ampX, float ampY, uint8_t shape);
    void SetSpread(int32_t x, int32_t y, int32_t z);
    void SetAcceleration(float x, float y, float z);
    void SetSize(float s) { size = s; }
    void Update();
    void Draw();

    int32_t Count() const { return static_cast<int32_t>(particles.size()); }

    uint8_t started = 1;
    float respawnLife = 0.1f;
    float velocityBase[3] = {2.0f, 2.0f, 2.0f};
    uint8_t pathSampling = 0;
    uint8_t stripBatch = 0;
    int32_t spread[3] = {1, 1, 1};
    float size = 4.5f;  // half the side of a sprite, eye-space units
    uint8_t inUse = 0;
    uint8_t attached = 0;
    int32_t mode = 0;
    SceneLight* light = nullptr;
    GLuint textures[kTextureNames] = {};
    JpegReader reader;
    std::vector<uint8_t> images;  // imageCount sprites of kSpriteBytes, allocated by Load
    int32_t imageCount = 0;
    std::vector<Particle> particles;
    FastTrigo path;  // channel 0
    float velocityBias[2] = {0.0f, 0.0f};
    float acceleration[3] = {1.8f, 1.8f, 1.8f};
    float view[16] = {};
    float eye[3] = {0.0f, 0.0f, 0.0f};

private:
    bool loadSprites(const std::string& path);
    void loadSprite(const K2DEntry& entry, const std::string& file);
    void rebirth(Particle& p);
    void rebirthMode0(Particle& p);
    void rebirthMode1(Particle& p);
    void rebirthMode2(Particle& p);
    float birthOffset(int axis) const;
    void takeLightColour(Particle& p) const;
    void emitSprite(const Particle& p);
};

// Scene3D::LoadParticles: sets the scene's particle flag, loads `systems[slot]` with the scene's
// light `lightIndex` and marks the slot in use. Slot and light index are checked against the
// scene; false (one stderr line) when either is out of range.
bool LoadSceneParticles(Scene3D& scene, ParticleSystem* systems, int slotCount, const std::string& path,
                        int slot, int count, int lightIndex, int mode);

}  // namespace kgl
