// Placeholder so the launcher links; replaced by the real module.
#include "mods/catalogue_view.h"
void DrawCatalogue() {}
void DrawSpinner(float, ImU32) {}
