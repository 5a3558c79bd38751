#pragma once
// The mods manager panel of the main screen's right column: the installed mods
// view and (through DrawCatalogue) the catalogue of downloadable mods.
#include <string>

struct InstalledMod;

struct ModsManagerState {
    bool catalogue_view = false;  // the catalogue view is shown instead of the installed view
    int selected_mod = -1;        // position in catalogue of the entry whose details show
    bool show_details = false;    // set by the first click on a catalogue row
};
extern ModsManagerState mods_manager;

void DrawModsManager();

// What a changed box does: records the new state, then enables the mod (or
// records a pending conflict for the dialog) or disables it.
void SetModEnabled(InstalledMod& mod, bool enabled);

// The check box label of installed_mods[index]: the name, made unique with a
// hidden suffix when an earlier record has the same name (one folder in each
// place), so each box has an id of its own.
std::string ModCheckboxLabel(size_t index);

// Test hook: back to the installed view, nothing selected; also resets the
// installed mods and the pending conflict.
void ResetModsManagerForTesting();
