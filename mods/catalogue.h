#pragma once
// The remote mod catalogue and its in-memory list.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace DownloadManager {

// Live status of one entry, shared by the entry and its download task, so a
// reload or a sort of the list never makes a task write into the wrong entry.
struct ModStatus {
    std::atomic<bool> downloaded{false};
    std::atomic<bool> downloading{false};
    std::atomic<bool> installing{false};
    std::atomic<int> current_entry{0};
    std::atomic<int> entry_count{0};
    std::atomic<bool> transfer_live{false};       // a transfer is running
    std::atomic<long long> bytes_received{0};     // of the running transfer
    std::atomic<long long> bytes_announced{0};    // body length the server announced
    std::atomic<bool> task_running{false};        // a download task owns this entry
};

struct DownloadableMod {
    std::string id;
    std::string name;
    std::string description;
    std::string author;
    std::string parent_mod;
    std::string download_link;
    std::string version;
    std::shared_ptr<ModStatus> status = std::make_shared<ModStatus>();
};

extern std::vector<DownloadableMod> catalogue;

inline constexpr const char* kAddonsFolder = "available_addons/";
inline constexpr const char* kModsManagerFolder = "LauncherFiles/ModsManager/";

// Rebuilds catalogue from mods_ini_link (blocks the frame thread). Entries
// whose download task still runs keep their status object.
void LoadCatalogue();

// The file name part of a download link.
std::string FileNameFromUrl(const std::string& link);

// Test hook: an empty catalogue.
void ResetCatalogueForTesting();

}  // namespace DownloadManager
