#pragma once
// The catalogue view of the mods manager: downloadable mods with previews,
// live progress and the details pane.
#include "mods/catalogue.h"

#include <imgui.h>

#include <string>
#include <vector>

// Draws the view for one frame (inside DrawModsManager).
void DrawCatalogue();

// The busy indicator: an arc turning around a fixed origin, one layout item.
void DrawSpinner(float radius, ImU32 colour);

// What the list draws, in order: group headings with their separators, and
// the rows. Worked out from the list as sorted for the frame.
struct CatalogueLine {
    enum Kind { kDoubleSeparator, kHeading, kSeparator, kRow };
    Kind kind;
    int index;  // the row's entry; for a heading, the entry whose parent_mod it names
};
std::vector<CatalogueLine> CatalogueLayout(const std::vector<DownloadManager::DownloadableMod>& mods);

// Stable sort by parent_mod in byte order, so positions keep still between frames.
void SortCatalogue(std::vector<DownloadManager::DownloadableMod>& mods);

// received / announced of the live transfer (0 without a positive length), and
// (current_entry - 1) / entry_count capped at 1 (0 without entries).
float DownloadFraction(const DownloadManager::ModStatus& status);
float InstallFraction(const DownloadManager::ModStatus& status);

// The row rounds ("%.0f%%"); the details overlays cut to a whole number.
std::string RowPercentText(float fraction);
std::string DownloadOverlay(float fraction);
std::string InstallOverlay(float fraction, int current_entry, int entry_count);

// The download button's work for the entry at `index`: refused while its task
// runs or when there is no such entry.
bool StartCatalogueDownload(int index);

// Creates an empty registry file when none can be read; never replaces one.
void EnsureRegistryFile();
