// What the graphics panel costs per frame and per reload, on the default
// user.ltx: the single-read reload against the 76 separate reads it
// replaces, and one headless frame of the panel.
#include "app/startup.h"
#include "graphics/graphics_panel.h"
#include "platform/resources.h"
#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct DefaultGame {
    TempGameFolder game;
    DefaultGame() {
        app_data_root = "appdata\\";
        game.Write("appdata/user.ltx", std::string(GetResource(Resource::DefaultUserLtx)));
    }
};

void BM_ReloadSingleRead(benchmark::State& state) {
    DefaultGame fixture;
    const std::string path = UserLtxPath();
    GraphicsSettings settings;
    for (auto _ : state) {
        ReloadGraphicsSettings(path, settings);
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(BM_ReloadSingleRead)->Unit(benchmark::kMicrosecond);

void BM_ReloadSeparateReads(benchmark::State& state) {
    DefaultGame fixture;
    const std::string path = UserLtxPath();
    GraphicsSettings settings;
    for (auto _ : state) {
        ReadGraphicsSettingsSeparately(path, settings);
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(BM_ReloadSeparateReads)->Unit(benchmark::kMicrosecond);

// One whole frame (NewFrame to Render) with the panel in it; with reload=1
// every frame also reads user.ltx, as after each list or light change.
void BM_PanelFrame(benchmark::State& state) {
    DefaultGame fixture;
    HeadlessUi ui;
    const bool reload = state.range(0) != 0;
    auto body = [] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(900, 700));
        ImGui::Begin("Graphics bench", nullptr, ImGuiWindowFlags_NoSavedSettings);
        GraphicsPanel::Draw();
        ImGui::End();
    };
    GraphicsPanel::RequestReload();
    ui.Frames(2, body);
    for (auto _ : state) {
        if (reload) GraphicsPanel::RequestReload();
        ui.Frame(body);
    }
}
BENCHMARK(BM_PanelFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
