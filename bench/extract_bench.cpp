// Extraction throughput and peak memory on a 200 MB deflate archive of 2,000
// files, beside Info-ZIP's `unzip -q` on the same archive in the same run.
//
//   build-mods/bench/extract_bench --benchmark_counters_tabular=true
//
// The archive is made once per run with `zip -1` (a few seconds) in a scratch
// folder under $TMPDIR and removed at the end.
#include "mods/archive.h"

#include "support/game_folder.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr size_t kFileSize = 100 * 1000;  // 2,000 x 100 kB = 200 MB

// Text-like data: words from a small vocabulary with random numbers, so
// deflate has real work (about 3:1) rather than a run of one byte.
std::string FileContent(std::mt19937& rng) {
    static const char* words[] = {"texture", "mesh", "sound", "alife", "spawn", "weapon", "ammo",
                                  "section", "=", "\r\n", "0.25", "true", "false", "[", "]"};
    std::string s;
    s.reserve(kFileSize + 16);
    while (s.size() < kFileSize) {
        s += words[rng() % 15];
        s += ' ';
        if (rng() % 4 == 0) s += std::to_string(rng() % 100000);
    }
    s.resize(kFileSize);
    return s;
}

struct Fixture {
    fs::path root;
    fs::path archive;
    long long bytes = 0;
    Fixture() {
        root = fs::temp_directory_path() / ("velmora-extract-bench-" + std::to_string(getpid()));
        fs::create_directories(root / "src");
        std::mt19937 rng(42);
        for (int i = 0; i < kFiles; ++i) {
            const fs::path p = root / "src" / "bigmod" / ("dir" + std::to_string(i / 100)) / ("file" + std::to_string(i) + ".ltx");
            fs::create_directories(p.parent_path());
            std::ofstream(p, std::ios::binary) << FileContent(rng);
            bytes += static_cast<long long>(kFileSize);
        }
        archive = root / "bigmod.zip";
        const std::string cmd = "cd '" + (root / "src").string() + "' && zip -q -1 -r '" + archive.string() + "' bigmod";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "zip failed: %s\n", cmd.c_str());
        fs::remove_all(root / "src");
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

long StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    return 0;
}

void BM_ExtractArchive(benchmark::State& state) {
    Fixture& f = Shared();
    const fs::path work = f.root / "ours";
    fs::create_directories(work);
    const fs::path previous = fs::current_path();
    fs::current_path(work);
    const int real_stdout = dup(STDOUT_FILENO);
    const int devnull = open("/dev/null", O_WRONLY);
    long peak_extra_kib = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(work / "available_addons");
        // ExtractArchive deletes its archive: hand it a second name for the same file.
        fs::remove(work / "bigmod.zip");
        fs::create_hard_link(f.archive, work / "bigmod.zip");
        std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak (VmHWM) from now
        const long rss_before = StatusKiB("VmRSS:");
        std::fflush(stdout);
        dup2(devnull, STDOUT_FILENO);  // 2,000 "Extracting:" lines
        state.ResumeTiming();

        const bool ok = ExtractArchive("bigmod.zip", nullptr);

        state.PauseTiming();
        std::fflush(stdout);
        dup2(real_stdout, STDOUT_FILENO);
        if (!ok) state.SkipWithError("extraction failed");
        peak_extra_kib = std::max(peak_extra_kib, StatusKiB("VmHWM:") - rss_before);
        state.ResumeTiming();
    }
    close(devnull);
    close(real_stdout);
    fs::current_path(previous);
    fs::remove_all(work);
    state.SetBytesProcessed(state.iterations() * f.bytes);
    state.counters["peak_extra_MiB"] = static_cast<double>(peak_extra_kib) / 1024.0;
}
BENCHMARK(BM_ExtractArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_UnzipQ(benchmark::State& state) {
    Fixture& f = Shared();
    const fs::path out = f.root / "unzip";
    long peak_kib = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(out);
        state.ResumeTiming();
        const pid_t pid = fork();
        if (pid == 0) {
            execlp("unzip", "unzip", "-q", "-o", f.archive.c_str(), "-d", out.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("unzip failed");
        peak_kib = std::max(peak_kib, usage.ru_maxrss);
    }
    fs::remove_all(out);
    state.SetBytesProcessed(state.iterations() * f.bytes);
    state.counters["peak_MiB"] = static_cast<double>(peak_kib) / 1024.0;
}
BENCHMARK(BM_UnzipQ)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
