#pragma once
// Start-up work of the first frame: the engine's folders from fsgame.ltx, the
// window position, the built-in pictures, the per-user folders and user.ltx.
#include <imgui.h>

#include <string>

extern std::string app_data_root;  // "$app_data_root$" of fsgame.ltx, or empty
extern std::string mod_dir;        // "$mod_dir$" of fsgame.ltx, or empty
extern ImVec2 window_pos;          // top-left of the launcher window on the desktop
extern ImTextureID background_texture;
extern ImTextureID vk_icon, discord_icon, appro_icon, boosty_icon, github_icon;

// GetGameRoot() + "\\" + app_data_root + "user.ltx".
std::string UserLtxPath();

// Returns false after showing a message box when start-up cannot go on
// (fsgame.ltx unreadable, a folder that cannot be created, user.ltx that
// cannot be written); the shell then ends with exit code 1.
bool FirstFrameInit();

// Test hook: back to the state at process start.
void ResetStartupForTesting();
