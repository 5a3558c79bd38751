#include "app/shell.h"

#include "app/startup.h"
#include "mods/download_manager.h"
#include "mods/installed_mods.h"
#include "platform/display.h"
#include "platform/quit.h"
#include "platform/resources.h"
#include "platform/texture.h"
#include "platform/ui_probe.h"
#include "presence/rich_presence.h"
#include "screens/main_screen.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <cstdio>

// Index of this file
// [SECTION] Shell state, style and fonts
// [SECTION] One frame
// [SECTION] Window, loop and shut-down

// -----------------------------------------------------------------------------
// [SECTION] Shell state, style and fonts
// -----------------------------------------------------------------------------
bool keep_running = true;
bool first_frame_done = false;
ImVec2 window_base_size(0.0f, 0.0f);
ImFont* SmallFont = nullptr;
ImFont* LargeFont = nullptr;

void ComputeWindowBaseSize() {
    const DisplaySize d = GetPrimaryDisplaySize();
    window_base_size = ImVec2(static_cast<float>(d.width) * 0.5f, static_cast<float>(d.height) * 0.5f);
}

void ApplyLauncherStyle() {
    ImGui::StyleColorsDark();
    ImGuiStyle& style = ImGui::GetStyle();
    ImVec4* c = style.Colors;
    c[ImGuiCol_WindowBg] = ImVec4(0.10f, 0.10f, 0.10f, 1.00f);
    c[ImGuiCol_ChildBg] = ImVec4(0.08f, 0.08f, 0.08f, 0.20f);
    c[ImGuiCol_FrameBg] = ImVec4(0.20f, 0.20f, 0.20f, 1.00f);
    c[ImGuiCol_FrameBgHovered] = ImVec4(0.30f, 0.30f, 0.30f, 1.00f);
    c[ImGuiCol_FrameBgActive] = ImVec4(0.15f, 0.15f, 0.15f, 1.00f);
    c[ImGuiCol_CheckMark] = ImVec4(0.90f, 0.90f, 0.90f, 1.00f);
    c[ImGuiCol_SliderGrab] = ImVec4(0.40f, 0.40f, 0.40f, 1.00f);
    c[ImGuiCol_SliderGrabActive] = ImVec4(0.50f, 0.50f, 0.50f, 1.00f);
    c[ImGuiCol_Button] = ImVec4(0.20f, 0.20f, 0.20f, 1.00f);
    c[ImGuiCol_ButtonHovered] = ImVec4(0.30f, 0.30f, 0.30f, 1.00f);
    c[ImGuiCol_ButtonActive] = ImVec4(0.15f, 0.15f, 0.15f, 1.00f);
    c[ImGuiCol_Header] = ImVec4(0.20f, 0.20f, 0.20f, 1.00f);
    c[ImGuiCol_HeaderHovered] = ImVec4(0.30f, 0.30f, 0.30f, 1.00f);
    c[ImGuiCol_HeaderActive] = ImVec4(0.15f, 0.15f, 0.15f, 1.00f);
    style.FrameRounding = 1.0f;
    style.ButtonTextAlign = ImVec2(0.05f, 0.5f);  // captions near the left edge
    style.WindowRounding = 0.0f;
    c[ImGuiCol_WindowBg].w = 1.0f;
}

void AddLauncherFonts(ImGuiIO& io) {
    // The face lives in the executable's read-only data: the atlas must read it
    // in place and never free it.
    const std::string_view face = GetResource(Resource::UiFont);
    void* data = const_cast<char*>(face.data());
    const int size = static_cast<int>(face.size());
    const ImWchar* ranges = io.Fonts->GetGlyphRangesCyrillic();
    ImFontConfig cfg;
    cfg.FontDataOwnedByAtlas = false;
    io.Fonts->AddFontFromMemoryTTF(data, size, 22.0f, &cfg, ranges);
    SmallFont = io.Fonts->AddFontFromMemoryTTF(data, size, 17.0f, &cfg, ranges);
    LargeFont = io.Fonts->AddFontFromMemoryTTF(data, size, 30.0f, &cfg, ranges);
}

