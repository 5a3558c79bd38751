// Placeholder so the launcher links; replaced by the real module.
#include "mods/download_manager.h"
namespace DownloadManager {
bool DownloadFileAsync(const std::string&, const std::string&, const std::string&, std::shared_ptr<ModStatus>) { return false; }
void WaitForPendingTasks() {}
}
