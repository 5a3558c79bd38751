#pragma once
// Starting the engine for a new game or a saved one. Both calls block the
// frame thread until the engine has exited.
#include <optional>
#include <string>

// The launch switches of the main screen, in command-line order.
struct LaunchSwitches {
    bool lua_dbg = false;          // " -lua_dbg"
    bool jpg_screenshots = false;  // " -ss_jpg"
    bool no_prefetch = false;      // " -noprefetch"
};

// "bin/Halcyon.exe" when it can be opened, else "bin/Dunmark.exe", else
// nothing. Both are relative to the working folder.
std::optional<std::string> ChooseEngineExecutable();

std::string SwitchTexts(const LaunchSwitches& switches);

// Executable, switch texts, then the extra text exactly as it stands.
std::string StartGameCommandLine(const std::string& executable, const LaunchSwitches& switches,
                                 const std::string& extra);
// Executable, " -start server(<save>/single/alife/load) client(localhost)",
// switch texts, extra text.
std::string LoadSaveCommandLine(const std::string& executable, const std::string& save,
                                const LaunchSwitches& switches, const std::string& extra);

// The main screen's switches and launcher_settings.custom_user_key; shows
// "Halcyon.exe or Dunmark.exe not found!" when there is no engine.
void StartGame();
// The same for selected_save, which is emptied afterwards (not when no engine
// was found).
void LoadSave();
