#include "mods/registry.h"

#include "config/ini_file.h"
#include "platform/paths.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// Two download tasks may end together, and the screen may create the empty
// file meanwhile: one writer at a time within the process.
std::mutex registry_mutex;
std::atomic<unsigned> temp_counter{0};
}  // namespace

void RecordDownloadedMod(const std::string& id) {
    std::lock_guard lock(registry_mutex);
    const fs::path path = ToFsPath(kRegistryPath);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);

    IniFile registry;
    // A registry that is there but cannot be read would be replaced by one
    // holding only this mod: keep it as it is instead.
    if (!registry.Load(path.string()) && fs::exists(path, ec)) return;
    registry.SetValue(kRegistrySection, id, "true");

    // A reader (or a crash) never sees a half-written registry: the new
    // contents go to a file of their own, which then replaces the old one.
    const fs::path temp = path.string() + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(temp_counter++);
    registry.Save(temp.string());
    IniFile written;
    if (!written.Load(temp.string()) || written.GetString(kRegistrySection, id, "") != "true") {
        fs::remove(temp, ec);
        return;
    }
    fs::rename(temp, path, ec);
    if (ec) fs::remove(temp, ec);
}
