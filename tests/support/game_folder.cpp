#include "support/game_folder.h"

#include "app/preview.h"
#include "app/shell.h"
#include "app/startup.h"
#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "mods/download_manager.h"
#include "graphics/graphics_panel.h"
#include "mods/mods_manager_screen.h"
#include "platform/paths.h"
#include "platform/quit.h"
#include "presence/rich_presence.h"
#include "screens/main_screen.h"
#include "screens/saved_games.h"
#include "screens/version_check.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {
fs::path MakeTempDir() {
    std::string tmpl = (fs::temp_directory_path() / "velmora-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    return fs::path(tmpl);
}
}  // namespace

TempDir::TempDir() : path_(MakeTempDir()) {}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempGameFolder::DefaultFsgame() {
    return "; engine file system\r\n"
           "$app_root$ = true| false| $fs_root$|\r\n"
           "$app_data_root$ = true | false | $fs_root$ | appdata\\\r\n"
           "$mod_dir$ = true | false | $app_data_root$ | mods\\\r\n";
}

TempGameFolder::TempGameFolder(const std::string& fsgame) : root_(MakeTempDir()), previous_cwd_(fs::current_path()) {
    fs::current_path(root_);
    SetGameRootForTesting(root_.string());
    ResetLauncherState();
    if (!fsgame.empty()) Write("fsgame.ltx", fsgame);
}

TempGameFolder::~TempGameFolder() {
    std::error_code ec;
    fs::current_path(previous_cwd_, ec);
    SetGameRootForTesting("");
    ResetLauncherState();
    fs::remove_all(root_, ec);
}

void TempGameFolder::Write(const std::string& relative, const std::string& content) const {
    const fs::path p = root_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempGameFolder::Read(const std::string& relative) const {
    std::ifstream in(root_ / relative, std::ios::binary);
    if (!in) return std::string();
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void TempGameFolder::InstallStubEngine(const std::string& relative) const {
    const fs::path target = root_ / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(VELMORA_STUB_ENGINE, target, fs::copy_options::overwrite_existing);
}

std::string TempGameFolder::LastEngineLogLine() const {
    std::string log = Read("engine_log.txt");
    if (log.empty()) return log;
    log.pop_back();
    return log.substr(log.rfind('\n') + 1);
}

void ResetLauncherState() {
    keep_running = true;
    first_frame_done = false;
    ResetStartupForTesting();
    ResetLauncherSettingsForTesting();
    ResetLocalisationForTesting();
    ResetQuitForTesting();
    ResetRichPresenceForTesting();
    ResetGraphicsPanelForTesting();
    ResetModsManagerForTesting();
    ResetMainScreenForTesting();
    ResetSavedGamesForTesting();
    ResetVersionCheckForTesting();
    DropPreviewCache();
    preview_texture = nullptr;
    DownloadManager::ResetDownloadsForTesting();
}
