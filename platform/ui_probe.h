#pragma once
// A test hook for the end-to-end tests: when the environment variable
// VELMORA_UI_PROBE names a file, the rectangles of the items that the screens
// label with ProbeItem() are written there after every frame, one line
// "name x0 y0 x1 y1 [text]" each, in window coordinates, after a first line
// "frame N". The tests read it to click the real window and to see that frames
// keep coming. Without the variable nothing is recorded.
#include <imgui.h>

#include <string>

// Records the rectangle of the last drawn item under `name`, with an optional
// text (a caption the test may check).
void ProbeItem(const std::string& name, const std::string& text = std::string());

// Records an arbitrary rectangle (pictures drawn on a draw list, the frame of
// a control without its label).
void ProbeRect(const std::string& name, ImVec2 min, ImVec2 max, const std::string& text = std::string());

// Called by the shell once per frame, after the frame was built.
void ProbeFrameEnd();
