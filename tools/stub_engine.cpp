// A stand-in for the game engine (bin/Halcyon.exe) in the demo and the tests.
// It appends its command line to engine_log.txt in the working folder, writes
// a new save into appdata/savedgames/ (so the launcher's list changes after a
// start) and exits.
//
// Tests that need the exact argument vector set VELMORA_STUB_ARGV_FILE: each
// argument is then written to that file followed by a zero byte.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

void WriteSave(const std::string& command_line) {
    std::error_code ec;
    const fs::path folder = fs::path("appdata") / "savedgames";
    fs::create_directories(folder, ec);
    if (ec) return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &local);
    // Two starts within one second must not overwrite each other's save.
    fs::path save = folder / ("stub_" + std::string(stamp) + ".kesp");
    for (int n = 2; fs::exists(save, ec); ++n) {
        save = folder / ("stub_" + std::string(stamp) + "_" + std::to_string(n) + ".kesp");
    }
    if (FILE* f = std::fopen(save.c_str(), "wb")) {
        std::fprintf(f, "stub save\n%s\n", command_line.c_str());
        std::fclose(f);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i) line += ' ';
        line += argv[i];
    }
    if (FILE* log = std::fopen("engine_log.txt", "ab")) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fclose(log);
    }
    if (const char* dump = std::getenv("VELMORA_STUB_ARGV_FILE")) {
        if (FILE* f = std::fopen(dump, "wb")) {
            for (int i = 0; i < argc; ++i) std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, f);
            std::fclose(f);
        }
    }
    WriteSave(line);
    return 0;
}
