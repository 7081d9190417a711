// The in-memory 3D scene: one Scene3D per scene file, holding flat arrays of objects, cameras,
// materials, lights and shapes, with animation stored as one key per frame (no interpolation).
// Filled once at start-up by the loader (kgl_scene_load.cpp, no GL), given its textures by
// UploadSceneTextures (scene/kgl_scene_textures.h, GL), then updated and drawn every frame.
// Units: model space is Y-up (file x, y, z -> x, z, -y); angles are degrees; colours 0..1.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/kgl_vec.h"
#include "scene/kgl_2d_fasttrigo.h"
#include "scene/kgl_bezier.h"
#include "scene/kgl_lensflare.h"
#include "scene/kgl_particle_emit.h"

namespace kgl {

class SceneFileReader;

// ---- capacities ----
constexpr int kObjectNameSize = 12;       // 11 characters and a terminator
constexpr int kMaxMaterialSlots = 10;     // sub-materials (texture slots) per material
constexpr int kMaxMaterialTextures = 64;  // scene texture table slots 0..63
constexpr int kGlowTextureSlot = 64;      // "escena/raw.dat"
constexpr int kRingTextureSlot = 65;      // "escena/raw2.dat"
constexpr int kSceneTextureSlots = 66;
constexpr int kMaxLights = 8;       // GL_LIGHT0..GL_LIGHT7
constexpr int kParticleSlots = 16;  // particle-system slots per scene
constexpr int kLineTrailSlots = 8;
constexpr int kMaxTrailsPerObject = 64;
constexpr int kTrailStrips = 54;           // strips of a trail set up by the director
constexpr int kTrailPointsPerStrip = 126;  // points drawn per strip
constexpr int kTrailPointCapacity = 128;   // room per strip
constexpr int kObjectTrackExtra = 3;       // an object track has room for L + 3 keys
constexpr int kLightTrackExtra = 1;        // a light track has room for L + 1 keys
constexpr int kCameraTrackExtra = 3;       // a camera track has room for L + 3 keys
constexpr int kDeformParams = 19;          // "R3_DEFORM_PRG"
constexpr int kHarmTerms = 8;              // "R3_HARM_PRG" m0..m7

// ---- defaults ----
constexpr float kDefaultNearPlane = 4.5f;
constexpr float kDefaultFarFactor = 8.0f;
constexpr float kSceneExtent = 58.0f;
constexpr float kFovRadiansToDegrees = 45.0f / 0.7854f;
constexpr float kRadiansToDegrees = 180.0f / 3.1415927f;

// Object option values (keywords and effects belong to the scene script and the renderer).
constexpr int kRenderPoints = 1;
constexpr int kRenderWire = 2;
constexpr int kRenderFilled = 3;
constexpr int kRenderOutlined = 7;
constexpr int kRenderUntextured = 10;
constexpr int kFillerTextured = 20;
constexpr int kFillerSphereMap = 30;
constexpr int kFillerSphereAdd = 40;
constexpr int kFillerBump = 41;
constexpr int kFillerMultipass = 50;
constexpr int kFillerTwoPass = 70;
constexpr int kTranspOpaque = 301;
constexpr int kTranspTransparent = 302;
constexpr int kOrientBillboard = 5;

struct Vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

struct ObjectVertex {
    Vec3 pos;
    ColorRGBA color{1.0f, 1.0f, 1.0f, 0.0f};
    Vec3 normal;
};

struct ObjectFace {
    uint16_t a = 0, b = 0, c = 0;
    uint16_t materialId = 0;  // sub-material id; 0 for objects with a plain material
    Vec3 normal;
    uint8_t done = 0;  // per-frame flag of the deformer programs
};

struct TextureFace {
    uint16_t t[3] = {0, 0, 0};
};

struct RotationKey {
    Vec3 axis;
    float angle = 0.0f;  // degrees; rotation keys are increments that accumulate
};

struct CameraKey {
    Vec3 pos;
    float quat[4] = {0, 0, 0, 0};  // rotation read after the positions; stored, not used
};

// One material texture slot: a plain material uses slot 0 only, a multi material one per
// sub-material. Each slot keeps its own image size (see UploadSceneTextures).
struct MaterialSlot {
    int32_t index = 0;       // sub-material number
    int32_t tableIndex = 0;  // index of its GL name in the scene texture table
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3, RGB, top row first
    bool placeholder = false;     // the image was missing or undecodable
};

class SceneMaterial {
public:
    virtual ~SceneMaterial() = default;

