// Placeholder so the launcher links; replaced by the real module.
#include "mods/catalogue.h"
namespace DownloadManager {
std::vector<DownloadableMod> catalogue;
void LoadCatalogue() {}
std::string FileNameFromUrl(const std::string&) { return {}; }
}
