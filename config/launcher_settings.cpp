// Placeholder so the launcher links; replaced by the real module.
#include "config/launcher_settings.h"
#include "platform/paths.h"
LauncherSettings launcher_settings;
LauncherSettings DefaultLauncherSettings() { return {}; }
std::string LauncherIniPath() { return GetGameRoot() + "\\launcher.ini"; }
std::optional<IniFile> ReadLauncherSettings() { return IniFile(); }
void SaveLauncherSetting(IniFile&, const std::string&, const std::string&) {}
void ResetLauncherSettingsForTesting() { launcher_settings = {}; }
