#pragma once
// The launcher window: left column (header, versions, actions, switches,
// command-line field, language, quit) and right column (greeting or a panel),
// with the link row. Frame thread only.
#include <imgui.h>

#include <string>
#include <vector>

enum class ActivePanel { None, SavedGames, GraphicsOptions, ModsManager };

struct MainScreenState {
    ActivePanel active_panel = ActivePanel::None;  // what the right column shows; never back to None
    bool lua_dbg = false;                          // " -lua_dbg" on the engine command line
    bool jpg_screenshots = false;                  // " -ss_jpg"
    bool no_prefetch = false;                      // " -noprefetch"
    bool enter_keys = false;                       // shows the custom_user_key field
    bool installed_mods_listed = false;            // installed_mods built (once per process)
    int language_position = -1;                    // selector position; -1 until first drawn
};
extern MainScreenState main_screen;

void DrawMainScreen();

// One icon of the link row, in the right column's own coordinates.
struct LinkButton {
    const std::string* address;  // the launcher_settings link it opens
    ImTextureID icon;
    ImVec2 position;
};
// GitHub, Boosty, forum, Discord, VK from the right edge leftwards, 39 pixels
// apart, for a right column of the given size; links without address skipped.
std::vector<LinkButton> LinkRowLayout(float width, float height);

// app_data_root + "shaders_cache", and whether it is a folder now.
std::string ShadersCachePath();
bool ShadersCacheExists();
// Removes the shader cache folder; a failure shows "ERROR!" with the error
// text and leaves what was removed before it removed. True on success.
bool DeleteShadersCache();

// The custom_user_key field's change: in memory, and in launcher.ini through
// the frame's store (only called when the text changed).
class IniFile;
void SetCustomUserKey(IniFile& store, const std::string& text);

// Test hook: back to the state at process start.
void ResetMainScreenForTesting();
