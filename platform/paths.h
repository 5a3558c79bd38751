#pragma once
// File-system helpers shared by the whole launcher.
//
// All paths are byte strings. The engine's files and the launcher's own path
// joins use Windows separators ("appdata\\", "\\fsgame.ltx"); on Linux a
// backslash is a separator too, so every path is passed through ToFsPath()
// where it meets the file system.
#include <string>
#include <string_view>

// Turns every '\' into '/'.
std::string ToFsPath(std::string_view path);

// Folder of the running executable (from /proc/self/exe), without a trailing
// separator. Computed anew on every call.
std::string GetGameRoot();

// Tests run the launcher's code from a test binary; this points GetGameRoot()
// at a temporary game folder instead. An empty string restores the default.
void SetGameRootForTesting(const std::string& folder);

// The launcher's one presence test: true when the file can be opened for
// reading (a file that exists but cannot be read counts as missing).
bool FileExists(const std::string& path);
