#include "app/kgl_loading_screen.h"

#include <GL/gl.h>

#include "image/kgl_k2d.h"

namespace kgl {

namespace {
constexpr char kLoadingPicture[] = "escena/load.k2d";
}

// The picture fills the band from half the screen height down to five sixths of it, over a
// black screen; both divisions are on integers.
void drawLoadingScreen(K2DImage& image, int screenWidth, int screenHeight) {
    image.Init(screenWidth, screenHeight, 16);
    image.Load(kLoadingPicture);
    image.SetAlpha(1.0f, 0);
    image.SetAlpha(1.0f, 1);
    image.SetSize(screenWidth, screenHeight / 3, 0);
    image.SetPosition(0, screenHeight / 2, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, screenWidth, 0, screenHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor4f(0, 0, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(static_cast<float>(screenWidth), 0, 0);
    glVertex3f(static_cast<float>(screenWidth), static_cast<float>(screenHeight), 0);
    glVertex3f(0, static_cast<float>(screenHeight), 0);
    glEnd();
    image.Draw();
}

}  // namespace kgl
