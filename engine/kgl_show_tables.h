// The show's constants as data: the overlay configuration and the eight scene blocks applied by
// DemoEngine::setup, and the uniform parts of the director (scene switches, overlay actions,
// morphs, vertex programs). Private to engine/; short routines in kgl_setup.cpp and
// kgl_director.cpp apply these tables, so changing the show means changing a row here.
#pragma once

#include <cstdint>

#include "engine/kgl_demoengine.h"

namespace kgl {
namespace show {

// ---------------------------------------------------------------- overlays (loaded before the scenes)

enum class OverlayImage : uint8_t { kNone, kAdditive, kMasked };

struct OverlaySetting {
    int flash;
    float r, g, b;
    float fadeOut, fadeIn;
    OverlayImage image;
    const char* path;  // masked images also get setFadeEnabled(1) and hold = 1
};

constexpr OverlaySetting kOverlays[] = {
    {1, 0, 0, 0, 0.004f, 0.05f, OverlayImage::kNone, nullptr},
    {2, 0, 0, 0, 0.08f, 0.09f, OverlayImage::kNone, nullptr},
    {3, 1, 1, 1, 0.9f, 0.08f, OverlayImage::kNone, nullptr},
    {4, 1, 1, 1, 0.4f, 0.2f, OverlayImage::kNone, nullptr},
    {7, 1, 1, 1, 0.09f, 0.07f, OverlayImage::kNone, nullptr},
    {8, 1, 1, 1, 0.01f, 0.03f, OverlayImage::kAdditive, "escena/gr1.k2d"},
    {9, 1, 1, 1, 0.007f, 0.03f, OverlayImage::kAdditive, "escena/gr2.k2d"},
    {26, 1, 1, 1, 0.07f, 0.0003f, OverlayImage::kMasked, "escena/heart1.k2d"},
    {27, 1, 1, 1, 0.07f, 0.03f, OverlayImage::kMasked, "escena/alpha_1.k2d"},
};

// ---------------------------------------------------------------- scene blocks (one per scene slot)

// Default light radius, spot exponent and cut-off, fog start, end, density, fog colour.
struct Atmosphere {
    float glowRadius, spotExponent, spotCutoff, fogStart, fogEnd, fogDensity, fogR, fogG, fogB;
};

struct Ambience {
    float ambient[3];
    float diffuse[3];
    float specular[4];
    float shininess;
};

// One listed light: radius, glow limits (upper1, lower1, upper2, lower2), flare flag, spot.
struct LightSetting {
    int index;
    float radius;
    float glow[4];
    uint8_t flare;
    float spotExponent, spotCutoff;
};

struct ObjectOption {
    const char* object;
    const char* option;
    float value;
};

// Where a block sets its ambience (and smooth normals): before its GL state as a rule; slots 7
// and 0 after their lights, slot 6 after its fields of view. Slot 1 sets them a second time.
enum class AmbienceAt : uint8_t { kBeforeGL, kAfterLights, kAfterFov };

// Set-up work that is not a light, a field of view or an object option.
enum class BlockExtra : uint8_t { kNone, kGamutClock, kLensFlare, kParticles };

struct SceneBlock {
    int slot;
    const char* script;
    Atmosphere atmosphere;
    uint8_t fogOn;
    const Ambience* ambience;
    AmbienceAt ambienceAt;
    uint8_t ambienceTwice;
    float nearPlane;
    const LightSetting* lights;
    int lightCount;
    const float* fovs;  // by camera index
    int fovCount;
    const ObjectOption* options;
    int optionCount;
    BlockExtra extra;  // runs after the lights
    // Slot 0: its fields of view come last, after the GL state is applied once more.
    uint8_t fovAfterOptions;
};

constexpr Ambience kGreenAmbience = {
    {0.002f, 1, 0.002f}, {0.0002f, 1, 0.0002f}, {0.0002f, 1.2f, 0.0002f, 1}, 28};
constexpr Ambience kDarkAmbience = {
    {0.002f, 0.002f, 0.002f}, {0.0002f, 0.0002f, 0.0002f}, {0.0002f, 0.0002f, 0.0002f, 1}, 128};
constexpr Ambience kRedAmbience = {{0.7f, 0.3f, 0.3f}, {0.7f, 0.3f, 0.3f}, {1, 1, 0.7f, 0.7f}, 128};
constexpr Ambience kGreyAmbience = {{0.3f, 0.3f, 0.3f}, {0.3f, 0.3f, 0.3f}, {1, 1, 1, 1}, 128};

// Slot 2, "test01".
constexpr LightSetting kLights2[] = {
    {0, 3.1f, {3.13f, 1.16f, 3.12f, 2.19f}, 1, 5.04f, 90},
    {1, 3.1f, {3.13f, 1.16f, 3.12f, 2.19f}, 1, 6.05f, 128},
};
constexpr float kFovs2[] = {80, 90, 85, 70};
constexpr ObjectOption kOptions2[] = {
    {"INNER", "FILLER_TYPE", 40},   {"INNER", "ALPHA_FUNCTION", 10}, {"OUTER", "FILLER_TYPE", 40},
    {"OUTER", "ALPHA_FUNCTION", 0}, {"STAR", "FILLER_TYPE", 40},     {"STAR", "ALPHA_FUNCTION", 10},
    {"Box01", "HIDDEN_TYPE", 1},
};

// Slot 3, "test02".
constexpr LightSetting kLights3[] = {
    {0, 3.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 15.04f, 80},
    {1, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 12.05f, 80},
    {2, 3.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 12.05f, 80},
    {3, 3.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 12.05f, 80},
};
constexpr float kFovs3[] = {90, 70, 80, 80};
constexpr ObjectOption kOptions3[] = {
    {"BACK", "FILLER_TYPE", 50},         {"BACK", "ALPHA_ARB1", 1},
    {"BACK", "ALPHA_ARB0", 1},           {"BACK", "ALPHA_FUNCTION", 0},
    {"BACK", "ALPHA_FUNCTION_ARB1", 0},  {"BACK", "COMBINE_RBA0", 0},
    {"BACK", "EFFECT_ARB0", 0},          {"BACK", "NOMAT", 1},
    {"GAMUT", "FILLER_TYPE", 70},        {"GAMUT", "ALPHA_ARB1", 0.3f},
    {"GAMUT", "ALPHA_ARB0", 0.3f},       {"GAMUT", "ALPHA_FUNCTION", 6},
    {"GAMUT", "ALPHA_FUNCTION_ARB1", 0}, {"GAMUT", "COMBINE_RBA0", 0},
    {"GAMUT", "EFFECT_ARB0", 0},
};

// Slot 4, "test03".
constexpr LightSetting kLights4[] = {
    {0, 323.1f, {236.13f, 2.16f, 313.12f, 1.19f}, 0, 5.04f, 90},
    {1, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 2.05f, 90},
};
constexpr float kFovs4[] = {80, 70, 65, 40, 100};
constexpr ObjectOption kOptions4[] = {
    {"roots01", "HIDDEN_TYPE", 1},  {"roots02", "HIDDEN_TYPE", 1},       {"roots04", "HIDDEN_TYPE", 1},
    {"roots", "FILLER_TYPE", 70},   {"roots", "ALPHA_ARB1", 1},          {"roots", "ALPHA_ARB0", 1},
    {"roots", "ALPHA_FUNCTION", 0}, {"roots", "ALPHA_FUNCTION_ARB1", 0}, {"roots", "COMBINE_RBA0", 0},
    {"roots", "EFFECT_ARB0", 0},    {"OUT", "FILLER_TYPE", 40},          {"OUT", "ALPHA_FUNCTION", 0},
    {"OUT", "OPACITY", 0.3f},       {"IN", "FILLER_TYPE", 40},           {"IN", "ALPHA_FUNCTION", 0},
    {"IN", "OPACITY", 0.2f},
};
constexpr int kLensFlareLight = 1;
constexpr const char* kLensFlareFile = "escena/Lens.k2d";

// Slot 5, "test04".
constexpr LightSetting kLights5[] = {
    {0, 323.1f, {236.13f, 2.16f, 313.12f, 1.19f}, 0, 5.04f, 90},
    {1, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 12.05f, 90},
    {2, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 12.05f, 90},
    {3, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 12.05f, 90},
    {4, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 2.05f, 128},
    {5, 6.1f, {6.13f, 2.16f, 3.12f, 1.19f}, 1, 2.05f, 90},
};
constexpr float kFovs5[] = {40};
constexpr ObjectOption kOptions5[] = {
    {"COVA", "FILLER_TYPE", 30},
    {"COVA", "NOMAT", 1},
    {"CENTRE", "FILLER_TYPE", 30},
};

// Slot 5's particle systems: system k follows light k.
struct ParticleSetting {
    int system;
    int loadMode;
    float pathX, pathY;
    uint8_t pathShape;
    float size;
};
constexpr const char* kParticleFile = "escena/part2.k2d";
constexpr int kParticlesPerSystem = 100;
constexpr int32_t kParticleSpread[3] = {32, -32, -32};
constexpr float kParticleAcceleration[3] = {6, 2, 13};
constexpr ParticleSetting kParticles[] = {
    {0, 1, 3450, 5810, 0, 100}, {1, 2, -2450, 2810, 0, 96}, {2, 1, -1450, 2810, 0, 85},
    {3, 0, 2450, -2810, 2, 76}, {4, 0, -3450, 2810, 2, 67}, {5, 0, -3450, -2810, 2, 48},
};

// Slot 1, "fx01".
constexpr LightSetting kLights1[] = {
    {0, 79.1f, {79.13f, 45.16f, 48.12f, 45.19f}, 1, 10.1567f, 90},
    {1, 75.1f, {73.13f, 45.16f, 48.2f, 45.19f}, 1, 10.601567f, 90},
    {2, 79.1f, {79.13f, 45.16f, 48.12f, 45.19f}, 1, 11.4567f, 90},
    {3, 179.1f, {179.13f, 45.16f, 48.12f, 45.19f}, 1, 11.4567f, 90},
    {4, 139.1f, {139.13f, 45.16f, 48.12f, 45.19f}, 0, 0.04567f, 90},
    {5, 39.1f, {39.13f, 45.16f, 48.12f, 45.19f}, 0, 0.04567f, 90},
};
constexpr float kFovs1[] = {92};
#define KGL_BOX_OPTIONS(name)                                                                        \
    {name, "FILLER_TYPE", 50}, {name, "ALPHA_ARB1", 1}, {name, "ALPHA_ARB0", 0.3f},                  \
        {name, "ALPHA_FUNCTION", -1}, {name, "ALPHA_FUNCTION_ARB1", 0}, {name, "COMBINE_RBA0", 0}, { \
        name, "EFFECT_ARB0", 0                                                                       \
    }
constexpr ObjectOption kOptions1[] = {
    KGL_BOX_OPTIONS("Box01"), KGL_BOX_OPTIONS("Box02"), KGL_BOX_OPTIONS("Box03"),
    KGL_BOX_OPTIONS("Box04"), KGL_BOX_OPTIONS("Box05"),
};
#undef KGL_BOX_OPTIONS

// Slot 7, "fx02".
constexpr LightSetting kLights7[] = {
    {0, 29.1f, {29.13f, 45.16f, 48.12f, 45.19f}, 0, 1.6567f, 90},
    {1, 25.1f, {23.13f, 45.16f, 48.2f, 45.19f}, 0, 1.667f, 90},
    {2, 29.1f, {29.13f, 45.16f, 48.12f, 45.19f}, 0, 1.6567f, 90},
    {3, 25.1f, {23.13f, 45.16f, 18.2f, 45.19f}, 0, 1.667f, 90},
    {4, 25.1f, {23.13f, 45.16f, 18.2f, 45.19f}, 0, 1.667f, 90},
    {5, 25.1f, {23.13f, 45.16f, 18.2f, 45.19f}, 0, 1.667f, 90},
    {6, 25.1f, {23.13f, 45.16f, 18.2f, 45.19f}, 0, 1.667f, 90},
    {7, 25.1f, {23.13f, 45.16f, 18.2f, 45.19f}, 0, 1.667f, 90},
};
constexpr ObjectOption kOptions7[] = {
    {"CD1", "TRANSP_TYPE", 302}, {"CD1", "ALPHA_FUNCTION", 10}, {"CD1", "OPACITY", 0.6f},
    {"CD3", "TRANSP_TYPE", 302}, {"CD3", "ALPHA_FUNCTION", 10}, {"CD3", "OPACITY", 0.6f},
    {"CD2", "TRANSP_TYPE", 302}, {"CD2", "ALPHA_FUNCTION", 10}, {"CD2", "OPACITY", 0.6f},
    {"CD4", "TRANSP_TYPE", 302}, {"CD4", "ALPHA_FUNCTION", 10}, {"CD4", "OPACITY", 0.6f},
};

// Slot 6, "fx05".
constexpr float kFovs6[] = {30};
constexpr ObjectOption kOptions6[] = {
    {"PORRA1", "TRANSP_TYPE", 302}, {"PORRA1", "OPACITY", 0.7f}, {"PORRA1", "NOMAT", 1},
    {"PORRA2", "TRANSP_TYPE", 302}, {"PORRA2", "OPACITY", 0.8f}, {"PORRA2", "NOMAT", 1},
    {"PORRA3", "TRANSP_TYPE", 302}, {"PORRA3", "OPACITY", 0.7f}, {"PORRA3", "NOMAT", 1},
};

// Slot 0, "korvo".
constexpr LightSetting kLights0[] = {
    {0, 89.1f, {89.13f, 5.16f, 8.12f, 5.19f}, 0, 10.6567f, 90},
    {1, 85.1f, {3.13f, 5.16f, 18.2f, 5.19f}, 0, 10.667f, 90},
    {2, 25.1f, {33.13f, 25.16f, 38.12f, 25.19f}, 0, 5.7567f, 90},
    {3, 25.1f, {33.13f, 25.16f, 38.12f, 25.19f}, 0, 5.070567f, 90},
    {4, 25.1f, {33.13f, 25.16f, 38.12f, 25.19f}, 0, 5.070567f, 90},
    {5, 25.1f, {33.13f, 25.16f, 38.12f, 25.19f}, 0, 5.070567f, 90},
};
constexpr float kFovs0[] = {40, 40, 20, 40, 15, 15, 12, 10};
#define KGL_GLASS(name, opacity)  \
    {name, "TRANSP_TYPE", 302}, { \
        name, "OPACITY", opacity  \
    }
#define KGL_GLASS_AF(name, opacity) \
    KGL_GLASS(name, opacity), {     \
        name, "ALPHA_FUNCTION", 10  \
    }
constexpr ObjectOption kOptions0[] = {
    KGL_GLASS_AF("bluezin", 0.7f), KGL_GLASS_AF("bluezin01", 0.68f), KGL_GLASS_AF("a", 0.7f),
    KGL_GLASS_AF("b", 0.65f),      KGL_GLASS_AF("c", 0.7f),          KGL_GLASS_AF("d", 0.55f),
    KGL_GLASS_AF("e", 0.5f),       KGL_GLASS_AF("f", 0.45f),         KGL_GLASS_AF("g", 0.1f),
    KGL_GLASS_AF("h", 0.1f),       KGL_GLASS_AF("i", 0.2f),          KGL_GLASS_AF("j", 0.2f),
    KGL_GLASS_AF("k", 0.2f),       KGL_GLASS_AF("l", 0.2f),          KGL_GLASS_AF("m", 0.3f),
    KGL_GLASS_AF("n", 0.1f),       KGL_GLASS("blue", 0.7f),          KGL_GLASS("bola02", 1),
    {"h", "TRANSP_TYPE", 302},     {"h01", "TRANSP_TYPE", 302},      KGL_GLASS("h02", 0.7f),
    KGL_GLASS("orvo", 0.7f),       KGL_GLASS("Box01", 0.4f),         KGL_GLASS("bola03", 0.4f),
};
#undef KGL_GLASS_AF
#undef KGL_GLASS

template <typename T, int N>
constexpr int countOf(const T (&)[N]) {
    return N;
}

// In set-up order.
constexpr SceneBlock kSceneBlocks[kLoadedScenes] = {
    {2,
     "escena/scripts/test01.txt",
     {120, 0.0122f, 90, -797, 617, 0.05f, 0.3f, 0.3f, 0.3f},
     0,
     &kGreenAmbience,
     AmbienceAt::kBeforeGL,
     0,
     4.5f,
     kLights2,
     countOf(kLights2),
     kFovs2,
     countOf(kFovs2),
     kOptions2,
     countOf(kOptions2),
     BlockExtra::kNone,
     0},
    {3,
     "escena/scripts/test02.txt",
     {120, 0.0122f, 90, -7, 2617, 0.05f, 0.1f, 0.1f, 0.1f},
     1,
     &kGreenAmbience,
     AmbienceAt::kBeforeGL,
     0,
     1.5f,
     kLights3,
     countOf(kLights3),
     kFovs3,
     countOf(kFovs3),
     kOptions3,
     countOf(kOptions3),
     BlockExtra::kGamutClock,
     0},
    {4,
     "escena/scripts/test03.txt",
     {257, 0.0122f, 90, -797, 617, 0.05f, 0.3f, 0.3f, 0.3f},
     0,
     &kGreenAmbience,
     AmbienceAt::kBeforeGL,
     0,
     0.5f,
     kLights4,
     countOf(kLights4),
     kFovs4,
     countOf(kFovs4),
     kOptions4,
     countOf(kOptions4),
     BlockExtra::kLensFlare,
     0},
    {5,
     "escena/scripts/test04.txt",
     {257, 0.0122f, 90, -797, 617, 0.05f, 0.3f, 0.3f, 0.3f},
     0,
     &kGreenAmbience,
     AmbienceAt::kBeforeGL,
     0,
     4.5f,
     kLights5,
     countOf(kLights5),
     kFovs5,
     countOf(kFovs5),
     kOptions5,
     countOf(kOptions5),
     BlockExtra::kParticles,
     0},
    {1,
     "escena/scripts/fx01.txt",
     {72, 0.012f, 90, -1, 217, 0.5f, 0.4f, 0.3f, 0.35f},
     1,
     &kDarkAmbience,
     AmbienceAt::kBeforeGL,
     1,
     4.5f,
     kLights1,
     countOf(kLights1),
     kFovs1,
     countOf(kFovs1),
     kOptions1,
     countOf(kOptions1),
     BlockExtra::kNone,
     0},
    {7,
     "escena/scripts/fx02.txt",
     {23, 0.12f, 90, -97, 17, 0.05f, 0.6f, 0.6f, 0.6f},
     0,
     &kRedAmbience,
     AmbienceAt::kAfterLights,
     0,
     4.05f,
     kLights7,
     countOf(kLights7),
     nullptr,
     0,
     kOptions7,
     countOf(kOptions7),
     BlockExtra::kNone,
     0},
    {6,
     "escena/scripts/fx05.txt",
     {132, 0.12f, 90, -97, 17, 0.05f, 0.6f, 0.6f, 0.6f},
     0,
     &kRedAmbience,
     AmbienceAt::kAfterFov,
     0,
     4.05f,
     nullptr,
     0,
     kFovs6,
     countOf(kFovs6),
     kOptions6,
     countOf(kOptions6),
     BlockExtra::kNone,
     0},
    {0,
     "escena/scripts/korvo.txt",
     {232, 0.012f, 90, -7, 2500, 0.17f, 0.2f, 0.4f, 0.2f},
     0,
     &kGreyAmbience,
     AmbienceAt::kAfterLights,
     0,
     0.5f,
     kLights0,
     countOf(kLights0),
     kFovs0,
     countOf(kFovs0),
     kOptions0,
     countOf(kOptions0),
     BlockExtra::kNone,
     1},
};

// The clock "GAMUT" of slot 3 runs from set-up on, looping over its first key.
constexpr const char* kGamut = "GAMUT";

// ---------------------------------------------------------------- director: scene switches

enum SwitchExtra : uint8_t {
    kNoExtra = 0,
    kWaveGridsOff = 1,
    kCameraZero = 2,
};

struct SceneSwitch {
    int action;
    int slot;
    int32_t rate;
    uint8_t extras;     // SwitchExtra bits
    uint8_t composes;   // 0: setBlend and setAlphas are not called
    int blend[4];       // setBlend(a, b, c, d)
    float dark, image;  // setAlphas(dark, image)
};

constexpr SceneSwitch kSceneSwitches[] = {
    {0, 0, 25, kNoExtra, 1, {43, 1, 4, 4}, 0.5f, 0.8f},
    {1, 1, 35, kCameraZero, 1, {5, 1, 4, 4}, 0.78f, 0.65f},
    {2, 2, 50, kWaveGridsOff, 1, {5, 1, 4, 4}, 0.96f, 0.75f},
    {3, 3, 35, kNoExtra, 1, {7, 6, 4, 5}, 0.2f, 1.0f},
    {4, 4, 30, kWaveGridsOff, 1, {9, 1, 4, 4}, 0.8f, 0.01f},
    {5, 5, 30, kWaveGridsOff | kCameraZero, 1, {5, 1, 4, 4}, 0.9f, 0.75f},
    {8, 8, 30, kNoExtra, 0, {0, 0, 0, 0}, 0, 0},
    {9, 9, 30, kNoExtra, 0, {0, 0, 0, 0}, 0, 0},
    {10, 10, 30, kNoExtra, 0, {0, 0, 0, 0}, 0, 0},
    {11, 11, 30, kNoExtra, 0, {0, 0, 0, 0}, 0, 0},
};

// ---------------------------------------------------------------- director: overlays

enum class OverlayKind : uint8_t { kStart, kToggle };

struct OverlayAction {
    int action;
    int overlaySwitch;  // index into flashOn; the flash is kOverlayFlash[overlaySwitch]
    OverlayKind kind;
};

constexpr OverlayAction kOverlayActions[] = {
    {12, 5, OverlayKind::kStart},   {13, 12, OverlayKind::kToggle}, {14, 6, OverlayKind::kStart},
    {15, 13, OverlayKind::kToggle}, {16, 7, OverlayKind::kStart},   {17, 14, OverlayKind::kStart},
    {18, 8, OverlayKind::kStart},   {19, 15, OverlayKind::kStart},  {20, 9, OverlayKind::kStart},
    {21, 16, OverlayKind::kStart},  {23, 10, OverlayKind::kStart},  {24, 17, OverlayKind::kStart},
    {25, 11, OverlayKind::kStart},  {26, 18, OverlayKind::kStart},  {64, 1, OverlayKind::kStart},
    {65, 2, OverlayKind::kStart},   {67, 3, OverlayKind::kStart},   {68, 4, OverlayKind::kStart},
};

// ---------------------------------------------------------------- director: morphs, programs

struct MorphAction {
    int action;
    int slot;
    const char* object;
    const char* target;
    int referenceVertex;
    int steps;
    int active, mode;  // the two morph switches
};

constexpr MorphAction kMorphActions[] = {
    {69, 4, "roots", "roots01", 15, 45, 1, 1},     {70, 4, "roots", "roots01", 11, 45, 1, 0},
    {71, 4, "roots", "roots02", 6, 45, 1, 1},      {72, 4, "roots", "roots02", 6, 45, 1, 0},
    {73, 4, "roots", "roots03", 15, 45, 1, 1},     {74, 4, "roots", "roots03", 12, 45, 1, 0},
    {75, 4, "roots", "roots04", 5, 45, 1, 1},      {76, 4, "roots", "roots04", 12, 45, 1, 1},
    {77, 3, "Drooler", "DroolerW5", 30, 45, 1, 1}, {78, 3, "Drooler", "DroolerW5", 30, 45, 1, 1},
    {79, 3, "Drooler", "DroolerW6", 30, 45, 1, 1}, {80, 3, "Drooler", "DroolerW6", 30, 45, 1, 1},
};

enum class ParamBlock : uint8_t { kDeformA, kDeformB, kHarm };

struct ProgramAction {
    int action;
    int slot;
    const char* object;
    const char* program;
    ParamBlock params;
};

constexpr ProgramAction kProgramActions[] = {
    {81, 1, "QUADS", "R3_DEFORM_PRG", ParamBlock::kDeformA},
    {81, 1, "QUADS01", "R3_DEFORM_PRG", ParamBlock::kDeformA},
    {82, 3, "Drooler", "R3_DEFORM_PRG", ParamBlock::kDeformB},
    {83, 3, "Drooler", "R3_HARM_PRG", ParamBlock::kHarm},
    {84, 5, "CENTRE", "R3_HARM_PRG", ParamBlock::kHarm},
};

struct TrailAction {
    int action;
    int slot;
    const char* object;
    int vertex;
    int trail;
};

constexpr TrailAction kTrailActions[] = {
    {85, 5, "CENTRE", 18, 0},
    {86, 5, "CENTRE", 31, 1},
};

// Actions 60..62 on slot 3: the "GAMUT" clock runs once over these frames.
struct ClockAction {
    int action;
    float first, last;
};
constexpr ClockAction kGamutClocks[] = {{60, 52, 68}, {61, 117, 138}, {62, 160, 188}};
// Actions 60..63 on slot 5: the particle systems they start (-1: none).
struct ParticleStart {
    int action;
    int systems[2];
};
constexpr ParticleStart kParticleStarts[] = {{60, {0, -1}}, {61, {1, 2}}, {62, {3, 4}}, {63, {5, -1}}};

// Actions 54..56: blur presets, applied in this order: toggle the blur, fill the drift table
// (setDrift: it also restarts the drift at 0.5, 0.5), the layer stack, the drift offset, the
// drift switch.
struct BlurPreset {
    int action;
    bool toggles;
    bool newDrift;
    float driftAmpX, driftAmpY;
    int driftShape;
    float layerStart, layerEnd;
    int layers;
    bool setsOffset;
    float offsetX, offsetY;
    uint8_t driftOn;
};
constexpr BlurPreset kBlurPresets[] = {
    {54, true, false, 0, 0, 0, 0.8f, 0.001f, 2, false, 0, 0, 0},
    {55, false, true, 0.0045f, -0.01f, 2, 0.5f, 0.019f, 16, true, 0.45f, 0.015f, 1},
    {56, true, false, 0, 0, 0, 0.5f, 0.019f, 7, true, 0.0085f, -0.0035f, 1},
};

}  // namespace show
}  // namespace kgl
