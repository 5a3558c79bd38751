// Any bytes as a language file: the substring scan must not crash or read out
// of bounds, and every text it stores must come out of ToUtf8 as valid UTF-8.
#include "config/localisation.h"

#include "platform/codepage.h"
#include "platform/paths.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!IsValidUtf8(ToUtf8(bytes))) std::abort();

    // The table is read through the launcher's folder; here that is the
    // scratch folder the fuzzer runs in.
    static const bool ready = [] {
        std::filesystem::create_directories("LauncherFiles/text/rus");
        SetGameRootForTesting(std::filesystem::current_path().string());
        return true;
    }();
    (void)ready;
    {
        std::ofstream out("LauncherFiles/text/rus/st_velmora_launcher.xml", std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ResetLocalisationForTesting();
    EnsureTextTable();

    // Look up every id the input names, the way screens draw them.
    size_t pos = 0;
    while ((pos = bytes.find("id=\"", pos)) != std::string_view::npos) {
        pos += 4;
        const size_t end = bytes.find('"', pos);
        if (end == std::string_view::npos) break;
        const std::string key(bytes.substr(pos, end - pos));
        const std::string text = LookupText(key);
        if (text.empty() && !key.empty()) std::abort();
        if (!IsValidUtf8(ToUtf8(text))) std::abort();
        pos = end + 1;
    }
    return 0;
}