    int32_t index = 0;
    std::string texturePath;
    bool texturesPacked = true;
    uint8_t hasSubMaterials = 0;
    int32_t subMaterialCount = 0;
    ColorRGBA ambient;
    ColorRGBA diffuse;
    ColorRGBA specular{0, 0, 0, 1.0f};
    float shininess = 0.0f;
    float opacity = 1.0f;    // 1 - the file's transparency
    float wireWidth = 1.0f;  // line width of the wire render type
    int32_t width = 0;       // size of the last image decoded into this material
    int32_t height = 0;
    MaterialSlot slots[kMaxMaterialSlots];
    std::vector<std::string> textureNames;  // as read from the file, one per slot used

    int slotCount() const { return hasSubMaterials ? subMaterialCount : 1; }
};

// The material of objects whose index names no material: plain mid grey, opaque (a material's
// own colours default to black, which would draw such objects invisible on a black screen).
inline SceneMaterial PlainGreyMaterial() {
    SceneMaterial m;
    m.ambient = ColorRGBA{0.5f, 0.5f, 0.5f, 1.0f};
    m.diffuse = ColorRGBA{0.7f, 0.7f, 0.7f, 1.0f};
    return m;
}

// A set of line strips whose heads follow a FastTrigo; attached to objects by reference.
class LineTrail {
public:
    // The points' room is reserved with the scene (nothing is allocated while the show plays)
    // but only written when the director sets the trail up.
    LineTrail() { points.reserve(static_cast<size_t>(kTrailStrips) * kTrailPointCapacity); }
    virtual ~LineTrail() = default;

    uint8_t inUse = 0;
    uint8_t objectSpace = 0;
    int32_t stripCount = 0;
    int32_t pointsPerStrip = 0;
    Vec3 offset;
    Vec3 drift[kTrailStrips];
    std::vector<Vec3> points;  // kTrailStrips * kTrailPointCapacity once set up
    FastTrigo trigo;

    Vec3* strip(int s) { return points.data() + static_cast<size_t>(s) * kTrailPointCapacity; }
};

class SceneObject {
public:
    virtual ~SceneObject() = default;

    char name[kObjectNameSize] = {};
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    Vec3 pivot;
    Vec3 rotationAxis;
    float rotationAngle = 0.0f;  // degrees
    Vec3 scale{1.0f, 1.0f, 1.0f};

    // Animation flags as read (16-bit); exactly 1 means present.
    uint16_t positionFlag = 0, rotationFlag = 0, scaleFlag = 0, morphFlag = 0;
    bool hasPositionTrack() const { return positionFlag == 1; }
    bool hasRotationTrack() const { return rotationFlag == 1; }
    bool hasScaleTrack() const { return scaleFlag == 1; }
    bool hasMorphTrack() const { return morphFlag == 1; }
    bool hasTransformTrack() const { return hasPositionTrack() || hasRotationTrack() || hasScaleTrack(); }

    // Vertices: working (drawn), rest (deformer rest shape) and absolute (as loaded).
    std::vector<ObjectVertex> vertices;
    std::vector<Vec3> restPositions;
    std::vector<Vec3> absolutePositions;
    std::vector<ObjectFace> faces;
    int32_t texCoordCount = 0;
    std::vector<float> u, v, w;
    std::vector<TextureFace> texFaces;

    uint16_t materialIndex = 0;
    SceneMaterial* material = nullptr;       // attached by UploadSceneTextures
    const uint32_t* textureTable = nullptr;  // the scene's GL texture names

