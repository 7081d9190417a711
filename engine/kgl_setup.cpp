// DemoEngine::setup and the warm-up: loads every resource of the show with the off-screen context
// current and configures it with the constants of kgl_show_tables.h. Lights and cameras a loaded
// scene does not have are skipped, so short or missing scene files never write past its arrays.
#include <GL/gl.h>

#include <iterator>

#include "engine/kgl_demoengine.h"
#include "engine/kgl_show_tables.h"
#include "scene/kgl_scene_textures.h"
#include "script/kgl_import_prefetch.h"
#include "script/kgl_scenescript.h"

namespace kgl {

namespace {

constexpr float kStartPulse = 1.3f;
constexpr int32_t kLoadingRate = 120;
constexpr int32_t kShowRate = 30;
constexpr float kStartDarkAlpha = 0.01f;
constexpr float kStartImageAlpha = 0.8f;
constexpr int kBlurTextures = 2;
constexpr int kGridSide = 64;
constexpr float kGrid1Alpha = 0.6f;
constexpr float kGrid1Scale = 0.3f;
constexpr int kWarmUpSlots[] = {1, 7, 0, 1, 2, 3, 4, 5};  // slot 6 is never warmed up

ColorRGBA rgb(const float* c, float a) {
    return ColorRGBA{c[0], c[1], c[2], a};
}

void setupOverlays(ScreenFlash* flashes, float width, float height) {
    for (const show::OverlaySetting& o : show::kOverlays) {
        ScreenFlash& f = flashes[o.flash];
        f.setup(width, height);
        f.setColour(o.r, o.g, o.b);
        f.setFadeOutSpeed(o.fadeOut);
        f.setFadeInSpeed(o.fadeIn);
        if (o.image == show::OverlayImage::kAdditive) {
            f.loadImage(o.path);
        } else if (o.image == show::OverlayImage::kMasked) {
            f.loadMaskedImage(o.path);
            f.setFadeEnabled(1);
            f.setHold(1);
        }
    }
}

void applyAmbience(Scene3D& scene, const show::Ambience& a) {
    scene.SetAmbience(rgb(a.ambient, 1.0f), rgb(a.diffuse, 1.0f),
                      ColorRGBA{a.specular[0], a.specular[1], a.specular[2], a.specular[3]}, a.shininess);
    for (SceneObject& o : scene.objects) o.smoothNormals = 1;
}

// Set-up's "spot mode on" marks the light as one the scene feeds to GL, as a script's "LIGHT:"
// block does; without it the constants below would light nothing.
void applyLights(Scene3D& scene, const show::SceneBlock& b) {
    for (int i = 0; i < b.lightCount; ++i) {
        const show::LightSetting& s = b.lights[i];
        if (s.index < 0 || s.index >= static_cast<int>(scene.lights.size())) continue;
        SceneLight& l = scene.lights[static_cast<size_t>(s.index)];
        l.SetLightRadius(s.radius);
        l.SetGlowLimits(s.glow[0], s.glow[1], s.glow[2], s.glow[3]);
        l.definedByScript = 1;
        l.flare = s.flare;
        l.SetLightOn(1);
        l.SetLightSpot(s.spotExponent, s.spotCutoff);
    }
}

// SetCameraFov ignores cameras the scene does not have.
void applyFovs(Scene3D& scene, const show::SceneBlock& b) {
    for (int i = 0; i < b.fovCount; ++i) scene.SetCameraFov(b.fovs[i], i);
}

void applyOptions(Scene3D& scene, const show::SceneBlock& b) {
    for (int i = 0; i < b.optionCount; ++i)
        SetObjectOption(scene, b.options[i].object, b.options[i].option, b.options[i].value);
}

void loadParticleSystems(Scene3D& scene) {
    for (const show::ParticleSetting& p : show::kParticles) {
        scene.LoadParticles(show::kParticleFile, p.system, show::kParticlesPerSystem, p.system, p.loadMode);
        ParticleSystem& ps = scene.particles[p.system];
        ps.SetPath(p.pathX, p.pathY, p.pathShape);
        ps.SetSpread(show::kParticleSpread[0], show::kParticleSpread[1], show::kParticleSpread[2]);
        ps.SetAcceleration(show::kParticleAcceleration[0], show::kParticleAcceleration[1],
                           show::kParticleAcceleration[2]);
        ps.SetSize(p.size);
        ps.started = 0;
        if (p.system >= 1) ps.pathSampling = 1;
    }
}

void applyExtra(Scene3D& scene, show::BlockExtra extra) {
    switch (extra) {
        case show::BlockExtra::kNone:
            break;
        case show::BlockExtra::kGamutClock:
            scene.SetObjectClock(show::kGamut, 0, 0, 1);
            break;
        case show::BlockExtra::kLensFlare:
            // Loading turns the flare on only when its pictures were read.
            scene.LoadLensFlare(show::kLensFlareLight, show::kLensFlareFile);
            break;
        case show::BlockExtra::kParticles:
            loadParticleSystems(scene);
            break;
    }
}

}  // namespace

void ParseSceneScript(DemoEngine& engine, Scene3D& scene, const char* path) {
    engine.scriptReader.Read(scene, path);
}

namespace {

// One scene block, in the order of the show's set-up lists.
void applySceneBlock(DemoEngine& e, const show::SceneBlock& b, float width, float height) {
    Scene3D& scene = e.scenes[b.slot];
    ParseSceneScript(e, scene, b.script);
    scene.detailMaps = e.detailMaps;
    scene.SetViewport(0.0f, 0.0f, width, height);
    UploadSceneTextures(scene);
    scene.SetActiveCamera(0);
    const show::Atmosphere& a = b.atmosphere;
    scene.SetAtmosphere(a.glowRadius, a.spotExponent, a.spotCutoff, a.fogStart, a.fogEnd, a.fogDensity,
                        a.fogR, a.fogG, a.fogB);
    scene.SetFogOn(b.fogOn);
    if (b.ambienceAt == show::AmbienceAt::kBeforeGL) applyAmbience(scene, *b.ambience);
    scene.SetNearPlane(b.nearPlane);
    scene.PrepareGL();
    applyLights(scene, b);
    applyExtra(scene, b.extra);
    if (b.ambienceAt == show::AmbienceAt::kAfterLights) applyAmbience(scene, *b.ambience);
    if (!b.fovAfterOptions) applyFovs(scene, b);
    if (b.ambienceAt == show::AmbienceAt::kAfterFov) applyAmbience(scene, *b.ambience);
    if (b.ambienceTwice) applyAmbience(scene, *b.ambience);
    applyOptions(scene, b);
    if (b.fovAfterOptions) {
        scene.PrepareGL();
        applyFovs(scene, b);
    }
}

}  // namespace

void DemoEngine::setup(float width, float height, int bits) {
    colorBits = bits;
    pulseValue = kStartPulse;
    updateRate = kLoadingRate;
    for (uint8_t& on : flashOn) on = 0;
    currentScene = -1;
    overlaySceneOn = 0;
    pulseOn = pulseRising = pulseCount = 0;
    motionBlurOn = 0;

    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    motionBlur.create(MotionBlur::kTargetSize, MotionBlur::kTargetSize, 0, 0, w, h, 0, 0, kBlurTextures);
    darkAlpha = kStartDarkAlpha;
    imageAlpha = kStartImageAlpha;
    motionBlur.setAlphas(darkAlpha, imageAlpha);
    motionBlur.beginCapture();

    waveGridOn[0] = 0;
    waveGrids[0].setup(0, 0, w, h, kGridSide, kGridSide);
    waveGrids[0].setAlpha(1.0f);
    waveGrids[1].setup(0, 0, w, h, kGridSide, kGridSide);
    waveGrids[1].setAlpha(kGrid1Alpha);
    waveGrids[1].waveScale = kGrid1Scale;
    updateRate = kShowRate;
    waveTables[0].generate(10, 12, 0, 2);
    waveTables[0].setStep(26);

    // The scripts' conversions run on a worker while the overlays and the scenes before them load.
    ImportPrefetch prefetch;
    if (scriptReader.runImports) {
        const char* scripts[std::size(show::kSceneBlocks)];
        for (size_t i = 0; i < std::size(scripts); ++i) scripts[i] = show::kSceneBlocks[i].script;
        prefetch.Start(scriptReader.importer(), scripts, std::size(scripts));
        scriptReader.SetPrefetch(&prefetch);
    }
    setupOverlays(flashes, width, height);
    for (const show::SceneBlock& b : show::kSceneBlocks) applySceneBlock(*this, b, width, height);
    scriptReader.SetPrefetch(nullptr);
    if (!events.loaded) events.Clear();
    motionBlur.setDrift(-0.0045f, 0.008121f, 2);
    for (const show::BlurPreset& p : show::kBlurPresets) motionBlur.prepareLayers(p.layers);
    motionBlur.endCapture();
}

void DemoEngine::warmUp() {
    for (int slot : kWarmUpSlots) scenes[slot].Render();
}

}  // namespace kgl
