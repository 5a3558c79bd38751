// Placeholder so the launcher links; replaced by the real module.
#include "app/preview.h"
ImTextureID preview_texture = nullptr;
void LoadPreviewTexture(std::string) {}
void DropPreviewCache() {}
