#pragma once
// The graphics options panel of the main screen's right column: the settings
// of the catalogue in eleven groups, every change written to user.ltx at once.
#include "graphics/graphics_catalogue.h"

#include <string>
#include <vector>

struct GraphicsPanelState {
    GraphicsSettings settings;             // the panel's copy of user.ltx
    bool reloadRequested = false;          // the next Draw reads user.ltx first
    std::vector<std::string> resolutions;  // vid_mode's list, built by the first Draw and kept
};
extern GraphicsPanelState graphics_panel;

namespace GraphicsPanel {
// Reloads when requested, works out list positions, draws, writes changes.
void Draw();
// The next Draw reads every setting from user.ltx first.
void RequestReload();
}  // namespace GraphicsPanel

// Test hook: back to the state at process start.
void ResetGraphicsPanelForTesting();
