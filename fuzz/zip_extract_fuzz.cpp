// Arbitrary bytes as a mod archive: ExtractArchive must refuse or extract
// without a crash, and never write outside "available_addons". Runs in the
// current folder (fuzz/run_all.sh gives each target a scratch folder).
#include "mods/archive.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Thousands of "Extracting:" lines per second would only slow the run.
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* archive = "fuzz_input.zip";
    if (FILE* f = std::fopen(archive, "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    ExtractArchive(archive, nullptr);
    std::error_code ec;
    fs::remove(archive, ec);
    // Only the target folder (and the archive, now gone) may exist here.
    for (const auto& entry : fs::directory_iterator(fs::current_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name != "available_addons") std::abort();
    }
    fs::remove_all("available_addons", ec);
    return 0;
}
