// Placeholder so the launcher links; replaced by the real module.
#include "mods/archive.h"
bool ExtractArchive(const std::string&, ExtractProgress*) { return false; }
bool MakeDirectoryPath(const std::string&) { return false; }
