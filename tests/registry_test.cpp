#include "mods/registry.h"

#include "config/ini_file.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

IniFile LoadRegistry() {
    IniFile registry;
    EXPECT_TRUE(registry.Load(kRegistryPath));
    return registry;
}

TEST(Registry, KeepsEarlierEntriesAndOtherSections) {
    TempGameFolder game;
    game.Write(kRegistryPath, "[Other]\nkeep = 1\n\n[DownloadedModsStatus]\nold_mod = yes\n\n");
    RecordDownloadedMod("mod_a");
    RecordDownloadedMod("mod_b");
    const IniFile registry = LoadRegistry();
    EXPECT_TRUE(registry.GetBool(kRegistrySection, "old_mod", false));
    EXPECT_TRUE(registry.GetBool(kRegistrySection, "mod_a", false));
    EXPECT_TRUE(registry.GetBool(kRegistrySection, "mod_b", false));
    EXPECT_EQ(registry.GetString("Other", "keep", ""), "1");
}

TEST(Registry, FirstRecordCreatesTheFileAndLeavesNoTemporaries) {
    TempGameFolder game;
    RecordDownloadedMod("only");
    EXPECT_EQ(game.Read(kRegistryPath), "[DownloadedModsStatus]\nonly = true\n\n");
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(game.path() / "LauncherFiles/ModsManager")) {
        EXPECT_EQ(e.path().filename(), "downloaded_mods.ini");
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(Registry, ConcurrentRecordsLoseNothing) {
    TempGameFolder game;
    constexpr int kPerThread = 40;
    auto record = [](const char* prefix) {
        for (int i = 0; i < kPerThread; ++i) RecordDownloadedMod(prefix + std::to_string(i));
    };
    std::thread a(record, "a");
    std::thread b(record, "b");
    a.join();
    b.join();
    const IniFile registry = LoadRegistry();
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < kPerThread; ++i)
            EXPECT_TRUE(registry.GetBool(kRegistrySection, prefix + std::to_string(i), false)) << prefix << i;
}

}  // namespace
