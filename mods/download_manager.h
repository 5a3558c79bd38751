#pragma once
// Background downloads of mod archives (single or multi-volume) with live
// progress in the entry's shared status.
//
// A task addresses its entry's status object, never a position in catalogue,
// so sorting and reloading the list cannot misdirect it. Diagnostic lines are
// Russian (UTF-8), one per event, on standard output or standard error.
#include "mods/catalogue.h"

#include <curl/curl.h>

#include <memory>
#include <string>

namespace DownloadManager {

// Starts a task for the entry whose status is given and returns at once:
// downloads `link` to `destination` (a multi-volume set when the server has
// one), installs it and, on success, records `id` in the registry. Sets
// status->downloading. Refused (false) while a task for the same status runs.
bool DownloadFileAsync(const std::string& link, const std::string& destination, const std::string& id,
                       std::shared_ptr<ModStatus> status);

// The task's body: multi-volume attempt, else one file, then installation.
// True when the download succeeded (an installation failure does not count).
bool DownloadFile(const std::string& link, const std::string& destination, ModStatus& status);

// Probes for volumes and, when there are any, downloads and installs them.
// True only when a multi-volume set was downloaded.
bool DownloadMultiVolume(const std::string& link, const std::string& destination, ModStatus& status);

// One file transfer into `destination`, deleted again on failure. With no
// transfer given it creates and releases its own. Byte counts go to `status`
// when one is given.
bool DownloadPart(const std::string& link, const std::string& destination, CURL* transfer, ModStatus* status);

// The text before the last '.' of the last path segment (the whole text when
// that segment has none), and volume n made from it: base + ".part" + n + ".zip".
std::string VolumeBase(const std::string& link_or_path);
std::string VolumeName(const std::string& base, int n);

// Probing stops here even when a server answers 200 to every address.
inline constexpr int kMaxVolumes = 100;

// Waits for every task still running (called once at process end; tests call
// it to finish their downloads).
void WaitForPendingTasks();

// Test hook: waits for running tasks, empties the catalogue and restores the
// transfer time limits.
void ResetDownloadsForTesting();

}  // namespace DownloadManager
