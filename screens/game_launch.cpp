#include "screens/game_launch.h"

#include "config/launcher_settings.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "screens/main_screen.h"
#include "screens/saved_games.h"

namespace {

LaunchSwitches CurrentSwitches() {
    LaunchSwitches s;
    s.lua_dbg = main_screen.lua_dbg;
    s.jpg_screenshots = main_screen.jpg_screenshots;
    s.no_prefetch = main_screen.no_prefetch;
    return s;
}

std::optional<std::string> EngineOrMessage() {
    auto executable = ChooseEngineExecutable();
    if (!executable) ShowError("ERROR!!!", "Halcyon.exe or Dunmark.exe not found!");
    return executable;
}

}  // namespace

std::optional<std::string> ChooseEngineExecutable() {
    if (FileExists("bin/Halcyon.exe")) return std::string("bin/Halcyon.exe");
    if (FileExists("bin/Dunmark.exe")) return std::string("bin/Dunmark.exe");
    return std::nullopt;
}

std::string SwitchTexts(const LaunchSwitches& switches) {
    std::string text;
    if (switches.lua_dbg) text += " -lua_dbg";
    if (switches.jpg_screenshots) text += " -ss_jpg";
    if (switches.no_prefetch) text += " -noprefetch";
    return text;
}

std::string StartGameCommandLine(const std::string& executable, const LaunchSwitches& switches,
                                 const std::string& extra) {
    return executable + SwitchTexts(switches) + extra;
}

std::string LoadSaveCommandLine(const std::string& executable, const std::string& save,
                                const LaunchSwitches& switches, const std::string& extra) {
    return executable + " -start server(" + save + "/single/alife/load) client(localhost)" + SwitchTexts(switches) +
           extra;
}

void StartGame() {
    const auto executable = EngineOrMessage();
    if (!executable) return;
    RunAndWait(StartGameCommandLine(*executable, CurrentSwitches(), launcher_settings.custom_user_key),
               launcher_settings.engine_runner);
}

void LoadSave() {
    const auto executable = EngineOrMessage();
    if (!executable) return;
    RunAndWait(LoadSaveCommandLine(*executable, selected_save, CurrentSwitches(), launcher_settings.custom_user_key),
               launcher_settings.engine_runner);
    selected_save.clear();
}
