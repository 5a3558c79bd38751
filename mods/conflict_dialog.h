#pragma once
// The modal dialog that lists the files a mod would share with enabled mods.
// Drawn by the main screen after its right column while conflict_pending is set.
void DrawConflictDialog();
