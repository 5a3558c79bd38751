#pragma once
// Small text helpers shared by the readers of the launcher's and the engine's
// files.
#include <string>
#include <string_view>
#include <vector>

// The classic whitespace set: space, tab, line feed, vertical tab, form feed,
// carriage return. Bytes of 0x80 and above are never whitespace.
bool IsClassicSpace(char c);
std::string Trim(std::string_view text);

// Reads a whole file as bytes; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& out);

// Splits file content into lines the way a text-mode stream reads them: a line
// ends at each line feed (the last line needs none), and a carriage return
// right before a line feed belongs to the line end.
std::vector<std::string> SplitLines(std::string_view content);
