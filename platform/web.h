#pragma once
// Opening web pages in the desktop's browser.
#include <string>

// Starts `xdg-open <address>` (the address as one argument, no shell) and
// returns at once; the child is reaped in the background. Returns false when
// xdg-open could not be started. The result is not shown to the player.
bool OpenWebPage(const std::string& address);

// Test hook: the program started instead of xdg-open (empty: xdg-open).
void SetWebOpenerForTesting(const std::string& program);