namespace {
bool animating = false;  // requested during the frame being built
}  // namespace

void KeepAnimating() { animating = true; }

// -----------------------------------------------------------------------------
// [SECTION] One frame
// -----------------------------------------------------------------------------
bool LauncherFrame() {
    if (!first_frame_done) {
        first_frame_done = true;
        return FirstFrameInit();
    }
    TakeRefreshedInstalledMods();
    DrawMainScreen();
    return true;
}

// -----------------------------------------------------------------------------
// [SECTION] Window, loop and shut-down
// -----------------------------------------------------------------------------
namespace {

// Dragging an empty spot of the launcher window moves its OS window. The
// launcher moves the window itself from the global mouse position rather than
// asking the window manager through a hit test: the hit test would have to
// answer from the previous frame's idea of what lies under the mouse, and a
// quick click that the window manager takes for a move leaves it waiting for a
// button release that already happened, swallowing the clicks that follow.
struct WindowDrag {
    bool active = false;
    int mouse_x = 0, mouse_y = 0;    // global mouse position at the press
    int window_x = 0, window_y = 0;  // window position at the press
};

// Called after each main-screen frame was built, so ImGui knows what the press
// of this frame landed on.
void UpdateWindowDrag(SDL_Window* window, WindowDrag& drag) {
    const ImGuiIO& io = ImGui::GetIO();
    int mx = 0, my = 0;
    const Uint32 buttons = SDL_GetGlobalMouseState(&mx, &my);
    if (!drag.active) {
        if (io.MouseClicked[0] && !ImGui::IsAnyItemHovered() && !ImGui::IsAnyItemActive() &&
            !ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopupId)) {
            drag.active = true;
            drag.mouse_x = mx;
            drag.mouse_y = my;
            SDL_GetWindowPosition(window, &drag.window_x, &drag.window_y);
        }
        return;
    }
    if (!(buttons & SDL_BUTTON_LMASK) || !io.MouseDown[0]) {
        drag.active = false;
        return;
    }
    SDL_SetWindowPosition(window, drag.window_x + (mx - drag.mouse_x), drag.window_y + (my - drag.mouse_y));
}

int Fail(const char* what) {
    std::fprintf(stderr, "velmora-launcher: %s: %s\n", what, SDL_GetError());
    return 1;
}

// Sleeps out the rest of the frame where vsync is not honoured (Xvfb, some
// drivers), so the launcher never spins a core.
void PaceFrame(Uint64& last, double refresh_hz) {
    const Uint64 freq = SDL_GetPerformanceFrequency();
    const double target = 1.0 / refresh_hz;
    const double elapsed = double(SDL_GetPerformanceCounter() - last) / double(freq);
    if (elapsed < target) SDL_Delay(static_cast<Uint32>((target - elapsed) * 1000.0));
    last = SDL_GetPerformanceCounter();
}

}  // namespace

