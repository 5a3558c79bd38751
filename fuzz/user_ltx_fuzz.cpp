// user.ltx reader and writer on arbitrary bytes: reading from memory and from
// the file agree, and a write followed by a read gives the written value back
// whenever the setting has a line.
#include "config/engine_files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const char* path = "fuzz_user.ltx";
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    // Take the setting name from the first word of the input, so writes hit.
    const std::string name = content.substr(0, content.find_first_of(" \n"));
    const std::string before = ReadUserValue(name, path);
    if (before != FindUserValue(content, name)) std::abort();
    if (name.empty() || name.find('\r') != std::string::npos) return 0;
    WriteUserValue(name, "fuzzvalue", path);
    const std::string after = ReadUserValue(name, path);
    if (!before.empty() && after != "fuzzvalue") std::abort();
    return 0;
}
