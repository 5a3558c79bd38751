#pragma once
// The saved games panel: the engine's saves, newest first, and the picked
// save with its preview and load button. Frame thread only.
#include <filesystem>
#include <string>
#include <vector>

struct SavedGame {
    std::string name;                      // file name cut at its last '.'
    std::filesystem::file_time_type time;  // last-write time
};

// The save the player picked (its name); empty when none.
extern std::string selected_save;

// app_data_root + "savedgames".
std::string SavesFolder();

// One level of `folder`: entries whose name holds ".kesp" or ".sav", newest
// first. A folder that is missing or cannot be listed gives an empty list; an
// entry whose time cannot be read is left out.
std::vector<SavedGame> ListSavedGames(const std::string& folder);

// "dd.mm.YYYY HH:MM:SS" in the local time zone.
std::string FormatSaveTime(std::filesystem::file_time_type time);

// What a click on a save's row does: selects it and loads its preview.
void PickSave(const std::string& name);

void DrawSavedGames();
void DrawSaveSelection();

// Test hook: no save picked.
void ResetSavedGamesForTesting();
