#pragma once
// Installed mods: folders in "available_addons" (disabled) and in the engine's
// mod folder mod_dir (enabled); enabling and disabling move them between the
// two after a check for files that two mods would share.
#include <filesystem>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

struct InstalledMod {
    std::filesystem::path path;  // as the directory walk found it
    std::string name;            // the folder's own name
    bool enabled = false;        // found in the engine mod folder
};

// Mod name -> shared relative paths ('/' separators), names in byte order.
using ConflictMap = std::map<std::string, std::vector<std::string>>;

extern std::vector<InstalledMod> installed_mods;
extern ConflictMap pending_conflicts;
extern std::string pending_mod;
extern bool conflict_pending;

std::vector<InstalledMod> ListInstalledMods();

// Builds a fresh list. On the frame thread it replaces installed_mods at once;
// from a worker thread the new list is handed over and swapped in by
// TakeRefreshedInstalledMods() at the start of the next frame.
void RefreshInstalledMods();

// Frame thread, start of a frame: swaps in a list built by a worker, if any.
void TakeRefreshedInstalledMods();

bool NaturalLess(const InstalledMod& a, const InstalledMod& b);
std::unordered_set<std::string> ListModFiles(const std::filesystem::path& folder);
ConflictMap FindConflicts(const std::string& name);
bool EnableMod(const std::string& name);
bool DisableMod(const std::string& name);
