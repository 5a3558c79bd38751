// Placeholder so the launcher links; replaced by the real module.
#include "mods/installed_mods.h"
std::vector<InstalledMod> installed_mods;
ConflictMap pending_conflicts;
std::string pending_mod;
bool conflict_pending = false;
std::vector<InstalledMod> ListInstalledMods() { return {}; }
void RefreshInstalledMods() {}
void TakeRefreshedInstalledMods() {}
bool NaturalLess(const InstalledMod& a, const InstalledMod& b) { return a.name < b.name; }
std::unordered_set<std::string> ListModFiles(const std::filesystem::path&) { return {}; }
ConflictMap FindConflicts(const std::string&) { return {}; }
bool EnableMod(const std::string&) { return false; }
bool DisableMod(const std::string&) { return false; }
