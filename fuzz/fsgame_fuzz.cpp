// fsgame.ltx reader on arbitrary bytes: must never crash or hang, and every
// alias it returns must come from a line of the file (non-empty value).
#include "config/engine_files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = "fuzz_fsgame.ltx";
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const PathAliases aliases = LoadPathAliases(path);
    for (const auto& [name, value] : aliases)
        if (name.empty() || value.empty()) std::abort();
    return 0;
}
