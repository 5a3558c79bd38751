#pragma once
// The catalogue view of the mods manager: downloadable mods with previews,
// live progress and the details pane.
#include <imgui.h>

void DrawCatalogue();
void DrawSpinner(float radius, ImU32 colour);
