// Placeholder so the launcher links; replaced by the real module.
#include "mods/conflict_dialog.h"
void DrawConflictDialog() {}