    // Tracks: room for L + 3 keys each (allocated when any flag is set), direct frame index.
    int32_t trackCapacity = 0;
    std::vector<Vec3> positionKeys;
    std::vector<RotationKey> rotationKeys;
    std::vector<Vec3> scaleKeys;
    std::vector<Vec3> morphKeys;  // (L + 1) frames * vertexCount, file frame, not converted
    int32_t positionKeyCount = 0, rotationKeyCount = 0, scaleKeyCount = 0;
    RotationKey initialRotation[2];  // the first rotation key, kept twice
    const Vec3* morphFrame(int frame) const {
        return morphKeys.data() + static_cast<size_t>(frame) * static_cast<size_t>(vertexCount);
    }

    // Own clock, used when the director runs the object on its own time.
    int32_t clockOn = 0, clockKey = 0, clockFirst = 0, clockLast = 0, clockLoop = 0;

    // Render options (keywords in the scene script, effects in the object renderer).
    int32_t renderType = kRenderFilled;
    int32_t fillerType = kFillerTextured;
    int32_t shaderType = 100;
    int32_t transparency = kTranspOpaque;
    int32_t alphaFunction = 0;
    float opacity = 0.0f;
    int32_t orientType = 0;
    uint8_t usesMask = 0;
    uint8_t hidden = 0;
    uint8_t useMaterial = 1;
    uint8_t smoothNormals = 0;
    uint8_t cullOff = 0;
    int32_t matRange = 1;           // MAT_RANGE: sub-material slot of the second map
    int32_t alphaFunctionArb1 = 0;  // ALPHA_FUNCTION_ARB1
    float alphaArb0 = -1.0f;        // ALPHA_ARB0
    float alphaArb1 = -1.0f;        // ALPHA_ARB1
    int32_t effectArb0 = 0;         // EFFECT_ARB0
    int32_t effectArb1 = 0;         // EFFECT_ARB1
    int32_t combineRba0 = 0;        // COMBINE_RBA0
    int32_t bumpMode = -1;          // BUMP_MODE, -1 = no bump pass
    int32_t bumpLightId = 0;
    Vec4 bumpLightPos{0, 0, 0, 0};  // w set to 1.0 when filled
    uint8_t multitexture = 0;       // set by the extension probe
    float secondPassAlpha = 0.4f;
    float lineWidth = 1.0f;

    // Vertex programs and morph-to.
    uint8_t deformProgramOn = 0;
    float deformParams[kDeformParams] = {};
    uint8_t harmProgramOn = 0;
    int32_t harmM[kHarmTerms] = {};
    uint8_t harmRising[kHarmTerms] = {};
    int32_t harmUpStep[kHarmTerms] = {};
    int32_t harmDownStep[kHarmTerms] = {};
    float harmLimit = 0.0f;
    float harmDPhi = 0.0f;
    float harmDTheta = 0.0f;
    FastTrigo trigo;  // shared by both programs
    uint8_t morphToOn = 0;
    uint8_t morphActive = 0;
    int32_t morphMode = 0;  // 1 = fly to the target, 0 = fly home
    SceneObject* morphTarget = nullptr;
    std::vector<Vec3> morphSteps;      // one per vertex
    std::vector<uint8_t> morphMoving;  // one per vertex

    // Attached line trails.
    LineTrail* trails[kMaxTrailsPerObject] = {};
    int32_t trailCount = 0;

    // ---- rendering operations (object renderer) are added below ----
    void ProbeGLExtensions();                      // sets `multitexture`; fatal without an extension string
    void RenderObject();                           // with the current modelview (camera applied)
    void UpdateAnimation(int frame);               // programs, own clock, tracks, morph-to step
    void RestoreMorph();                           // "RESTORE_MORPH": working positions = rest positions
    void StartDeformProgram(const float* params);  // kDeformParams values
    void StartHarmProgram(const float* params);    // kHarmParamCount values (whole numbers)
    void RunDeformProgram();                       // one frame of "R3_DEFORM_PRG"
    void RunHarmProgram();                         // one frame of "R3_HARM_PRG"
    void SortFaces();                              // by face centre (z, then x) for both programs
    void PrepareMorphTo(SceneObject& target, int steps);
    void MorphToStep();
};

class SceneCamera {
public:
    virtual ~SceneCamera() = default;

