#pragma once
// The graphics options panel of the main screen's right column.
namespace GraphicsPanel {
// Reloads when requested, works out list positions, draws, writes changes.
void Draw();
// The next Draw reads every setting from user.ltx first.
void RequestReload();
}  // namespace GraphicsPanel
