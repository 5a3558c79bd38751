#include "screens/main_screen.h"

#include "app/shell.h"
#include "app/startup.h"
#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "graphics/graphics_panel.h"
#include "mods/conflict_dialog.h"
#include "mods/installed_mods.h"
#include "mods/mods_manager_screen.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/quit.h"
#include "platform/web.h"
#include "screens/game_launch.h"
#include "screens/saved_games.h"
#include "screens/version_check.h"
#include "platform/ui_probe.h"

#include <imgui.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

MainScreenState main_screen;

namespace {

constexpr const char* kProgramVersion = "1.1.6";
constexpr const char* kHeader = "VELMORA TEAM";
const ImVec4 kHeaderColour(0.8f, 0.8f, 0.8f, 1.0f);
const ImVec4 kGreetingColour(0.5f, 0.5f, 0.5f, 1.0f);
constexpr ImU32 kWhite = IM_COL32(255, 255, 255, 255);

// Texts come from language files and file names: never a format string.
void PlainText(const std::string& text) { ImGui::TextUnformatted(text.c_str(), text.c_str() + text.size()); }

void ColouredText(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    PlainText(text);
    ImGui::PopStyleColor();
}

std::string T(const char* key) { return ToUtf8(LookupText(key)); }

bool ActionButton(const char* key, const char* probe) {
    const std::string caption = T(key);
    const bool pressed = ImGui::Button(caption.c_str(), ImVec2(-1, 40));
    ProbeItem(probe, caption);
    return pressed;
}

void CommandLineField(IniFile& store) {
    // ImGui edits in place; 256 bytes hold the 255 characters the field allows.
    std::vector<char> buffer(launcher_settings.custom_user_key.size() + 256, '\0');
    std::copy(launcher_settings.custom_user_key.begin(), launcher_settings.custom_user_key.end(), buffer.begin());
    if (ImGui::InputTextMultiline(T("ui_launcher_user_key").c_str(), buffer.data(), 256, ImVec2(-1, 20))) {
        SetCustomUserKey(store, std::string(buffer.data()));
    }
}

void LanguageSelector(IniFile& store) {
    const std::vector<std::string> languages = DiscoverLanguages();
    if (main_screen.language_position < 0) {
        main_screen.language_position = InitialLanguagePosition(languages, CurrentLanguage);
    }
    const int position = main_screen.language_position;
    const bool shown = position >= 0 && position < static_cast<int>(languages.size());
    const std::string preview = shown ? ToUtf8(LookupText(languages[position])) : std::string();
    ImGui::SetNextItemWidth(20.0f);
    const bool open = ImGui::BeginCombo(T("ui_launcher_app_language").c_str(), preview.c_str());
    const ImVec2 combo_min = ImGui::GetItemRectMin();  // the 20-pixel frame, not its label
    ProbeRect("language_combo", combo_min, ImVec2(combo_min.x + 20.0f, ImGui::GetItemRectMax().y), preview);
    if (open) {
        for (size_t i = 0; i < languages.size(); ++i) {
            ImGui::PushID(static_cast<int>(i));
            const std::string name = ToUtf8(LookupText(languages[i]));
            const bool chosen = ImGui::Selectable(name.c_str(), static_cast<int>(i) == position);
            ProbeItem("language:" + languages[i], name);
            if (chosen) {
                main_screen.language_position = static_cast<int>(i);
                ChangeLanguage(store, languages[i]);
            }
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
}

void LeftColumn(IniFile& store) {
    ImGui::BeginChild("LeftPanel", ImVec2(350, 0), true);
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    ImGui::GetWindowDrawList()->AddRectFilled(pos, ImVec2(pos.x + size.x, pos.y + size.y), IM_COL32(20, 20, 20, 204));

    ImGui::PushFont(LargeFont);
    ColouredText(kHeaderColour, kHeader);
    ImGui::PopFont();
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() - 10.0f);

    ImGui::PushFont(SmallFont);
    ColouredText(kHeaderColour, ToUtf8(LookupText("ui_launcher_version_text") + kProgramVersion));
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() - 12.0f);
    DrawEngineVersionLine();
    ImGui::PopFont();

    if (ActionButton("ui_launcher_start_game", "start_game")) StartGame();
    if (ActionButton("ui_launcher_load_game", "load_game")) main_screen.active_panel = ActivePanel::SavedGames;
    if (ActionButton("ui_launcher_graphic_opt", "graphic_opt")) {
        main_screen.active_panel = ActivePanel::GraphicsOptions;
        GraphicsPanel::RequestReload();
    }
    if (launcher_settings.enable_mod_manager && ActionButton("ui_launcher_mods_manager", "mods_manager")) {
        main_screen.active_panel = ActivePanel::ModsManager;
    }
    if (ShadersCacheExists() && ActionButton("ui_launcher_delete_shaders_cache", "delete_shaders_cache")) {
        DeleteShadersCache();
    }

    ImGui::PushFont(SmallFont);
    ImGui::Checkbox(T("ui_launcher_lua_dbg").c_str(), &main_screen.lua_dbg);
    ImGui::Checkbox(T("ui_launcher_jpg_screenshots").c_str(), &main_screen.jpg_screenshots);
    ImGui::Checkbox(T("ui_launcher_no_prefetch").c_str(), &main_screen.no_prefetch);
    ImGui::Checkbox(T("ui_launcher_enter_keys").c_str(), &main_screen.enter_keys);
    if (main_screen.enter_keys) CommandLineField(store);
    LanguageSelector(store);
    ImGui::PopFont();

    const bool quit = ImGui::Button(T("ui_launcher_quit").c_str(), ImVec2(100, 30));
    ProbeItem("quit");
    if (quit) PostQuit();
    ImGui::EndChild();
}

void Greeting() {
    const ImVec2 avail = ImGui::GetContentRegionAvail();
    const std::string text = T("ui_launcher_right_panel_empty_text");
    ImGui::PushFont(LargeFont);
    const ImVec2 size = ImGui::CalcTextSize(text.c_str(), text.c_str() + text.size(), false);
    ImGui::SetCursorPos(ImVec2((avail.x - size.x) * 0.5f,
                               (avail.y - size.y) * 0.5f - ImGui::GetStyle().WindowPadding.y));
    ColouredText(kGreetingColour, text);
    ProbeItem("greeting", text);
    ImGui::PopFont();
}

void LinkRow() {
    const ImVec2 size = ImGui::GetWindowSize();
    int index = 0;
    for (const LinkButton& link : LinkRowLayout(size.x, size.y)) {
        ImGui::SetCursorPos(link.position);
        // ImageButton takes its id from the texture; an icon that failed to
        // load would make every such button the same item.
        ImGui::PushID(++index);
        if (ImGui::ImageButton(link.icon, ImVec2(24, 24), ImVec2(0, 0), ImVec2(1, 1), 0, ImVec4(0, 0, 0, 0),
                               ImVec4(1, 1, 1, 1))) {
            OpenWebPage(*link.address);
        }
        ImGui::PopID();
    }
}

void RightColumn() {
    ImGui::BeginChild("RightPanel", ImVec2(0, 0), true);
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    ImGui::GetWindowDrawList()->AddRectFilled(pos, ImVec2(pos.x + size.x, pos.y + size.y), IM_COL32(20, 20, 20, 51));
    switch (main_screen.active_panel) {
        case ActivePanel::GraphicsOptions:
            selected_save.clear();
            GraphicsPanel::Draw();
            break;
        case ActivePanel::SavedGames:
            DrawSavedGames();
            DrawSaveSelection();
            break;
        case ActivePanel::ModsManager:
            DrawModsManager();
            break;
        case ActivePanel::None:
            Greeting();
            break;
    }
    LinkRow();
    ImGui::EndChild();
}

}  // namespace

