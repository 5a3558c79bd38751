#pragma once
// A test hook for the end-to-end tests: when the environment variable
// VELMORA_UI_PROBE names a file, the rectangles of the items that the screens
// label with ProbeItem() are written there after every frame in which they
// changed, one line "name x0 y0 x1 y1" each, in window coordinates. The tests
// read it to click the real window. Without the variable nothing is recorded.
#include <string>

// Records the rectangle of the last drawn item under `name`.
void ProbeItem(const std::string& name);

// Called by the shell once per frame, after the frame was built.
void ProbeFrameEnd();
