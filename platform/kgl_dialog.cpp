// The modal run of the start-up dialog: a small borderless SDL window with its own GL context in
// which Dear ImGui draws the controls of the template at their dialog-unit positions. Lives only
// while the dialog is open; the display window is created after it has gone.
#include "platform/kgl_dialog.h"

#include <GL/gl.h>
#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <cmath>
#include <cstdio>

#include "common/kgl_log.h"
#include "platform/kgl_display.h"
#include "platform/kgl_icon.h"

namespace kgl {

namespace {

// Pixels per dialog unit: those of the 8-point dialog font at 96 dpi (an average character of
// 6 x 13 pixels is 4 x 8 units). A bitmap control takes its bitmap's own size in pixels.
constexpr float kPixelsPerDluX = 1.5f;
constexpr float kPixelsPerDluY = 1.625f;
// The text font: a sans-serif of that font's size, rasterised at its pixel size (not scaled, so
// it stays crisp); ImGui's built-in font when the file is not there.
const char* const kDialogFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr float kDialogFontPixels = 11.0f;
const char* const kDialogTitle = "KGL KORVO Start";

struct DialogWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint artTexture = 0;
};

// Whole pixels, so edges and text land on the pixel grid.
ImVec2 toPixels(int x, int y) {
    return ImVec2(std::floor(x * kPixelsPerDluX), std::floor(y * kPixelsPerDluY));
}

bool openDialogWindow(DialogWindow& d) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    d.window = SDL_CreateWindow(kDialogTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kDialogWidthPx,
                                kDialogHeightPx, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
    if (!d.window) return false;
    d.context = SDL_GL_CreateContext(d.window);
    if (!d.context) return false;
    SDL_GL_MakeCurrent(d.window, d.context);
    SDL_GL_SetSwapInterval(1);
    applyWindowIcon(d.window);
    SDL_RaiseWindow(d.window);
    return true;
}

void uploadArtwork(DialogWindow& d) {
    static uint8_t pixels[kDialogArtWidth * kDialogArtHeight * 4];
    makeDialogArtwork(pixels);
    glGenTextures(1, &d.artTexture);
    glBindTexture(GL_TEXTURE_2D, d.artTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);  // drawn 1:1
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kDialogArtWidth, kDialogArtHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels);
}

void closeDialogWindow(DialogWindow& d) {
    if (d.artTexture) glDeleteTextures(1, &d.artTexture);
    if (d.context) SDL_GL_DeleteContext(d.context);
    if (d.window) SDL_DestroyWindow(d.window);
    d = DialogWindow{};
}

void setupImGui(DialogWindow& d) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing written beside the show
    ImFontConfig font;
    font.OversampleH = font.OversampleV = 1;
    font.PixelSnapH = true;
    if (FILE* f = std::fopen(kDialogFontPath, "rb")) {
        std::fclose(f);
        io.Fonts->AddFontFromFileTTF(kDialogFontPath, kDialogFontPixels, &font);
    }
    ImGui::StyleColorsClassic();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0.0f;
    style.WindowPadding = ImVec2(0, 0);
    style.FramePadding = ImVec2(3, 1);
    style.ItemInnerSpacing = ImVec2(3, 3);
    style.Colors[ImGuiCol_WindowBg] = ImVec4(0.78f, 0.78f, 0.76f, 1.0f);
    style.Colors[ImGuiCol_Text] = ImVec4(0.0f, 0.0f, 0.0f, 1.0f);
    style.Colors[ImGuiCol_Button] = ImVec4(0.86f, 0.86f, 0.84f, 1.0f);
    style.Colors[ImGuiCol_ButtonHovered] = ImVec4(0.93f, 0.93f, 0.90f, 1.0f);
    style.Colors[ImGuiCol_ButtonActive] = ImVec4(0.65f, 0.65f, 0.63f, 1.0f);
    style.Colors[ImGuiCol_FrameBg] = ImVec4(1.0f, 1.0f, 1.0f, 1.0f);
    style.Colors[ImGuiCol_FrameBgHovered] = ImVec4(0.92f, 0.92f, 1.0f, 1.0f);
    style.Colors[ImGuiCol_CheckMark] = ImVec4(0.0f, 0.0f, 0.0f, 1.0f);
    style.FrameBorderSize = 1.0f;
    style.Colors[ImGuiCol_Border] = ImVec4(0.35f, 0.35f, 0.35f, 1.0f);
    ImGui_ImplSDL2_InitForOpenGL(d.window, d.context);
    ImGui_ImplOpenGL2_Init();
}

