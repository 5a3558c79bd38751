#include "screens/main_screen.h"

#include "app/shell.h"
#include "app/startup.h"

#include <imgui.h>

// The launcher window with its background. The columns come with the main
// screen proper.
void DrawMainScreen() {
    if (!keep_running) return;
    // The ImGui window fills the OS window, which the shell placed at
    // window_pos; dragging an empty spot moves the OS window.
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(window_base_size.x + 20.0f, window_base_size.y + 75.0f), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(1.0f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoMove;
    ImGui::Begin(kLauncherWindowName, &keep_running, flags);
    const ImVec2 pos = ImGui::GetWindowPos();
    ImGui::GetWindowDrawList()->AddImage(background_texture, pos,
                                         ImVec2(pos.x + window_base_size.x + 20.0f, pos.y + window_base_size.y + 75.0f),
                                         ImVec2(0, 0), ImVec2(1, 1), IM_COL32(255, 255, 255, 255));
    ImGui::End();
}
