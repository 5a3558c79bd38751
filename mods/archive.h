#pragma once
// Archive installation: extracts a mod's zip into "available_addons".
#include <atomic>
#include <string>

// Counters the installer writes while it runs (the catalogue entry's
// current_entry and entry_count); the frame thread reads them.
struct ExtractProgress {
    std::atomic<int>* current_entry = nullptr;
    std::atomic<int>* entry_count = nullptr;
};

// True when every entry was extracted; the archive is then deleted and the
// installed-mods list rebuilt. Diagnostics go to standard output.
bool ExtractArchive(const std::string& archive, ExtractProgress* progress);

// Creates the folder and every missing parent; true when all exist afterwards.
bool MakeDirectoryPath(const std::string& path);