    std::string name;
    Vec3 eye;
    float angleY = 0.0f;  // file order: about Y, about X, roll about Z (applied roll, Y, X)
    float angleX = 0.0f;
    float roll = 0.0f;
    Vec3 target;
    float fov = 45.0f;  // degrees

    uint8_t fovFlag = 0;
    std::vector<float> fovKeys;  // L + 1 values, degrees
    uint8_t positionFlag = 0;
    int32_t positionKeyCount = 0;
    int32_t rotationKeyCount = 0;  // quaternions read after the positions
    std::vector<CameraKey> positionKeys;
    uint8_t targetFlag = 0;
    int32_t targetKeyCount = 0;
    std::vector<Vec3> targetKeys;

    // ---- update operations are added below ----
    void UpdateAnimation(int frame);
};

class SceneLight {
public:
    virtual ~SceneLight() = default;

    int32_t index = 0;
    uint32_t glLight = 0;  // GL_LIGHT0 + index
    uint8_t definedByScript = 0;
    uint8_t lightOn = 0;
    uint8_t glowVisible = 1;
    uint8_t hasTarget = 0;
    Vec4 position;
    Vec4 target;
    ColorRGBA ambient, diffuse, specular;
    float spotCutoff = 90.0f;
    float spotExponent = 1.15f;
    Vec3 spotDirection;
    uint8_t separateSpecular = 0;

    float radius = 0.0f;
    // Glow limits (set by the script's LIMITS or the scene's GL preparation).
    int32_t glowUpper1 = 0;
    float glowLower1 = 0.0f;
    int32_t glowUpper2 = 0;
    float glowLower2 = 0.0f;
    int32_t glowUpStep = 0;
    int32_t glowDownStep = 0;
    float shrinkStep = 0.0f;
    float limitCopies[4] = {};  // upper1, upper2, lower1, lower2 for the lens flare

    // Glow sprites.
    uint8_t flare = 0;
    float flareRadius = 120.0f;
    float glowAngle = 0.0f;
    float ringAngle = 0.0f;
    float glowSize1 = 0.0f;
    float glowSize2 = 0.0f;
    uint8_t glowRising1 = 1;
    uint8_t glowRising2 = 1;
    uint8_t lensFlareOn = 0;

    uint8_t positionFlag = 0;
    int32_t positionKeyCount = 0;
    std::vector<Vec4> positionKeys;  // w = 1.0
    uint8_t targetFlag = 0;
    int32_t targetKeyCount = 0;
    std::vector<Vec3> targetKeys;
    Vec4 extent;

    // ---- light operations and lens-flare state are added below ----
    void SetLightOn(int flag);
    void SetLightSpot(float exponent, float cutoff);
    void SetLightRadius(float r) { radius = r; }
    void SetGlowLimits(float upper1, float lower1, float upper2, float lower2);
    void EnableGL() const;
    void DisableGL() const;
    // Position/target tracks and the glow pulsation; `glowFrozen` (the light's lens flare is
    // hidden) holds the pulsation.
    void UpdateAnimation(int frame, bool glowFrozen = false);
};

// How a scene file is read. The defaults are the show's; `kgl info` and fuzzing read the model
// without decoding images and without the author's logs.
struct SceneLoadOptions {
    bool decodeTextures = true;
    bool writeLogs = true;  // "VERTEXS.LOG" and "BEZIER1.LOG"
};

class Scene3D {
public:
    Scene3D() = default;
    virtual ~Scene3D() = default;

    // Loads a scene file (no GL). A missing file shows "K3D Scene File Not Founde." and leaves an
    // empty scene. A damaged file keeps what was read before the damage (one stderr line).
    // Returns false when the file was missing or damaged.
    bool Load(const std::string& path, const SceneLoadOptions& options = SceneLoadOptions());
    bool LoadFromBytes(const std::vector<uint8_t>& bytes, const std::string& fileName,
                       const SceneLoadOptions& options = SceneLoadOptions());

