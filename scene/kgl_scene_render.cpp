// Scene3D::Render: projection and camera, lights, every object in draw order, then the light
// glows, lens flares and particles and the world-space line trails.
// Draws into the current context on the rendering thread; nothing allocates.
#include <GL/gl.h>
#include <GL/glu.h>

#include "scene/kgl_materials.h"
#include "scene/kgl_object_render.h"
#include "scene/kgl_scene3d.h"

namespace kgl {
namespace {

constexpr float kTrailLineWidth = 3.0f;

void applyDepthMode(const Scene3D& s) {
    if (s.depthTestOff) {
        glDepthFunc(GL_NOTEQUAL);
        glDepthMask(GL_FALSE);
        glDisable(GL_DEPTH_TEST);
    } else {
        glEnable(GL_CULL_FACE);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_FALSE);
        glClearDepth(1.0);
        glEnable(GL_DEPTH_TEST);
    }
}

void applyCamera(const Scene3D& s, const SceneCamera& c) {
    glRotatef(c.roll, 0.0f, 0.0f, 1.0f);
    glRotatef(c.angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(c.angleX, 1.0f, 0.0f, 0.0f);
    gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z, s.up.x, s.up.y, s.up.z);
}

void drawObjects(Scene3D& s) {
    const int count = static_cast<int>(s.objects.size());
    for (int32_t index : s.drawOrder) {
        if (index < 0 || index >= count) continue;
        SceneObject& o = s.objects[index];
        if (o.fillerType == kFillerBump && o.bumpLightId >= 0 &&
            o.bumpLightId < static_cast<int>(s.lights.size())) {
            const Vec4& p = s.lights[o.bumpLightId].position;
            o.bumpLightPos = Vec4{p.x, p.y, p.z, 1.0f};
        }
        const bool sphere = o.fillerType == kFillerSphereMap || o.fillerType == kFillerSphereAdd;
        if (sphere) SetSphereMap(true);
        if (o.fillerType == kFillerSphereAdd) glEnable(GL_BLEND);
        if (o.cullOff == 1)
            glDisable(GL_CULL_FACE);
        else
            glEnable(GL_CULL_FACE);
        o.RenderObject();
        if (sphere) SetSphereMap(false);
    }
}

// Glow and ring sprites of one light at its eye-space position.
void drawGlow(const Scene3D& s, const SceneLight& l) {
    float e[3];
    EyeSpacePosition(l.position.x, l.position.y, l.position.z, e);
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, s.textureTable[kGlowTextureSlot]);
    glLoadIdentity();
    glTranslatef(e[0], e[1], e[2]);
    glRotatef(l.glowAngle, 0.0f, 0.0f, 1.0f);
    glColor4f(l.diffuse.r, l.diffuse.g, l.diffuse.b, 1.0f);
    DrawSpriteSquare(l.glowSize1);
    glBindTexture(GL_TEXTURE_2D, s.textureTable[kRingTextureSlot]);
    glLoadIdentity();
    glTranslatef(e[0], e[1], e[2]);
    glRotatef(l.ringAngle, 0.0f, 0.0f, 1.0f);
    glColor4f(l.diffuse.r, l.diffuse.g, l.diffuse.b, 1.0f);
    DrawSpriteSquare(l.glowSize2);
    glPopMatrix();
}

void glowPass(Scene3D& s, const SceneCamera& cam) {
    glDisable(GL_CULL_FACE);
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    for (size_t i = 0; i < s.lights.size(); ++i) {
        SceneLight& l = s.lights[i];
        if (l.glowVisible && l.flare) drawGlow(s, l);
        if (!l.lensFlareOn || i >= static_cast<size_t>(kMaxLights)) continue;
        LensFlare& flare = s.flares[i];
        if (flare.imagesLoaded) flare.Draw(l, cam.eye, cam.target);
    }
}

}  // namespace

