#include "app/startup.h"

#include "app/shell.h"
#include "config/engine_files.h"
#include "platform/display.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/texture.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

std::string app_data_root;
std::string mod_dir;
ImVec2 window_pos(0.0f, 0.0f);
ImTextureID background_texture = nullptr;
ImTextureID vk_icon = nullptr, discord_icon = nullptr, appro_icon = nullptr, boosty_icon = nullptr,
            github_icon = nullptr;

namespace fs = std::filesystem;

namespace {

constexpr const char* kConfigErrorCaption = "Configuration Error";

ImTextureID CreateResourceTexture(Resource id) { return CreateTextureFromMemory(GetResource(id)); }

// Creates the folder with its missing parents when it does not exist. A
// failure shows the file-system error text and stops start-up.
bool EnsureFolder(const std::string& folder) {
    if (folder.empty()) return true;  // the working directory itself
    const fs::path path(ToFsPath(folder));
    std::error_code ec;
    bool exists = fs::exists(path, ec);
    if (ec) {
        ShowError(kConfigErrorCaption, fs::filesystem_error("status", path, ec).what());
        return false;
    }
    if (exists) return true;
    fs::create_directories(path, ec);
    if (ec) {
        ShowError(kConfigErrorCaption, fs::filesystem_error("create_directories", path, ec).what());
        return false;
    }
    return true;
}

}  // namespace

std::string UserLtxPath() { return GetGameRoot() + "\\" + app_data_root + "user.ltx"; }

bool FirstFrameInit() {
    // 1-2. The engine's folders.
    PathAliases aliases;
    try {
        aliases = LoadPathAliases(ToFsPath(GetGameRoot() + "\\fsgame.ltx"));
    } catch (const std::runtime_error& e) {
        ShowError(kConfigErrorCaption, e.what());
        return false;
    }
    auto alias = [&](const char* name) {
        auto it = aliases.find(name);
        return it == aliases.end() ? std::string() : it->second;
    };
    app_data_root = alias("$app_data_root$");
    mod_dir = alias("$mod_dir$");

    // 3. Centre the window on the desktop and create the built-in pictures.
    if (window_pos.x == 0.0f) {
        const DisplaySize desktop = GetPrimaryDisplaySize();
        window_pos = ImVec2((static_cast<float>(desktop.width) - window_base_size.x) * 0.5f,
                            (static_cast<float>(desktop.height) - window_base_size.y) * 0.5f);
        background_texture = CreateResourceTexture(Resource::Background);
        vk_icon = CreateResourceTexture(Resource::IconVk);
        discord_icon = CreateResourceTexture(Resource::IconDiscord);
        appro_icon = CreateResourceTexture(Resource::IconForum);
        boosty_icon = CreateResourceTexture(Resource::IconBoosty);
        github_icon = CreateResourceTexture(Resource::IconGithub);
    }

    // 4. The engine's per-user folders, relative to the working directory.
    if (!EnsureFolder(app_data_root) || !EnsureFolder(app_data_root + "savedgames\\")) return false;

    // 5. user.ltx: written from the built-in default when missing, never changed otherwise.
    const std::string user_ltx = UserLtxPath();
    if (!FileExists(user_ltx)) {
        const std::string_view content = GetResource(Resource::DefaultUserLtx);
        std::ofstream out(ToFsPath(user_ltx), std::ios::binary | std::ios::trunc);
        if (content.empty() || !out) {
            ShowError(kConfigErrorCaption, "Error: Failed to load user configuration file from resources");
            return false;
        }
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    return true;
}

void ResetStartupForTesting() {
    app_data_root.clear();
    mod_dir.clear();
    window_pos = ImVec2(0.0f, 0.0f);
    for (ImTextureID* t : {&background_texture, &vk_icon, &discord_icon, &appro_icon, &boosty_icon, &github_icon}) {
        ReleaseTextureAfterFrame(*t);
        *t = nullptr;
    }
}
