// One main-screen frame, headless: the greeting, and the saved games panel
// with 500 saves in the folder (listed, timed and sorted on every frame).
#include "app/startup.h"
#include "screens/main_screen.h"
#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace fs = std::filesystem;

namespace {

void SetUpGame(TempGameFolder& game) {
    app_data_root = "appdata\\";
    // Nothing listens on port 1: the one version check fails at once.
    game.Write("launcher.ini", "[launcher_options]\nengine_version_link = http://127.0.0.1:1/h\n");
    fs::create_directories(game.path() / "appdata/savedgames");
}

void RunFrames(benchmark::State& state, ActivePanel panel, int saves) {
    TempGameFolder game;
    SetUpGame(game);
    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < saves; ++i) {
        const std::string name = "appdata/savedgames/save_" + std::to_string(i) + ".kesp";
        game.Write(name, "s");
        fs::last_write_time(game.path() / name, now - std::chrono::seconds(i * 37 % 1000));
        if (i % 2) game.Write("appdata/savedgames/save_" + std::to_string(i) + ".dds", "not a picture");
    }
    HeadlessUi ui;
    const auto body = [] { DrawMainScreen(); };
    ui.Frame(body);  // the first frame runs the version check
    main_screen.active_panel = panel;
    ui.Frame(body);
    for (auto _ : state) ui.Frame(body);
}

void BM_GreetingFrame(benchmark::State& state) { RunFrames(state, ActivePanel::None, 0); }
void BM_SavedGamesFrame(benchmark::State& state) {
    RunFrames(state, ActivePanel::SavedGames, static_cast<int>(state.range(0)));
}

}  // namespace

BENCHMARK(BM_GreetingFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SavedGamesFrame)->Arg(500)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