    bool LoadObject(SceneFileReader& in, SceneObject& o, const SceneLoadOptions& options);
    bool LoadMaterial(SceneFileReader& in, SceneMaterial& m, const SceneLoadOptions& options);
    bool LoadCamera(SceneFileReader& in, SceneCamera& c);
    bool LoadLight(SceneFileReader& in, SceneLight& l);

    // Accessors.
    SceneObject* FindObject(const char* exactName);
    int ObjectCount() const { return static_cast<int>(objects.size()); }
    void SetTexturePath(const std::string& path, bool packed) {
        texturePath = path;
        texturesPacked = packed;
    }
    void SetAmbience(const ColorRGBA& ambient, const ColorRGBA& diffuse, const ColorRGBA& specular,
                     float shininess);

    // Texture path and packed flag, set by the scene script before loading.
    std::string texturePath;
    bool texturesPacked = true;

    // Header values.
    uint16_t objectCount = 0, cameraCount = 0, materialCount = 0, lightCount = 0, shapeCount = 0;
    int32_t lastFrame = 0;  // L, SCENE_LASTFRAME
    int32_t frameSpeed = 0;
    int32_t ticksPerFrame = 0;
    uint16_t lastFrameCopy = 0;
    uint16_t sampleCounter = 0;

    // Playback.
    float currentFrame = 0.0f;
    int32_t firstFrame = 0;
    int32_t frameStep = 1;
    int32_t forward = 1;

    std::vector<SceneObject> objects;
    std::vector<SceneCamera> cameras;
    std::vector<SceneMaterial> materials;
    SceneMaterial fallbackMaterial = PlainGreyMaterial();  // for material indices out of range
    std::vector<SceneLight> lights;
    std::vector<BezierShape> shapes;
    std::vector<int32_t> drawOrder;
    uint8_t activeCamera = 0;
    Vec3 up{0.0f, 1.0f, 0.0f};
    float nearPlane = kDefaultNearPlane;
    float farFactor = kDefaultFarFactor;

    // Scene ambience (stored; no drawing reads it).
    float ambienceShininess = 0.5f;
    ColorRGBA ambienceSpecular{0.0f, 0.0f, 0.0f, 0.0f};
    ColorRGBA ambienceDiffuse{0.5f, 0.3f, 0.2f, 1.0f};
    ColorRGBA ambienceAmbient{0.7f, 0.2f, 0.1f, 1.0f};

    Vec3 extent;
    uint8_t fogOn = 0;
    uint8_t depthTestOff = 0;
    uint8_t particlesInUse = 0;
    uint8_t detailMaps = 1;  // the viewer's "Detail Maps" choice, handed over by the engine set-up

    // GL texture names: 0..63 material textures in upload order, 64 glow, 65 ring.
    uint32_t textureTable[kSceneTextureSlots] = {};
    int32_t materialTextureCount = 0;
    int32_t glowWidth = 0, glowHeight = 0, ringWidth = 0, ringHeight = 0;
    std::vector<uint8_t> glowPixels, ringPixels;

    LineTrail lineTrails[kLineTrailSlots];

    // Effects, owned by the scene: particle systems (updated and drawn while in use) and one
    // lens flare per light that may carry one.
    ParticleSystem particles[kParticleSlots];
    LensFlare flares[kMaxLights];

    // Projection, lights and fog (materials/lights/fog).
    float viewportX = 0.0f, viewportY = 0.0f, viewportWidth = 800.0f, viewportHeight = 600.0f;
    float aspect = 800.0f / 600.0f;
    float glowRadius = 0.0f;
    float defaultSpotExponent = 1.15f;
    float defaultSpotCutoff = 90.0f;
    ColorRGBA fogColor{0.2f, 0.2f, 0.2f, 1.0f};
    float fogStart = 0.0f, fogEnd = 1.0f, fogDensity = 0.0f;

