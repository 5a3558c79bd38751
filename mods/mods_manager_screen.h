#pragma once
// The mods manager panel of the main screen's right column: the installed mods
// view and (through DrawCatalogue) the catalogue of downloadable mods.
struct ModsManagerState {
    bool catalogue_view = false;  // the catalogue view is shown instead of the installed view
    int selected_mod = -1;        // position in catalogue of the entry whose details show
    bool show_details = false;    // set by the first click on a catalogue row
};
extern ModsManagerState mods_manager;

void DrawModsManager();
