#pragma once
// The product version recorded in a Windows executable's version resource,
// read straight from the PE file: DOS and PE headers, section table, resource
// directory, RT_VERSION, VS_VERSIONINFO and its VS_FIXEDFILEINFO. Every
// offset and size is checked against the file; a malformed file gives nothing.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The four 16-bit parts: high and low half of dwProductVersionMS, then of
// dwProductVersionLS.
using ProductVersion = std::array<uint16_t, 4>;

std::optional<ProductVersion> ReadProductVersion(std::string_view file_bytes);

// Reads only the parts of the file the walk needs (the engine executable is
// large and may be asked on every frame).
std::optional<ProductVersion> ReadProductVersionFromFile(const std::string& path);