    // Sets the particle flag, loads particle system `slot` from `path` at light `lightIndex` and
    // marks it in use; false (one stderr line) when the slot or light does not exist.
    bool LoadParticles(const std::string& path, int slot, int count, int lightIndex, int mode);
    // "CORONAS:": loads the flare pictures of light `lightIndex` and turns its flare on.
    bool LoadLensFlare(int lightIndex, const std::string& path);
    // Light `lightIndex`'s flare, or null when the scene has no such light.
    LensFlare* LensFlareOf(int lightIndex);

    void Update();
    void Render();
    // The GL state Render leaves for whatever draws next (depth mode, fog, projection, the lights
    // at the active camera, blending and depth writes), set without drawing anything: for a seek
    // that replays frames without drawing them.
    void ApplyRenderState();
    // The window rectangle {x, y, width, height} holding every pixel whose depth this scene's
    // lens flares will read when Render runs next with the current camera and viewport; false
    // when no flare reads one (none on, or every flare's light off the picture).
    bool FlareReadRect(int32_t rect[4]);
    // True when a light of this scene has its lens flare on (and its pictures loaded).
    bool FlareOn() const;
    // What Render does that the show remembers, for a frame that is not shown: the objects
    // (for their depth) and the lens flares' fade step; no glows, flare elements, particles or
    // trails; objects that cannot reach the window rectangle `rect` (see FlareReadRect) are left
    // out.
    void RenderFlareSense(const int32_t rect[4]);
    void AdvanceFrames(float frames);
    void RewindFrames(float frames);
    void SetForward(int flag) { forward = flag; }
    void SetDepthTestOff(int flag) { depthTestOff = static_cast<uint8_t>(flag != 0); }
    void SetActiveCamera(int index);
    void SetCameraFov(float degrees, int index);
    void SetObjectClock(const char* name, float first, float last, int loop);
    void SetLineTrail(const char* objectName, int vertexIndex, int slot, int objectSpace);
    void PrepareGL();
    // Every light's radius and glow limits back to the scene's glow radius, the glow sizes too
    // (PrepareGL does it first; a pulse runs from there until the next one).
    void ResetGlows();
    void SetAtmosphere(float glowR, float spotExponent, float spotCutoff, float fogStartV, float fogEndV,
                       float fogDensityV, float fogR, float fogG, float fogB);
    void SetFogOn(int flag) { fogOn = static_cast<uint8_t>(flag != 0); }
    void SetFogRange(float start, float end);
    void EnableFog();
    void SetViewport(float x, float y, float width, float height);
    void SetAspect(float a);
    void SetNearPlane(float nearDistance) { nearPlane = nearDistance; }
    void SetProjection();
    void MorphObjectTo(const char* name, const char* targetName, int vertexIndex, int steps);
    void SetMorphActive(const char* name, int active, int mode);
    void RunVertexProgram(const char* name, const char* program, const float* params, int count);
    Vec3 morphMarker;  // target working position of MorphObjectTo's vertex

private:
    void ResetForLoad();
    bool LoadSections(SceneFileReader& in, const SceneLoadOptions& options);
    bool LoadObjects(SceneFileReader& in, const SceneLoadOptions& options);
    bool LoadMaterials(SceneFileReader& in, const SceneLoadOptions& options);
    bool LoadCameras(SceneFileReader& in);
    bool LoadLights(SceneFileReader& in);
    bool LoadShapes(SceneFileReader& in, const SceneLoadOptions& options);
    bool LoadMaterialSlot(SceneFileReader& in, SceneMaterial& m, int slot, const SceneLoadOptions& options);
    bool LoadObjectGeometry(SceneFileReader& in, SceneObject& o, FILE* log);
    bool LoadObjectTracks(SceneFileReader& in, SceneObject& o, FILE* log);
    void InitLightGlow(SceneLight& l);
    bool ReserveTrackBytes(SceneFileReader& in, size_t bytes);

    size_t trackBytes_ = 0;     // key storage allocated by the current load
    size_t trackBudget_ = 0;    // and the most it may allocate
    int textureSlotsRead_ = 0;  // material textures met by the current load
};

}  // namespace kgl
