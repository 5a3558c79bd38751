// Per-frame costs of the settings and texts: the main screen re-reads
// launcher.ini and relists the languages on every frame, and draws every
// label through LookupText + ToUtf8.
#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "support/game_folder.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A temporary copy of the demo game folder's settings and texts.
class DemoFolder {
public:
    DemoFolder() {
        const fs::path demo = fs::path(VELMORA_SOURCE_DIR) / "demo";
        fs::copy(demo / "launcher.ini", game_.path() / "launcher.ini");
        fs::copy(demo / "LauncherFiles", game_.path() / "LauncherFiles", fs::copy_options::recursive);
    }

private:
    TempGameFolder game_;
};

void BM_SettingsAndLanguagesPerFrame(benchmark::State& state) {
    DemoFolder folder;
    EnsureTextTable();
    for (auto _ : state) {
        std::optional<IniFile> store = ReadLauncherSettings();
        std::vector<std::string> languages = DiscoverLanguages();
        benchmark::DoNotOptimize(store);
        benchmark::DoNotOptimize(languages);
    }
}
BENCHMARK(BM_SettingsAndLanguagesPerFrame);

void BM_LookupAndConvert(benchmark::State& state) {
    DemoFolder folder;
    CurrentLanguage = state.range(0) == 0 ? "rus" : "eng";
    EnsureTextTable();
    const std::string key = "ui_launcher_delete_shaders_cache";
    for (auto _ : state) benchmark::DoNotOptimize(ToUtf8(LookupText(key)));
    state.SetLabel(CurrentLanguage);
}
BENCHMARK(BM_LookupAndConvert)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
