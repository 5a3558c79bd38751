#pragma once
// Text for drawing: language files and file names may be in UTF-8 or in the
// engine's Windows-1251 code page, and Dear ImGui draws only UTF-8.
#include <string>
#include <string_view>

// Whether the bytes form valid UTF-8 (no overlong forms, no surrogates, no
// code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Valid UTF-8 passes unchanged; anything else is read as Windows-1251.
std::string Cp1251ToUtf8(std::string_view text);
