// What rich presence costs the launcher: the start and stop with no Discord
// running (both sit on the shell's start-up and shut-down path), and the
// worker's parsing of what Discord sends.
#include "presence/discord_ipc.h"
#include "presence/discord_rpc.h"
#include "support/game_folder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void BM_InitializeAndShutdownWithoutDiscord(benchmark::State& state) {
    TempDir run;  // an empty runtime folder: no discord-ipc-* anywhere
    setenv("XDG_RUNTIME_DIR", run.path().c_str(), 1);
    for (auto _ : state) {
        Discord_Initialize("123456789012345678", nullptr, 0, nullptr);
        Discord_Shutdown();
    }
}
BENCHMARK(BM_InitializeAndShutdownWithoutDiscord)->Unit(benchmark::kMicrosecond);

void BM_SessionReceive(benchmark::State& state) {
    using namespace discord_ipc;
    const std::string ready = EncodeFrame(
        Opcode::Frame, R"({"cmd":"DISPATCH","evt":"READY","data":{"v":1,"user":{"id":"42","username":"u"}}})");
    std::string stream = ready;
    for (int i = 0; i < 100; ++i) {
        stream += EncodeFrame(Opcode::Ping, R"({"nonce":")" + std::to_string(i) + "\"}");
        stream += EncodeFrame(Opcode::Frame, R"({"cmd":"SET_ACTIVITY","data":{"state":"In menus"},"evt":null,"nonce":"1"})");
    }
    for (auto _ : state) {
        Session session("123456789012345678");
        std::string out;
        std::vector<Event> events;
        // Reads of 4 KiB, as a busy socket delivers them.
        for (size_t at = 0; at < stream.size(); at += 4096)
            session.Receive(stream.data() + at, std::min<size_t>(4096, stream.size() - at), out, events);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_SessionReceive);

}  // namespace

BENCHMARK_MAIN();