void shutdownImGui() {
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

void drawGroupBox(const DialogControl& c) {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    const ImVec2 a = toPixels(c.x, c.y);
    const ImVec2 b = toPixels(c.x + c.width, c.y + c.height);
    const float mid = a.y + ImGui::GetTextLineHeight() * 0.5f;
    dl->AddRect(ImVec2(a.x, mid), b, IM_COL32(110, 110, 110, 255));
    const ImVec2 textSize = ImGui::CalcTextSize(c.text);
    dl->AddRectFilled(ImVec2(a.x + 6, a.y), ImVec2(a.x + 10 + textSize.x, a.y + textSize.y),
                      ImGui::GetColorU32(ImGuiCol_WindowBg));
    dl->AddText(ImVec2(a.x + 8, a.y), IM_COL32(0, 0, 0, 255), c.text);
}

void drawPicture(const DialogControl& c, GLuint texture) {
    const ImVec2 a = toPixels(c.x, c.y);
    const ImVec2 b(a.x + kDialogArtWidth, a.y + kDialogArtHeight);  // the bitmap's own pixels
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddImage(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(texture)), a, b);
    dl->AddLine(a, ImVec2(b.x, a.y), IM_COL32(90, 90, 90, 255), 2.0f);  // sunken edge
    dl->AddLine(a, ImVec2(a.x, b.y), IM_COL32(90, 90, 90, 255), 2.0f);
    dl->AddLine(ImVec2(a.x, b.y), b, IM_COL32(255, 255, 255, 255), 1.0f);
    dl->AddLine(ImVec2(b.x, a.y), b, IM_COL32(255, 255, 255, 255), 1.0f);
}

// One control; returns true when the user clicked it.
bool drawControl(const DialogState& s, int index, GLuint texture) {
    const DialogControl& c = kDialogControls[index];
    ImGui::SetCursorPos(toPixels(c.x, c.y));
    switch (c.kind) {
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            return ImGui::Button(c.text, toPixels(c.width, c.height));
        case ControlKind::CheckBox: {
            bool v = s.checked[index];
            return ImGui::Checkbox(c.text, &v);
        }
        case ControlKind::Radio:
            return ImGui::RadioButton(c.text, s.checked[index]);
        case ControlKind::GroupBox:
            drawGroupBox(c);
            return false;
        case ControlKind::Picture:
            drawPicture(c, texture);
            return false;
    }
    return false;
}

void drawDialog(DialogState& s, GLuint texture) {
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(kDialogWidthPx), static_cast<float>(kDialogHeightPx)));
    ImGui::Begin("startup", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);
    // Group boxes and the picture first so the buttons sit on top of them.
    int clicked = kIdStatic;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < kDialogControlCount; ++i) {
            const DialogControl& c = kDialogControls[i];
            const bool background = c.kind == ControlKind::GroupBox || c.kind == ControlKind::Picture;
            if (!c.shown || background != (pass == 0)) continue;
            if (drawControl(s, i, texture)) clicked = c.id;
        }
    }
    ImGui::End();
    if (clicked != kIdStatic) clickDialogControl(s, clicked);
}

// Enter is "GO !", Escape is "Quit"; closing the dialog quits too.
void handleDialogEvent(DialogState& s, const SDL_Event& e) {
    ImGui_ImplSDL2_ProcessEvent(&e);
    if (e.type == SDL_QUIT) dialogProcedure(s, DialogMessage::Command, kIdQuit);
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
        dialogProcedure(s, DialogMessage::Command, kIdQuit);
    }
    if (e.type != SDL_KEYDOWN || e.key.repeat) return;
    const int vk = virtualKeyForSdlKey(e.key.keysym.sym);
    if (vk == kVkReturn) dialogProcedure(s, DialogMessage::Command, kIdGo);
    if (vk == kVkEscape) dialogProcedure(s, DialogMessage::Command, kIdQuit);
}

void runDialogLoop(DialogWindow& d, DialogState& s, const DialogFrameHook& hook) {
    while (s.endResult < 0) {
        SDL_Event e;
        while (s.endResult < 0 && SDL_PollEvent(&e)) handleDialogEvent(s, e);
        if (s.endResult >= 0) break;
        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        drawDialog(s, d.artTexture);
        ImGui::Render();
        glViewport(0, 0, kDialogWidthPx, kDialogHeightPx);
        glClearColor(0.78f, 0.78f, 0.76f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        if (hook.afterDraw) hook.afterDraw(hook.context, kDialogWidthPx, kDialogHeightPx);
        SDL_GL_SwapWindow(d.window);
    }
}

}  // namespace

int RunStartupDialog(DialogChoices& choices, const DialogFrameHook& hook) {
    DialogState state;
    state.choices = choices;
    dialogProcedure(state, DialogMessage::InitDialog, 0);
    if (displayIsOffscreen()) {
        logLine("DIALOG", "startup", "no screen to show it on; taking the preset choices");
        return 1;
    }
    DialogWindow window;
    if (!openDialogWindow(window)) {
        logLine("DIALOG", "startup", "cannot open the dialog window: %s", SDL_GetError());
        closeDialogWindow(window);
        return -1;
    }
    uploadArtwork(window);
    setupImGui(window);
    runDialogLoop(window, state, hook);
    shutdownImGui();
    closeDialogWindow(window);
    choices = state.choices;
    return state.endResult;
}

}  // namespace kgl
