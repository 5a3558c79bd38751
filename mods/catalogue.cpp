#include "mods/catalogue.h"

#include "app/preview.h"
#include "app/startup.h"
#include "config/ini_file.h"
#include "config/launcher_settings.h"
#include "mods/registry.h"
#include "mods/transfer.h"
#include "platform/paths.h"

#include <filesystem>
#include <map>

namespace DownloadManager {

std::vector<DownloadableMod> catalogue;

namespace {

// The id names a preview file beside the catalogue; an id from the remote
// file must not steer that write anywhere else.
bool IsPlainFileName(const std::string& id) {
    return !id.empty() && id != "." && id != ".." && id.find_first_of("/\\") == std::string::npos;
}

bool DownloadedByFolders(const std::string& file_name) {
    // With no file name the tests below would find the folders themselves.
    if (file_name.empty()) return false;
    if (FileExists(kAddonsFolder + file_name + ".zip")) return true;
    if (FileExists(kAddonsFolder + file_name)) return true;
    // Without an engine mod folder the join would name a path from the root.
    return !mod_dir.empty() && FileExists(mod_dir + "/" + file_name);
}

}  // namespace

std::string FileNameFromUrl(const std::string& link) {
    const size_t sep = link.find_last_of("/\\");
    if (sep == std::string::npos) return std::string();
    std::string name = link.substr(sep + 1);
    if (const size_t q = name.find('?'); q != std::string::npos) name.erase(q);
    if (const size_t h = name.find('#'); h != std::string::npos) name.erase(h);
    return name;
}

void LoadCatalogue() {
    // A task keeps writing into its status object; a reload hands the same
    // object to the entry with the same id so its progress stays visible.
    std::map<std::string, std::shared_ptr<ModStatus>> running;
    for (const DownloadableMod& mod : catalogue)
        if (mod.status->task_running) running.emplace(mod.id, mod.status);
    catalogue.clear();
    // The preview files are about to be replaced.
    DropPreviewCache();

    std::error_code ec;
    std::filesystem::create_directories(kAddonsFolder, ec);
    std::filesystem::create_directories(kModsManagerFolder, ec);

    const std::string local_copy = std::string(kModsManagerFolder) + "mods_descr.ini";
    if (!FetchFile(launcher_settings.mods_ini_link, local_copy)) return;
    IniFile store;
    if (!store.Load(local_copy)) return;

    // The registry is read once: the answer is the same for every entry.
    IniFile registry;
    const bool have_registry = registry.Load(kRegistryPath);

    for (const std::string& section : store.SectionNames()) {
        DownloadableMod mod;
        mod.id = section;
        mod.name = store.GetString(section, "name", section);
        mod.description = store.GetString(section, "description", "");
        mod.download_link = store.GetString(section, "download_link", "");
        mod.author = store.GetString(section, "author", "");
        mod.version = store.GetString(section, "version", "");
        mod.parent_mod = store.GetString(section, "parent_mod", "");
        const std::string file_name = FileNameFromUrl(mod.download_link);

        if (auto it = running.find(mod.id); it != running.end()) {
            mod.status = it->second;
            running.erase(it);
        } else {
            mod.status->downloaded = have_registry ? registry.GetBool(kRegistrySection, mod.id, false)
                                                   : DownloadedByFolders(file_name);
        }

        if (IsPlainFileName(mod.id))
            FetchFile(launcher_settings.mods_images_link + mod.id + ".dds", kModsManagerFolder + mod.id + ".dds");
        catalogue.push_back(std::move(mod));
    }
}

void ResetCatalogueForTesting() { catalogue.clear(); }

}  // namespace DownloadManager
