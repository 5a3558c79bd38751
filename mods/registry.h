#pragma once
// The registry of downloaded mods, LauncherFiles/ModsManager/downloaded_mods.ini.
#include <string>

inline constexpr const char* kRegistryPath = "LauncherFiles/ModsManager/downloaded_mods.ini";
inline constexpr const char* kRegistrySection = "DownloadedModsStatus";

// Adds "id = true" to the registry, keeping the entries already there
// (read-modify-write under one process-wide lock, written to a temporary file
// and renamed over the old one).
void RecordDownloadedMod(const std::string& id);
