// Placeholder so the launcher links; replaced by the real module.
#include "mods/mods_manager_screen.h"
ModsManagerState mods_manager;
void DrawModsManager() {}
