// Placeholder so the launcher links; replaced by the real module.
#include "mods/registry.h"
void RecordDownloadedMod(const std::string&) {}