std::vector<LinkButton> LinkRowLayout(float width, float height) {
    const std::pair<const std::string*, ImTextureID> links[] = {
        {&launcher_settings.github_link, github_icon},   {&launcher_settings.boosty_link, boosty_icon},
        {&launcher_settings.appro_link, appro_icon},     {&launcher_settings.discord_link, discord_icon},
        {&launcher_settings.vk_link, vk_icon},
    };
    std::vector<LinkButton> row;
    float x = width - 24.0f - 10.0f;
    for (const auto& [address, icon] : links) {
        if (address->empty()) continue;  // an unset link leaves no gap
        row.push_back({address, icon, ImVec2(x, height - 40.0f)});
        x -= 39.0f;
    }
    return row;
}

std::string ShadersCachePath() { return app_data_root + "shaders_cache"; }

bool ShadersCacheExists() {
    std::error_code ec;
    return fs::is_directory(ToFsPath(ShadersCachePath()), ec);
}

bool DeleteShadersCache() {
    try {
        fs::remove_all(ToFsPath(ShadersCachePath()));
        return true;
    } catch (const fs::filesystem_error& e) {
        // A file in use stops the removal; the launcher carries on with what
        // is left, and the button stays while the folder does.
        ShowError("ERROR!", e.what());
        return false;
    }
}

void SetCustomUserKey(IniFile& store, const std::string& text) {
    launcher_settings.custom_user_key = text;
    SaveLauncherSetting(store, "custom_user_key", text);
}

void DrawMainScreen() {
    EnsureTextTable();
    if (!main_screen.installed_mods_listed) {
        installed_mods = ListInstalledMods();
        main_screen.installed_mods_listed = true;
    }
    std::optional<IniFile> store = ReadLauncherSettings();
    if (!store) return;
    if (launcher_settings.quick_start) {
        StartGame();
        PostQuit();
        return;
    }
    if (!keep_running) return;

    // The ImGui window fills the OS window, which the shell placed at
    // window_pos; dragging an empty spot moves the OS window (the shell does it).
    const ImVec2 window_size(window_base_size.x + 20.0f, window_base_size.y + 75.0f);
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f), ImGuiCond_Always);
    ImGui::SetNextWindowSize(window_size, ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(1.0f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoMove;
    ImGui::Begin(kLauncherWindowName, &keep_running, flags);
    const ImVec2 pos = ImGui::GetWindowPos();
    ImGui::GetWindowDrawList()->AddImage(background_texture, pos, ImVec2(pos.x + window_size.x, pos.y + window_size.y),
                                         ImVec2(0, 0), ImVec2(1, 1), kWhite);

    // Blocks this first frame for the length of the request.
    UpdateEngineVersion();

    LeftColumn(*store);
    ImGui::SameLine(0, -1);
    RightColumn();
    if (conflict_pending) DrawConflictDialog();
    ImGui::End();
}

void ResetMainScreenForTesting() { main_screen = MainScreenState(); }
