// Download throughput: a 500 MB body from a local server through DownloadPart
// (the launcher's file transfer with its progress callback), side by side with
// `curl -s -o` on the same server in the same iteration. The ratio counter is
// curl's time divided by ours (1.0: as fast as curl; above: faster).
//
//   build-downloads/bench/download_bench --benchmark_repetitions=3
//
// Files go to /dev/shm when it is a tmpfs, so the disk does not set the pace.
#include "mods/download_manager.h"
#include "support/http_server.h"

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr size_t kBodySize = 500u * 1024 * 1024;
constexpr size_t kChunk = 1u << 20;

void ServeLargeBody(LocalHttpServer& server) {
    static const std::string chunk = [] {
        std::string c(kChunk, '\0');
        for (size_t i = 0; i < c.size(); ++i) c[i] = static_cast<char>((i * 2654435761u) >> 24);
        return c;
    }();
    server.Handle("/big.zip", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(kBodySize, "application/zip", [](size_t offset, size_t length, httplib::DataSink& sink) {
            const size_t n = std::min({length, kChunk, kBodySize - offset});
            return sink.write(chunk.data(), n);
        });
    });
}

bool RunCurl(const std::string& url, const std::string& out) {
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("curl", "curl", "-s", "-o", out.c_str(), url.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_DownloadBesideCurl(benchmark::State& state) {
    LocalHttpServer server;
    ServeLargeBody(server);
    const fs::path dir = (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                         ("velmora-download-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string ours = (dir / "ours.zip").string();
    const std::string theirs = (dir / "curl.zip").string();
    DownloadManager::ModStatus status;
    double ours_s = 0, curl_s = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = DownloadManager::DownloadPart(server.Url("/big.zip"), ours, nullptr, &status);
        const auto t1 = std::chrono::steady_clock::now();
        const bool curl_ok = RunCurl(server.Url("/big.zip"), theirs);
        const auto t2 = std::chrono::steady_clock::now();
        if (!ok || !curl_ok || fs::file_size(ours) != kBodySize || fs::file_size(theirs) != kBodySize) {
            state.SkipWithError("a transfer failed");
            break;
        }
        const double a = std::chrono::duration<double>(t1 - t0).count();
        const double b = std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(a);
        ours_s += a;
        curl_s += b;
        fs::remove(ours);
        fs::remove(theirs);
    }
    fs::remove_all(dir);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
    state.counters["curl_MBps"] = benchmark::Counter(static_cast<double>(state.iterations() * kBodySize) / 1e6 / curl_s);
    state.counters["ours_MBps"] = benchmark::Counter(static_cast<double>(state.iterations() * kBodySize) / 1e6 / ours_s);
    state.counters["ratio"] = benchmark::Counter(curl_s / ours_s);
}
BENCHMARK(BM_DownloadBesideCurl)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
