// The mods manager's catalogue: loading 200 entries with their previews from a
// local server, and one frame of the catalogue view with 200 entries whose
// previews are already decoded (the cache is warm).
//
//   build-downloads/bench/catalogue_bench --benchmark_repetitions=3
#include "app/preview.h"
#include "config/launcher_settings.h"
#include "mods/catalogue.h"
#include "mods/catalogue_view.h"
#include "mods/mods_manager_screen.h"
#include "support/game_folder.h"
#include "support/http_server.h"
#include "support/ui_harness.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kEntries = 200;

std::string DemoPreview() {
    std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/demo/server/mods/previews/hc_weather.dds", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string CatalogueText() {
    std::string ini;
    for (int i = 0; i < kEntries; ++i) {
        const std::string id = "mod" + std::to_string(i);
        ini += "[" + id + "]\nname = Mod number " + std::to_string(i) + "\nauthor = Someone\nversion = 1." +
               std::to_string(i) + "\nparent_mod = Group " + std::to_string(i % 7) +
               "\ndownload_link = http://127.0.0.1:1/archives/" + id + ".zip\ndescription = A mod.\n\n";
    }
    return ini;
}

void ServeCatalogue(LocalHttpServer& server) {
    server.Serve("/mods_descr.ini", CatalogueText());
    const std::string preview = DemoPreview();
    for (int i = 0; i < kEntries; ++i) server.Serve("/previews/mod" + std::to_string(i) + ".dds", preview);
    launcher_settings.mods_ini_link = server.Url("/mods_descr.ini");
    launcher_settings.mods_images_link = server.Url("/previews/");
}

void BM_LoadCatalogue200(benchmark::State& state) {
    TempGameFolder game;
    LocalHttpServer server;
    ServeCatalogue(server);
    // The installer's "not a zip" line for every fetched file goes nowhere;
    // the report is printed after the loop, with standard output restored.
    std::fflush(stdout);
    const int saved = dup(1);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    for (auto _ : state) {
        DownloadManager::LoadCatalogue();
        if (DownloadManager::catalogue.size() != kEntries) state.SkipWithError("catalogue incomplete");
    }
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null_fd);
    DownloadManager::ResetCatalogueForTesting();
}
BENCHMARK(BM_LoadCatalogue200)->Unit(benchmark::kMillisecond);

void BM_CatalogueViewFrame200(benchmark::State& state) {
    TempGameFolder game;
    LocalHttpServer server;
    ServeCatalogue(server);
    HeadlessUi ui;
    DownloadManager::LoadCatalogue();
    mods_manager.catalogue_view = true;
    mods_manager.selected_mod = 3;
    mods_manager.show_details = true;
    auto frame = [] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(980, 615));
        ImGui::Begin("Bench", nullptr, ImGuiWindowFlags_NoDecoration);
        DrawCatalogue();
        ImGui::End();
    };
    ui.Frames(3, frame);  // decode every preview once
    for (auto _ : state) ui.Frame(frame);
    DownloadManager::ResetCatalogueForTesting();
    mods_manager = ModsManagerState{};
}
BENCHMARK(BM_CatalogueViewFrame200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
