// Drawing helpers shared by the object renderer and the scene renderer: line trails, the
// camera-facing sprite square of billboards and light glows, and sphere-map texture generation.
#pragma once

#include <GL/gl.h>

#include <cstdint>

namespace kgl {

class LineTrail;
class SceneObject;

// Line strips of a trail; a world-space trail loads identity first (see SceneObject::RenderObject
// for the object-space ones, drawn inside the object's transform).
void DrawLineTrail(const LineTrail& trail);
// GL_QUADS square of half-size s with corners/texcoords (-s, s)/(0, 1) ... (-s, -s)/(0, 0).
void DrawSpriteSquare(float s);
// Sphere-map texture generation for S and T on the current unit.
void SetSphereMap(bool on);
// The current modelview and projection matrices and viewport, as gluProject takes them.
struct GLView {
    GLdouble model[16];
    GLdouble proj[16];
    GLint viewport[4];
};
GLView CurrentGLView();
// Eye-space position of p under the current modelview matrix.
void EyeSpacePosition(float x, float y, float z, float out[3]);
// While a rectangle {x, y, width, height} of the window is set, RenderObject leaves out the
// faces of an object whose box cannot reach it (every state change stays): for frames drawn only
// for the depth under a few pixels. nullptr: every face is drawn again.
void SetDepthSenseRect(const int32_t* rect);
// The GL texture name of a material slot of the object (0 when there is none).
GLuint ObjectSlotTexture(const SceneObject& o, int slot);

}  // namespace kgl
