#pragma once
// The engine's own configuration files, read and edited in its line formats:
// fsgame.ltx (path aliases) and user.ltx (console settings, "name value").
//
// Nothing is cached: every call opens and reads the whole file again.
#include <string>
#include <unordered_map>

// Alias name (as written left of '=', e.g. "$app_data_root$") -> resolved path.
using PathAliases = std::unordered_map<std::string, std::string>;

// Reads fsgame.ltx. Throws std::runtime_error("Could not open file: " + path)
// when the file cannot be opened; malformed lines are skipped.
PathAliases LoadPathAliases(const std::string& path);

// The setting's value text (second word of its first line); empty when the
// file or the setting is missing.
std::string ReadUserValue(const std::string& name, const std::string& path);
float ReadUserFloat(const std::string& name, const std::string& path);  // atof
int ReadUserInt(const std::string& name, const std::string& path);      // atoi
bool ReadUserSwitch(const std::string& name, const std::string& path);  // "on"
bool ReadUserBit(const std::string& name, const std::string& path);     // "1"

// Rewrites the file with every line of the setting replaced by "name value".
// A setting without a line is not added. Lines end with LF.
void WriteUserValue(const std::string& name, const std::string& value, const std::string& path);
void WriteUserFloat(const std::string& name, float value, const std::string& path);  // "%f"
void WriteUserInt(const std::string& name, int value, const std::string& path);
void WriteUserSwitch(const std::string& name, bool value, const std::string& path);  // on/off
void WriteUserBit(const std::string& name, bool value, const std::string& path);     // 1/0

// Value text of a setting in already-read user.ltx content, by the same rule
// as ReadUserValue (the graphics panel reads the file once per reload).
std::string FindUserValue(const std::string& content, const std::string& name);

// Formats like WriteUserFloat: "%f".
std::string FormatUserFloat(float value);
