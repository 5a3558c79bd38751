#pragma once
// The one preview slot shared by the saved games list and the mods manager.
#include <imgui.h>

#include <string>

extern ImTextureID preview_texture;

// Tries stem + ".png" first (stem: the path up to its last '.'), then the path
// as given; a success fills preview_texture. Decoded textures are cached by
// path, size and modification time, so an unchanged file is decoded once.
void LoadPreviewTexture(std::string path);

// Forgets every cached preview (the catalogue reload replaces the files). The
// textures are released after the current frame has been rendered; the one in
// preview_texture stays valid until the slot holds another picture.
void DropPreviewCache();
