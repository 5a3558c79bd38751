// One frame of the shell, headless (null texture back end): ImGui's frame,
// LauncherFrame on the launcher's main screen with its greeting, and Render.
#include "app/shell.h"

#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <benchmark/benchmark.h>

static void BM_ShellFrame(benchmark::State& state) {
    TempGameFolder game;
    HeadlessUi ui;
    ui.Frame([] { LauncherFrame(); });  // start-up
    ui.Frames(3, [] { LauncherFrame(); });
    for (auto _ : state) ui.Frame([] { LauncherFrame(); });
}
BENCHMARK(BM_ShellFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
