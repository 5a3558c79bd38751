#pragma once
// PostQuitMessage(0) of the launcher: asks the frame loop to end at its next
// event check, before another frame is drawn (a pushed SDL_QUIT).
void PostQuit();

// True once PostQuit() has been called; headless tests read it.
bool QuitPosted();
void ResetQuitForTesting();
