// Placeholder so the launcher links; replaced by the real module.
#include "config/localisation.h"
std::string CurrentLanguage = "rus";
std::string LookupText(const std::string& key) { return key; }
std::string ToUtf8(std::string_view text) { return std::string(text); }
bool LoadLanguageFile(const std::string&) { return false; }
std::string LanguageFilePath(const std::string& lang) { return lang; }
std::vector<std::string> DiscoverLanguages() { return {"eng"}; }
void ChangeLanguage(IniFile&, const std::string& name) { CurrentLanguage = name; }
void EnsureTextTable() {}
int InitialLanguagePosition(const std::vector<std::string>&, const std::string&) { return 0; }
void ResetLocalisationForTesting() { CurrentLanguage = "rus"; }
