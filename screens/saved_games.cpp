#include "screens/saved_games.h"

#include "app/preview.h"
#include "app/shell.h"
#include "app/startup.h"
#include "config/localisation.h"
#include "platform/paths.h"
#include "screens/game_launch.h"
#include "platform/ui_probe.h"

#include <imgui.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace fs = std::filesystem;

std::string selected_save;

std::string SavesFolder() { return app_data_root + "savedgames"; }

std::vector<SavedGame> ListSavedGames(const std::string& folder) {
    std::vector<SavedGame> saves;
    // The engine may be writing or deleting saves; a listing that fails part
    // way shows what was read so far instead of ending the launcher.
    std::error_code ec;
    fs::directory_iterator it(ToFsPath(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.find(".kesp") == std::string::npos && file.find(".sav") == std::string::npos) continue;
        std::error_code time_ec;
        const fs::file_time_type time = it->last_write_time(time_ec);
        if (time_ec) continue;
        saves.push_back({file.substr(0, file.rfind('.')), time});
    }
    std::stable_sort(saves.begin(), saves.end(), [](const SavedGame& a, const SavedGame& b) { return a.time > b.time; });
    return saves;
}

std::string FormatSaveTime(fs::file_time_type time) {
    const auto sys = std::chrono::file_clock::to_sys(time);
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::seconds>(sys));
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::string();
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M:%S", &local);
    return std::string(buf, n);
}

void PickSave(const std::string& name) {
    selected_save = name;
    preview_texture = nullptr;
    LoadPreviewTexture(SavesFolder() + "\\" + name + ".dds");
}

void DrawSavedGames() {
    const std::vector<SavedGame> saves = ListSavedGames(SavesFolder());
    const std::string region = ToUtf8(LookupText("ui_launcher_load_game"));
    ImGui::BeginChild(region.c_str(), ImVec2(0, 340), true);
    ImGui::PushFont(SmallFont);
    for (size_t i = 0; i < saves.size(); ++i) {
        const SavedGame& save = saves[i];
        // Two files can give the same name (x.kesp and x.sav): the row's
        // position keeps their buttons apart.
        ImGui::PushID(static_cast<int>(i));
        const std::string caption = ToUtf8(save.name);
        const bool picked = ImGui::Button(caption.c_str(), ImVec2(15.0f * static_cast<float>(save.name.size()), 20.0f));
        ProbeItem("save:" + save.name);
        if (picked) PickSave(save.name);
        ImGui::SameLine(0, -1);
        const std::string date = "(" + FormatSaveTime(save.time) + ")";
        ImGui::TextUnformatted(date.c_str(), date.c_str() + date.size());
        ImGui::PopID();
    }
    ImGui::PopFont();
    ImGui::EndChild();
}

void DrawSaveSelection() {
    if (selected_save.empty()) return;
    const ImVec2 p = ImGui::GetCursorPos();
    float offset = 0.0f;
    if (preview_texture) {
        const ImVec2 screen = ImGui::GetCursorScreenPos();
        const ImVec2 top_left(screen.x + 3.0f, screen.y + 28.0f);
        ImGui::GetWindowDrawList()->AddImageRounded(preview_texture, top_left,
                                                    ImVec2(top_left.x + 128.0f, top_left.y + 128.0f), ImVec2(0, 0),
                                                    ImVec2(1, 1), IM_COL32(255, 255, 255, 255), 10.0f,
                                                    ImDrawFlags_RoundCornersAll);
        ProbeRect("save_preview", top_left, ImVec2(top_left.x + 128.0f, top_left.y + 128.0f));
        offset = 128.0f;
    }
    const std::string line = ToUtf8(LookupText("ui_launcher_save_name") + " " + selected_save);
    ImGui::SetCursorPos(p);
    ImGui::TextUnformatted(line.c_str(), line.c_str() + line.size());
    ImGui::SetCursorPos(ImVec2(ImGui::GetCursorPosX(), ImGui::GetCursorPosY() + offset));
    const std::string load = ToUtf8(LookupText("ui_launcher_load_save"));
    const bool load_pressed = ImGui::Button(load.c_str(), ImVec2(130, 30));
    ProbeItem("load_save");
    if (load_pressed && !selected_save.empty()) LoadSave();
}

void ResetSavedGamesForTesting() { selected_save.clear(); }
