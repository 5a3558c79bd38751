// The conflict check of ticking a mod: a candidate of 20,000 files against 10
// enabled mods of 20,000 files each (1,000 of them shared with each mod).
//
//   build-mods/bench/conflicts_bench
//
// The 220,000 empty files are laid out once per run, on /dev/shm when it is a
// tmpfs (else under $TMPDIR), and removed at the end.
#include "app/startup.h"
#include "mods/installed_mods.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 20000;
constexpr int kMods = 10;
constexpr int kShared = 1000;

void MakeFiles(const fs::path& mod, int first, int count) {
    for (int i = first; i < first + count; ++i) {
        const fs::path dir = mod / "gamedata" / ("d" + std::to_string(i / 500));
        fs::create_directories(dir);
        const int fd = ::open((dir / ("f" + std::to_string(i) + ".dds")).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) ::close(fd);
    }
}

struct Fixture {
    fs::path root;
    Fixture() {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        root = base / ("velmora-conflicts-bench-" + std::to_string(getpid()));
        MakeFiles(root / "available_addons" / "candidate", 0, kFiles);
        for (int m = 0; m < kMods; ++m) {
            // Each enabled mod shares kShared of the candidate's paths; the rest are its own.
            const fs::path mod = root / "mods" / ("enabled" + std::to_string(m));
            MakeFiles(mod, m * kShared, kShared);
            MakeFiles(mod, 100000 + m * kFiles, kFiles - kShared);
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

void BM_FindConflicts(benchmark::State& state) {
    Fixture f;
    const fs::path previous = fs::current_path();
    fs::current_path(f.root);
    mod_dir = "mods\\";
    size_t shared = 0;
    for (auto _ : state) {
        const ConflictMap conflicts = FindConflicts("candidate");
        shared = 0;
        for (const auto& [name, files] : conflicts) shared += files.size();
        benchmark::DoNotOptimize(shared);
    }
    if (shared != static_cast<size_t>(kMods * kShared)) state.SkipWithError("unexpected conflict count");
    state.counters["files_walked"] = kFiles * (kMods + 1);
    fs::current_path(previous);
    mod_dir.clear();
}
BENCHMARK(BM_FindConflicts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
