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

inline constexpr const char* kAvailableAddonsDir = "available_addons";

extern std::vector<InstalledMod> installed_mods;
extern ConflictMap pending_conflicts;
extern std::string pending_mod;
extern bool conflict_pending;

// Never throws: a folder that cannot be listed contributes no records. With an
// empty mod_dir the engine mod folder is not listed.
std::vector<InstalledMod> ListInstalledMods();

// Builds a fresh list. On the frame thread it replaces installed_mods at once;
// from a worker thread the new list is handed over and swapped in by
// TakeRefreshedInstalledMods() at the start of the next frame. Either way a
// box whose state differs from where its folder was found (a pending
// conflict, a move that failed) keeps the state the user gave it.
void RefreshInstalledMods();

// Frame thread, start of a frame: swaps in a list built by a worker, if any.
// The first call marks the calling thread as the frame thread.
void TakeRefreshedInstalledMods();

bool NaturalLess(const InstalledMod& a, const InstalledMod& b);
// Relative paths of the regular files below the folder; empty when the folder
// is missing or cannot be walked.
std::unordered_set<std::string> ListModFiles(const std::filesystem::path& folder);
ConflictMap FindConflicts(const std::string& name);
// Both refuse (false, disk untouched) when mod_dir is empty. A move across
// file systems copies and then removes; a failed copy leaves the source whole.
bool EnableMod(const std::string& name);
bool DisableMod(const std::string& name);

// Test hooks: empty lists, no conflict, no frame thread, no hand-over; and a
// switch that makes every move take the copy path.
void ResetInstalledModsForTesting();
void ForceCopyMovesForTesting(bool on);