int RunLauncher() {
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");  // a close request only clears keep_running
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_PING, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return Fail("no video device");
    // Without a display SDL falls back to its offscreen or dummy driver, where
    // nobody would ever see the window: that counts as no video device, unless
    // the player asked for such a driver explicitly.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!SDL_getenv("SDL_VIDEODRIVER") && driver &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr, "velmora-launcher: no video device: no display to show the window on\n");
        SDL_Quit();
        return 1;
    }

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    ComputeWindowBaseSize();
    const int width = static_cast<int>(window_base_size.x) + 20;
    const int height = static_cast<int>(window_base_size.y) + 75;
    // Created where start-up will centre it: a window created at an explicit
    // position tells the window manager not to place it by its own rules.
    const DisplaySize desktop = GetPrimaryDisplaySize();
    SDL_Window* window = SDL_CreateWindow(kLauncherWindowName, (desktop.width - static_cast<int>(window_base_size.x)) / 2,
                                          (desktop.height - static_cast<int>(window_base_size.y)) / 2, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!window) {
        const int code = Fail("cannot create an OpenGL 3 window");
        SDL_Quit();
        return code;
    }
    SDL_GLContext gl = SDL_GL_CreateContext(window);
    if (!gl) {
        const int code = Fail("no OpenGL 3 context");
        SDL_DestroyWindow(window);
        SDL_Quit();
        return code;
    }
    SDL_GL_MakeCurrent(window, gl);
    SDL_GL_SetSwapInterval(1);

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    ApplyLauncherStyle();
    ImGui_ImplSDL2_InitForOpenGL(window, gl);
    ImGui_ImplOpenGL3_Init("#version 150");
    SetTextureBackend(MakeOpenGLTextureBackend());
    StartRichPresence();
    AddLauncherFonts(io);

    SDL_DisplayMode mode{};
    const double refresh = (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) ? mode.refresh_rate : 60.0;
    Uint64 last = SDL_GetPerformanceCounter();
    bool shown = false;
    WindowDrag drag;
    int exit_code = 0;
    int main_frames = 0;

    // Idle frames: with no input for a moment and nothing animating, the loop
    // waits for the next event (at most kIdleFrameMs) instead of drawing at
    // the display's rate. Settings edits still take effect on the next frame.
    constexpr Uint32 kIdleFrameMs = 250;
    constexpr Uint64 kActiveAfterInputMs = 500;
    Uint64 last_input = SDL_GetTicks64();
    bool was_animating = true;

    while (true) {
        bool quit = false;
        SDL_Event event;
        auto handle = [&](const SDL_Event& e) {
            ImGui_ImplSDL2_ProcessEvent(&e);
            if (e.type == SDL_QUIT) quit = true;
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) keep_running = false;
            if (e.type != SDL_USEREVENT) last_input = SDL_GetTicks64();
        };
        const bool idle = shown && !was_animating && SDL_GetTicks64() - last_input > kActiveAfterInputMs &&
                          !ImGui::GetIO().WantTextInput && !ImGui::IsAnyMouseDown();
        if (idle && SDL_WaitEventTimeout(&event, static_cast<int>(kIdleFrameMs))) handle(event);
        while (!quit && SDL_PollEvent(&event)) handle(event);
        if (quit) break;

        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        const bool was_first = !first_frame_done;
        animating = false;
        if (!LauncherFrame()) {
            ImGui::EndFrame();
            exit_code = 1;
            break;
        }
        if (was_first) {
            SDL_SetWindowPosition(window, static_cast<int>(window_pos.x), static_cast<int>(window_pos.y));
        } else {
            ++main_frames;
        }
        ImGui::Render();
        ProbeFrameEnd();
        if (!was_first) UpdateWindowDrag(window, drag);

        int fb_w = 0, fb_h = 0;
        SDL_GL_GetDrawableSize(window, &fb_w, &fb_h);
        glViewport(0, 0, fb_w, fb_h);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(window);
        TexturesFrameRendered();

        // The window appears once the first main-screen frame is drawn; a
        // quick start quits before that and never shows it.
        if (!shown && main_frames > 0 && !QuitPosted()) {
            SDL_ShowWindow(window);
            SDL_SetWindowPosition(window, static_cast<int>(window_pos.x), static_cast<int>(window_pos.y));
            shown = true;
        }
        if (!keep_running) break;
        was_animating = animating || drag.active;
        PaceFrame(last, refresh);
    }

    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    SetTextureBackend(nullptr);
    SDL_GL_DeleteContext(gl);
    StopRichPresence();
    SDL_DestroyWindow(window);
    DownloadManager::WaitForPendingTasks();
    SDL_Quit();
    return exit_code;
}
