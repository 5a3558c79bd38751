#pragma once
// Size of the primary display (SDL_GetDisplayBounds(0)).
struct DisplaySize {
    int width = 0;
    int height = 0;
};

// The primary display's bounds. Headless runs (tests, benchmarks) set a fixed
// size with SetDisplaySizeForTesting; without SDL video and without an
// override the result is 1920x1080.
DisplaySize GetPrimaryDisplaySize();

void SetDisplaySizeForTesting(int width, int height);
