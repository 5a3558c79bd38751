#pragma once
// Localised texts: one table filled from LauncherFiles/text/<lang>/st_velmora_launcher.xml.
// Every localised text is drawn as ToUtf8(LookupText(key)).
#include "config/ini_file.h"

#include <string>
#include <string_view>
#include <vector>

extern std::string CurrentLanguage;  // starts as "rus"

// The key's text, or the key itself when it is missing or no table exists.
std::string LookupText(const std::string& key);

// Valid UTF-8 passes unchanged; anything else is read as Windows-1251.
std::string ToUtf8(std::string_view text);

// Adds the file's entries to the table; true when the file was read and the
// table then holds at least one entry.
bool LoadLanguageFile(const std::string& path);

// GetGameRoot() + "\\LauncherFiles\\text\\" + lang + "\\st_velmora_launcher.xml".
std::string LanguageFilePath(const std::string& lang);

// Language folders under LauncherFiles/text (working directory) that hold the
// language file, in listing order; never empty ("eng" when none).
std::vector<std::string> DiscoverLanguages();

// Makes the language current, records it in launcher.ini through the frame's
// store and loads its file.
void ChangeLanguage(IniFile& store, const std::string& name);

// Called first on every main-screen frame: creates and fills the table when
// none exists.
void EnsureTextTable();

// The language selector's starting position (worked out the first time it is
// drawn): the position of current in the list, else 0 for "rus", else 1.
int InitialLanguagePosition(const std::vector<std::string>& languages, const std::string& current);

// Test hook: no table, CurrentLanguage "rus".
void ResetLocalisationForTesting();