void DrawLineTrail(const LineTrail& t) {
    if (t.points.size() < static_cast<size_t>(kTrailStrips) * kTrailPointCapacity) return;
    const bool world = !t.objectSpace;
    // The trail's sphere-map generation and unlit lines must not leak into the faces of the
    // object that draws it next.
    const bool lit = glIsEnabled(GL_LIGHTING) == GL_TRUE;
    // Object-space trails are pushed as well, so their offset does not move the object's faces.
    glPushMatrix();
    if (world) glLoadIdentity();
    glTranslatef(t.offset.x, t.offset.y, t.offset.z);
    SetSphereMap(true);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glLineWidth(kTrailLineWidth);
    glDisable(GL_LIGHTING);
    const int strips = t.stripCount < kTrailStrips ? t.stripCount : kTrailStrips;
    const int points = t.pointsPerStrip < kTrailPointCapacity ? t.pointsPerStrip : kTrailPointCapacity;
    for (int s = 0; s < strips; ++s) {
        const Vec3* p = t.points.data() + static_cast<size_t>(s) * kTrailPointCapacity;
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j < points; ++j) {
            glColor4f(0.3f, 0.5f, 0.7f, 0.5f);
            glVertex3f(p[j].x, p[j].y, p[j].z);
        }
        glEnd();
    }
    glPopMatrix();
    SetSphereMap(false);
    if (lit) glEnable(GL_LIGHTING);
}

namespace {

// Depth mode, fog, projection, camera and lights; null (matrix popped) when the scene has no camera.
const SceneCamera* beginRender(Scene3D& s) {
    applyDepthMode(s);
    if (s.fogOn) glEnable(GL_FOG);
    SetSphereMap(false);
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    s.SetProjection();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (s.cameras.empty()) {
        glPopMatrix();
        return nullptr;
    }
    const SceneCamera& cam = s.cameras[s.activeCamera < s.cameras.size() ? s.activeCamera : 0];
    applyCamera(s, cam);
    SetupLights(s);
    return &cam;
}

void endRender() {
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_LIGHTING);
    glPopAttrib();  // the glow pass's lighting attributes
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
}

}  // namespace

void Scene3D::ApplyRenderState() {
    if (!beginRender(*this)) return;
    glDisable(GL_CULL_FACE);  // the glow pass's state, its sprites left out
    glPushAttrib(GL_LIGHTING_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    endRender();
}

bool Scene3D::FlareOn() const {
    for (size_t i = 0; i < lights.size() && i < static_cast<size_t>(kMaxLights); ++i)
        if (lights[i].lensFlareOn && flares[i].imagesLoaded) return true;
    return false;
}

bool Scene3D::FlareReadRect(int32_t rect[4]) {
    if (cameras.empty() || !FlareOn()) return false;
    // The matrices beginRender sets, read back as LensFlare::Draw reads them.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    SetProjection();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    applyCamera(*this, cameras[activeCamera < cameras.size() ? activeCamera : 0]);
    const GLView v = CurrentGLView();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    bool any = false;
    GLint x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (size_t i = 0; i < lights.size() && i < static_cast<size_t>(kMaxLights); ++i) {
        const SceneLight& l = lights[i];
        if (!l.lensFlareOn || !flares[i].imagesLoaded) continue;
        double w[3];
        if (!LensFlare::OnPicture(v, Vec3{l.position.x, l.position.y, l.position.z}, w)) continue;
        const GLint x = static_cast<GLint>(w[0]);
        const GLint y = static_cast<GLint>(w[1]);
        x0 = any && x0 < x ? x0 : x;
        y0 = any && y0 < y ? y0 : y;
        x1 = any && x1 > x ? x1 : x;
        y1 = any && y1 > y ? y1 : y;
        any = true;
    }
    if (!any) return false;
    rect[0] = x0;
    rect[1] = y0;
    rect[2] = x1 - x0 + 1;
    rect[3] = y1 - y0 + 1;
    return true;
}

void Scene3D::RenderFlareSense(const int32_t rect[4]) {
    const SceneCamera* cam = beginRender(*this);
    if (!cam) return;
    SetDepthSenseRect(rect);
    drawObjects(*this);
    SetDepthSenseRect(nullptr);
    glPushAttrib(GL_LIGHTING_BIT);  // endRender pops what the glow pass pushes
    for (size_t i = 0; i < lights.size() && i < static_cast<size_t>(kMaxLights); ++i) {
        SceneLight& l = lights[i];
        LensFlare::Geometry g;
        if (l.lensFlareOn && flares[i].imagesLoaded) flares[i].Sense(l, cam->eye, cam->target, g);
    }
    endRender();
}

void Scene3D::Render() {
    const SceneCamera* cam = beginRender(*this);
    if (!cam) return;
    drawObjects(*this);
    glowPass(*this, *cam);
    if (particlesInUse) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        for (ParticleSystem& ps : particles) {
            if (ps.inUse) ps.Draw();
        }
    }
    for (const LineTrail& t : lineTrails) {
        if (t.inUse && !t.objectSpace) DrawLineTrail(t);
    }
    endRender();
}

}  // namespace kgl
