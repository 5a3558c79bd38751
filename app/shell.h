#pragma once
// Shell state shared with the screens: fonts, window geometry and the flags of
// the frame loop. Frame thread only.
#include <imgui.h>

extern bool keep_running;      // the launcher window's open flag; cleared by a close request
extern bool first_frame_done;  // the first frame's start-up work has run
extern ImVec2 window_base_size;  // half the primary display
extern ImFont* SmallFont;      // 17 px
extern ImFont* LargeFont;      // 30 px

// Name of the launcher window (and title of its OS window).
inline constexpr const char* kLauncherWindowName = "Velmora Team Launcher";

// Dark style with the launcher's colour and size overrides.
void ApplyLauncherStyle();

// Adds the three fonts (22, 17, 30 px) from the embedded face, with the Latin
// and Cyrillic ranges; the face is never copied or freed by the atlas.
void AddLauncherFonts(ImGuiIO& io);

// Sets window_base_size from the primary display.
void ComputeWindowBaseSize();

// The body of one frame between ImGui::NewFrame and ImGui::EndFrame: start-up
// on the first frame, the main screen on every later one. Returns false when
// start-up failed and the process must end with exit code 1.
bool LauncherFrame();

// Asks for full-rate frames for a while: something on screen moves by itself
// (a spinner, a progress bar). Without input or such a request the shell
// draws only a few frames a second, so an idle launcher costs little CPU.
void KeepAnimating();

// Runs the launcher; the process's exit code.
int RunLauncher();
