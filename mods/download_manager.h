#pragma once
// Background downloads of mod archives (single or multi-volume) with live
// progress in the entry's shared status.
#include "mods/catalogue.h"

#include <memory>
#include <string>

namespace DownloadManager {

// Starts a task for the entry whose status is given and returns at once.
// Refused (false) while a task for the same entry still runs.
bool DownloadFileAsync(const std::string& link, const std::string& destination, const std::string& id,
                       std::shared_ptr<ModStatus> status);

// Waits for every task still running (called once at process end).
void WaitForPendingTasks();

}  // namespace DownloadManager
