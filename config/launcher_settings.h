#pragma once
// The launcher's own options in launcher.ini (section "launcher_options"),
// re-read on every frame so that hand edits take effect while it runs.
#include "config/ini_file.h"

#include <optional>
#include <string>

struct LauncherSettings {
    std::string vk_link;
    std::string discord_link;
    std::string appro_link;
    std::string boosty_link;
    std::string github_link;
    std::string mods_ini_link;
    std::string mods_images_link;
    bool quick_start = false;
    bool disable_check_version = false;
    bool enable_mod_manager = true;
    bool enable_download_manager = true;
    std::string language = "rus";  // read from the file once per process
    std::string custom_user_key;   // read from the file once per process
    // Keys of our own, read like the links:
    std::string engine_runner;        // runner for Windows engine executables (empty: wine)
    std::string engine_version_link;  // address of the engine's version header
};

// The built-in defaults (one table).
LauncherSettings DefaultLauncherSettings();

extern LauncherSettings launcher_settings;

// GetGameRoot() + "\\launcher.ini".
std::string LauncherIniPath();

// Creates a missing file, loads it and updates launcher_settings. Returns the
// frame's store, or nothing when the file could not be read (the "Error" box
// has then been shown and the main screen draws nothing in this frame).
std::optional<IniFile> ReadLauncherSettings();

// Sets key in "launcher_options" of the frame's store and saves it whole.
void SaveLauncherSetting(IniFile& store, const std::string& key, const std::string& value);

// Test hook: back to the state at process start (defaults, nothing read once).
void ResetLauncherSettingsForTesting();
