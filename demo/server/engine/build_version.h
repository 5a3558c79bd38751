// Halcyon engine build version, published with the engine source.
// The launcher compares the product version of bin/Halcyon.exe with the
// value below; the padding keeps the line break out of its ten bytes.
#pragma once

#define GAME_VERSION "1.6.02"    
#define GAME_BUILD_DATE "2026-03-01"
