#pragma once
// Whether the installed engine is the latest published one: the product
// version of bin/Halcyon.exe against the GAME_VERSION of the engine's version
// header, fetched once per process. Frame thread only.
#include <imgui.h>

#include <string>

extern std::string engine_version;       // installed engine's version text, "a.b.cd"
extern bool version_checked;             // the check has run in this process
extern bool version_is_latest;           // engine_version equals the latest text
extern std::string latest_version_text;  // "(Last version: " + latest + ")"

// Product version a.b.c.d written as "a.b.cd"; empty when the file cannot be
// read or has no version resource.
std::string ReadEngineVersion(const std::string& path);

// The text after the first "GAME_VERSION" of the page at `address` (skipping
// the name and two more bytes, at most 10 bytes), with every character of
// `remove` taken out; empty when the page cannot be fetched or lacks the name.
std::string FetchLatestVersion(const std::string& address, const std::string& remove);

// Fetches the latest version from launcher_settings.engine_version_link, sets
// latest_version_text and version_checked; whether `installed` equals it.
bool CheckEngineVersion(const std::string& installed);

// The main screen's per-frame step: reads engine_version while it is empty,
// then runs the check once per process.
void UpdateEngineVersion();

struct EngineVersionLine {
    std::string text;  // already converted to UTF-8
    ImVec4 colour;
};
// The line DrawEngineVersionLine shows, by disable_check_version and the verdict.
EngineVersionLine ComposeEngineVersionLine();
void DrawEngineVersionLine();

// Test hook: back to the state at process start.
void ResetVersionCheckForTesting();
