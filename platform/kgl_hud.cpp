#include "platform/kgl_hud.h"

#include <GL/gl.h>
#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kgl {

namespace {

constexpr float kFontPixels = 13.0f;  // Dear ImGui's own font, drawn at its designed size
constexpr int kDoubleRows = 1080;     // the scale doubles at this many rows, and again at twice that
constexpr float kPadding = 4.0f;      // text to box edge, at scale 1
constexpr float kMargin = 8.0f;       // box to window edge
constexpr float kRounding = 3.0f;
constexpr ImU32 kBoxColour = IM_COL32(0, 0, 0, 150);
constexpr ImU32 kTextColour = IM_COL32(235, 235, 235, 255);
constexpr float kFrameSeconds = 1.0f / 60.0f;  // nothing moves by itself: any positive step does
constexpr size_t kWarmLine = 64;               // line length of the text that sizes the buffers
// What the picture may leave switched on: per texture unit, and for the whole context.
constexpr GLenum kUnitCaps[] = {GL_TEXTURE_1D,    GL_TEXTURE_2D,    GL_TEXTURE_3D,    GL_TEXTURE_CUBE_MAP,
                                GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
constexpr GLenum kPictureCaps[] = {GL_FOG,      GL_ALPHA_TEST, GL_COLOR_SUM,
                                   GL_LIGHTING, GL_DEPTH_TEST, GL_STENCIL_TEST};

struct HudState {
    bool on = false;
    ImGuiContext* context = nullptr;  // the HUD's own; a message box may make another current
    int width = 0;
    int height = 0;
    int scale = 1;
    int textureUnits = 1;
};
HudState gHud;
int64_t gAllocations = 0;

void* countedAlloc(size_t size, void*) {
    ++gAllocations;
    return std::malloc(size);
}

void countedFree(void* p, void*) {
    std::free(p);
}

int scaleFor(int height) {
    int scale = 1;
    while (height >= kDoubleRows * scale) scale *= 2;
    return scale;
}

float snap(float v) {
    return std::floor(v + 0.5f);
}

void addBox(ImDrawList& list, const HudBox& box) {
    if (!box.text || !box.text[0]) return;
    const char* end = box.text + strnlen(box.text, kHudTextSize - 1);
    const float s = static_cast<float>(gHud.scale);
    const ImVec2 text = ImGui::CalcTextSize(box.text, end);
    const float w = snap(text.x + 2.0f * kPadding * s);
    const float h = snap(text.y + 2.0f * kPadding * s);
    const bool topLeft = box.corner == HudCorner::TopLeft;
    const float x = topLeft ? kMargin * s : static_cast<float>(gHud.width) - kMargin * s - w;
    const float y = topLeft ? kMargin * s : static_cast<float>(gHud.height) - kMargin * s - h;
    list.AddRectFilled(ImVec2(x, y), ImVec2(x + w, y + h), kBoxColour, kRounding * s);
    list.AddText(ImVec2(x + kPadding * s, y + kPadding * s), kTextColour, box.text, end);
}

// One frame of boxes into Dear ImGui's draw data; drawn only when `draw` is set.
void hudFrame(const HudBox* boxes, int count, bool draw) {
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(gHud.context);
    ImGui_ImplOpenGL2_NewFrame();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(gHud.width), static_cast<float>(gHud.height));
    io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
    io.DeltaTime = kFrameSeconds;
    ImGui::NewFrame();
    ImDrawList& list = *ImGui::GetForegroundDrawList();
    for (int i = 0; i < count && i < kHudBoxCount; ++i) addBox(list, boxes[i]);
    ImGui::Render();
    if (draw) ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    ImGui::SetCurrentContext(previous);
}

// The picture may leave other texture units on, texture generation, fog, alpha test, a texture
// matrix or a combine mode; the HUD's font is plain modulated texturing on the first unit. All of
// it is put back afterwards, so the next picture does not depend on whether the HUD was drawn.
void pushGlState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    for (int unit = gHud.textureUnits - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        for (GLenum cap : kUnitCaps) glDisable(cap);
    }
    glClientActiveTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    for (GLenum cap : kPictureCaps) glDisable(cap);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void popGlState() {
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

bool startHud(int width, int height) {
    if (gHud.on) return true;
    if (width <= 0 || height <= 0 || !SDL_GL_GetCurrentWindow() || !SDL_GL_GetCurrentContext()) return false;
    gHud.width = width;
    gHud.height = height;
    gHud.scale = scaleFor(height);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    gHud.textureUnits = units > 0 ? units : 1;
    ImGui::SetAllocatorFunctions(countedAlloc, countedFree);
    ImGuiContext* previous = ImGui::GetCurrentContext();
    gHud.context = ImGui::CreateContext();
    ImGui::SetCurrentContext(gHud.context);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImFontConfig font;
    font.SizePixels = kFontPixels * static_cast<float>(gHud.scale);
    io.Fonts->AddFontDefault(&font);
    ImGui_ImplOpenGL2_Init();
    ImGui::SetCurrentContext(previous);
    gHud.on = true;
    // One undrawn frame with the longest texts in every box makes the font texture and grows the
    // draw buffers to their final size.
    static char warm[kHudTextSize];
    for (size_t i = 0; i + 1 < kHudTextSize; ++i) warm[i] = (i + 1) % kWarmLine == 0 ? '\n' : 'W';
    HudBox boxes[kHudBoxCount];
    for (int i = 0; i < kHudBoxCount; ++i)
        boxes[i] = HudBox{warm, i ? HudCorner::BottomRight : HudCorner::TopLeft};
    hudFrame(boxes, kHudBoxCount, false);
    return true;
}

void drawHudBoxes(const HudBox* boxes, int count) {
    if (!gHud.on) return;
    pushGlState();
    hudFrame(boxes, count, true);
    popGlState();
}

void drawHud(const char* text) {
    const HudBox box{text, HudCorner::TopLeft};
    drawHudBoxes(&box, 1);
}

void stopHud() {
    if (!gHud.on) return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(gHud.context);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext(gHud.context);
    ImGui::SetCurrentContext(previous == gHud.context ? nullptr : previous);
    gHud.context = nullptr;
    gHud.on = false;
}

int64_t hudAllocations() {
    return gAllocations;
}

int hudScale() {
    return gHud.scale;
}

}  // namespace kgl
