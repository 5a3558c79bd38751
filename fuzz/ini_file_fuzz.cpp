// Any bytes as an INI file: loading must not crash, every walked section must
// hold a key, every walked key must read back its value, and a saved store
// must load again. (Save writes values as stored, without escaping, so a
// value such as "]" after a key "[x" can turn into a header on the way back:
// the format allows no stricter round trip.)
#include "config/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Relative paths: fuzz/run_all.sh runs each target in a scratch folder.
    const char* in_path = "ini_file_fuzz_in.ini";
    const char* out_path = "ini_file_fuzz_out.ini";
    if (FILE* f = std::fopen(in_path, "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    IniFile ini;
    if (!ini.Load(in_path)) std::abort();
    for (const std::string& name : ini.SectionNames()) {
        if (name.empty() || !ini.HasSection(name)) std::abort();
        const IniFile::Section& section = ini.GetSection(name);
        if (section.size() == 0) std::abort();
        for (const auto& [key, value] : section)
            if (ini.GetString(name, key, value + "#") != value) std::abort();
        ini.GetBool(name, "quick_start", true);
    }
    ini.Save(out_path);
    IniFile back;
    if (!back.Load(out_path)) std::abort();
    return 0;
}
