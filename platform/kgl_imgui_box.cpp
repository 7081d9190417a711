#include "platform/kgl_imgui_box.h"

#include <GL/gl.h>
#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <cstring>

namespace kgl {

namespace {

constexpr int kCharWidthPx = 7;  // ImGui's built-in 13-pixel font is fixed-width
constexpr int kLineHeightPx = 15;
constexpr int kMinBoxWidthPx = 260;
constexpr int kMaxBoxWidthPx = 900;
constexpr int kButtonWidthPx = 80;
constexpr int kButtonHeightPx = 22;

// The previously current GL window/context and ImGui context, put back on return.
struct SavedContexts {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    SDL_GLContext gl = SDL_GL_GetCurrentContext();
    ImGuiContext* imgui = ImGui::GetCurrentContext();
};

struct BoxWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext gl = nullptr;
    ImGuiContext* imgui = nullptr;
    int width = 0;
    int height = 0;
};

void measure(const char* text, int& width, int& height) {
    int lines = 1, longest = 0, current = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            ++lines;
            current = 0;
        } else if (++current > longest) {
            longest = current;
        }
    }
    width = longest * kCharWidthPx + 40;
    width = width < kMinBoxWidthPx ? kMinBoxWidthPx : width > kMaxBoxWidthPx ? kMaxBoxWidthPx : width;
    height = lines * kLineHeightPx + kButtonHeightPx + 40;
}

bool openBox(BoxWindow& b, const char* caption, const char* text) {
    measure(text, b.width, b.height);
    b.window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, b.width, b.height,
                                SDL_WINDOW_OPENGL | SDL_WINDOW_ALWAYS_ON_TOP);
    if (!b.window) return false;
    b.gl = SDL_GL_CreateContext(b.window);
    if (!b.gl) return false;
    SDL_GL_MakeCurrent(b.window, b.gl);
    SDL_GL_SetSwapInterval(1);
    b.imgui = ImGui::CreateContext();
    ImGui::SetCurrentContext(b.imgui);
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsClassic();
    ImGui_ImplSDL2_InitForOpenGL(b.window, b.gl);
    ImGui_ImplOpenGL2_Init();
    SDL_RaiseWindow(b.window);
    return true;
}

void closeBox(BoxWindow& b, const SavedContexts& saved) {
    if (b.imgui) {
        ImGui_ImplOpenGL2_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(b.imgui);
    }
    if (b.gl) SDL_GL_DeleteContext(b.gl);
    if (b.window) SDL_DestroyWindow(b.window);
    ImGui::SetCurrentContext(saved.imgui);
    if (saved.window) SDL_GL_MakeCurrent(saved.window, saved.gl);
}

// Enter answers with the default button, Escape with "No" (or "OK"). 1 yes, 0 no, -1 open.
int keyAnswer(const SDL_Event& e, bool yesNo) {
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) return yesNo ? 0 : 1;
    if (e.type != SDL_KEYDOWN) return -1;
    const SDL_Keycode k = e.key.keysym.sym;
    if (k == SDLK_RETURN || k == SDLK_KP_ENTER) return 1;
    if (k == SDLK_ESCAPE) return yesNo ? 0 : 1;
    return -1;
}

int drawBox(const BoxWindow& b, const char* text, bool yesNo) {
    int answer = -1;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(b.width), static_cast<float>(b.height)));
    ImGui::Begin("box", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove);
    ImGui::SetCursorPos(ImVec2(16, 12));
    ImGui::TextUnformatted(text);
    const float y = static_cast<float>(b.height - kButtonHeightPx - 12);
    const ImVec2 size(kButtonWidthPx, kButtonHeightPx);
    if (yesNo) {
        ImGui::SetCursorPos(ImVec2(b.width * 0.5f - kButtonWidthPx - 6, y));
        if (ImGui::Button("Yes", size)) answer = 1;
        ImGui::SetCursorPos(ImVec2(b.width * 0.5f + 6, y));
        if (ImGui::Button("No", size)) answer = 0;
    } else {
        ImGui::SetCursorPos(ImVec2((b.width - kButtonWidthPx) * 0.5f, y));
        if (ImGui::Button("OK", size)) answer = 1;
    }
    ImGui::End();
    return answer;
}

int runBox(BoxWindow& b, const char* text, bool yesNo) {
    int answer = -1;
    while (answer < 0) {
        SDL_Event e;
        while (answer < 0 && SDL_PollEvent(&e)) {
            if (SDL_GetWindowFromID(e.window.windowID) != b.window && e.type == SDL_WINDOWEVENT) continue;
            ImGui_ImplSDL2_ProcessEvent(&e);
            answer = keyAnswer(e, yesNo);
        }
        if (answer >= 0) break;
        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        answer = drawBox(b, text, yesNo);
        ImGui::Render();
        glViewport(0, 0, b.width, b.height);
        glClearColor(0.2f, 0.2f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(b.window);
    }
    return answer;
}

}  // namespace

bool imguiMessageBox(const char* text, const char* caption, MsgBoxKind kind, bool fallback) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return fallback;
    const SavedContexts saved;
    BoxWindow box;
    if (!openBox(box, caption, text)) {
        closeBox(box, saved);
        return fallback;
    }
    const int answer = runBox(box, text, kind == MsgBoxKind::YesNo);
    closeBox(box, saved);
    return answer == 1;
}

}  // namespace kgl
