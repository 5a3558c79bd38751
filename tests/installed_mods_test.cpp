#include "mods/installed_mods.h"

#include "app/startup.h"
#include "mods/archive.h"
#include "support/game_folder.h"
#include "support/zip_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char* kModDir = "appdata\\mods\\";

// Folder contents: names ending in "/" are (empty) folders, others files.
using Tree = std::vector<std::string>;

void MakeMod(const TempGameFolder& game, const std::string& where, const Tree& tree) {
    fs::create_directories(game.path() / where);
    for (const std::string& item : tree) {
        if (item.back() == '/')
            fs::create_directories(game.path() / where / item);
        else
            game.Write(where + "/" + item, "data of " + item);
    }
}

std::string Addon(const std::string& name) { return std::string("available_addons/") + name; }
std::string Enabled(const std::string& name) { return std::string("appdata/mods/") + name; }

std::vector<std::string> Names(const std::vector<InstalledMod>& mods) {
    std::vector<std::string> names;
    for (const InstalledMod& m : mods) names.push_back(m.name + (m.enabled ? "+" : "-"));
    return names;
}

class InstalledModsTest : public ::testing::Test {
protected:
    void SetUp() override { mod_dir = kModDir; }
    TempGameFolder game;
};

TEST_F(InstalledModsTest, ListsBothPlacesInNaturalOrder) {
    MakeMod(game, Addon("mod10"), {"a"});
    MakeMod(game, Addon("Mod1"), {});
    MakeMod(game, Enabled("mod2"), {"b"});
    game.Write("available_addons/loose_file.zip", "not a folder");
    EXPECT_EQ(Names(ListInstalledMods()), (std::vector<std::string>{"Mod1-", "mod2+", "mod10-"}));

    mod_dir.clear();  // no engine mod folder: only the disabled mods
    EXPECT_EQ(Names(ListInstalledMods()), (std::vector<std::string>{"Mod1-", "mod10-"}));
}

TEST_F(InstalledModsTest, MissingFoldersListNothing) { EXPECT_TRUE(ListInstalledMods().empty()); }

TEST_F(InstalledModsTest, NamesThatDoNotOrderStrictlyAreAllKept) {
    // "1a" ties with "01", "01" with "1b", yet "1a" < "1b": a sort that trusts
    // the comparator may lose or duplicate records.
    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i) {
        for (const char* stem : {"1a", "01", "1b", "001"}) {
            const std::string name = stem + std::to_string(i);
            MakeMod(game, Addon(name), {});
            expected.push_back(name);
        }
    }
    std::vector<std::string> got;
    for (const InstalledMod& m : ListInstalledMods()) got.push_back(m.name);
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
}

TEST_F(InstalledModsTest, ListModFilesGivesRegularFilesRelativeWithSlashes) {
    MakeMod(game, Addon("m"), {"textures/a.dds", "config/deep/b.ltx", "empty/", "top.txt"});
    const auto files = ListModFiles(Addon("m"));
    EXPECT_EQ(files, (std::unordered_set<std::string>{"textures/a.dds", "config/deep/b.ltx", "top.txt"}));
    EXPECT_TRUE(ListModFiles(Addon("missing")).empty());
}

struct ConflictCase {
    const char* what;
    Tree candidate;
    std::map<std::string, Tree> enabled;   // in the engine mod folder
    std::map<std::string, Tree> disabled;  // other mods in available_addons
    ConflictMap expected;
};

TEST_F(InstalledModsTest, FindConflictsComparesWithEnabledModsOnly) {
    const ConflictCase cases[] = {
        {"one shared file", {"textures/a.dds", "config/b.ltx"}, {{"other", {"textures/a.dds"}}}, {},
         {{"other", {"textures/a.dds"}}}},
        {"letter case differs", {"Textures/A.dds"}, {{"other", {"textures/a.dds"}}}, {}, {}},
        {"two enabled mods, byte order", {"x.txt", "y.txt"}, {{"zeta", {"x.txt"}}, {"Alpha", {"y.txt", "x.txt"}}}, {},
         {{"Alpha", {"x.txt", "y.txt"}}, {"zeta", {"x.txt"}}}},
        {"folders never conflict", {"textures/", "own.txt"}, {{"other", {"textures/", "else.txt"}}}, {}, {}},
        {"candidate without files", {"empty/", "deeper/still/"}, {{"other", {"x"}}}, {}, {}},
        {"disabled mods are not compared", {"x.txt"}, {}, {{"sleeping", {"x.txt"}}}, {}},
        {"same-named folder already enabled", {"x.txt", "y.txt"}, {{"cand", {"y.txt"}}}, {}, {{"cand", {"y.txt"}}}},
    };
    for (const ConflictCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ec;
        fs::remove_all(game.path() / "available_addons", ec);
        fs::remove_all(game.path() / "appdata", ec);
        MakeMod(game, Addon("cand"), c.candidate);
        for (const auto& [name, tree] : c.enabled) MakeMod(game, Enabled(name), tree);
        for (const auto& [name, tree] : c.disabled) MakeMod(game, Addon(name), tree);
        ConflictMap got = FindConflicts("cand");
        for (auto& [name, files] : got) std::sort(files.begin(), files.end());  // set order is unspecified
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(InstalledModsTest, EnableAndDisableMoveTheFolder) {
    MakeMod(game, Addon("m"), {"a.txt"});
    EXPECT_TRUE(EnableMod("m"));
    EXPECT_EQ(game.Read(Enabled("m/a.txt")), "data of a.txt");
    EXPECT_FALSE(fs::exists(game.path() / Addon("m")));
    EXPECT_FALSE(EnableMod("m"));  // no longer there
    EXPECT_TRUE(DisableMod("m"));
    EXPECT_EQ(game.Read(Addon("m/a.txt")), "data of a.txt");
    EXPECT_FALSE(DisableMod("m"));
    for (const char* odd : {"", ".", "..", "m/../m"}) EXPECT_FALSE(EnableMod(odd)) << odd;
    EXPECT_TRUE(fs::exists(game.path() / Addon("m/a.txt")));
}

TEST_F(InstalledModsTest, EnableFailsOntoANonEmptyFolderOfTheSameName) {
    MakeMod(game, Addon("m"), {"a.txt"});
    MakeMod(game, Enabled("m"), {"b.txt"});
    EXPECT_FALSE(EnableMod("m"));
    EXPECT_EQ(game.Read(Addon("m/a.txt")), "data of a.txt");
    EXPECT_EQ(game.Read(Enabled("m/b.txt")), "data of b.txt");
}

TEST_F(InstalledModsTest, EmptyModDirRefusesWithoutTouchingTheDisk) {
    MakeMod(game, Addon("m"), {"a.txt"});
    mod_dir.clear();
    EXPECT_FALSE(EnableMod("m"));
    EXPECT_FALSE(DisableMod("m"));
    EXPECT_TRUE(fs::exists(game.path() / Addon("m/a.txt")));
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(game.path())) top.push_back(e.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"available_addons", "fsgame.ltx"}));
}

// A second file system: /dev/shm when it is one, else the copy path forced.
TEST_F(InstalledModsTest, MoveAcrossFileSystemsCopiesThenRemoves) {
    struct stat here {}, shm {};
    TempDir other_holder;  // keeps the forced-copy variant tidy
    fs::path other = other_holder.path() / "mods";
    std::unique_ptr<fs::path, void (*)(fs::path*)> shm_dir(nullptr, [](fs::path* p) {
        std::error_code ec;
        fs::remove_all(*p, ec);
        delete p;
    });
    if (stat(".", &here) == 0 && stat("/dev/shm", &shm) == 0 && here.st_dev != shm.st_dev) {
        shm_dir.reset(new fs::path("/dev/shm/velmora-mods-test-" + std::to_string(getpid())));
        other = *shm_dir / "mods";
    } else {
        ForceCopyMovesForTesting(true);
    }
    mod_dir = other.string() + "/";
    MakeMod(game, Addon("m"), {"a.txt", "sub/b.txt", "empty/"});
    EXPECT_TRUE(EnableMod("m"));
    EXPECT_FALSE(fs::exists(game.path() / Addon("m")));
    EXPECT_TRUE(fs::is_directory(other / "m/empty"));
    EXPECT_TRUE(fs::exists(other / "m/sub/b.txt"));
    EXPECT_TRUE(DisableMod("m"));
    EXPECT_EQ(game.Read(Addon("m/sub/b.txt")), "data of sub/b.txt");
    EXPECT_FALSE(fs::exists(other / "m"));

    // A copy that fails (a pipe cannot be copied) leaves the source whole and
    // takes the partial copy away.
    ForceCopyMovesForTesting(true);
    ASSERT_EQ(mkfifo((game.path() / Addon("m/zz_pipe")).c_str(), 0644), 0);
    EXPECT_FALSE(EnableMod("m"));
    EXPECT_FALSE(fs::exists(other / "m"));
    EXPECT_EQ(game.Read(Addon("m/a.txt")), "data of a.txt");
    EXPECT_TRUE(fs::exists(game.path() / Addon("m/sub/b.txt")));
}

TEST_F(InstalledModsTest, WorkerRefreshIsSwappedInAtFrameStartKeepingTickedBoxes) {
    MakeMod(game, Addon("a"), {"x"});
    MakeMod(game, Addon("b"), {"y"});
    TakeRefreshedInstalledMods();  // this thread draws the frames
    installed_mods = ListInstalledMods();
    installed_mods[0].enabled = true;  // "a" ticked, its conflict pending: folder not moved

    MakeMod(game, Addon("c"), {"z"});
    std::thread worker([] { RefreshInstalledMods(); });
    worker.join();
    EXPECT_EQ(Names(installed_mods), (std::vector<std::string>{"a+", "b-"}));  // not yet swapped

    TakeRefreshedInstalledMods();
    EXPECT_EQ(Names(installed_mods), (std::vector<std::string>{"a+", "b-", "c-"}));
    TakeRefreshedInstalledMods();  // nothing new: unchanged
    EXPECT_EQ(Names(installed_mods), (std::vector<std::string>{"a+", "b-", "c-"}));
}

TEST_F(InstalledModsTest, ExtractionOnAWorkerHandsItsListToTheFrame) {
    TakeRefreshedInstalledMods();
    ASSERT_TRUE(WriteTestZip("new.zip", {{"fresh/a.txt", "a"}}));
    std::atomic<int> current{0}, count{0};
    std::atomic<bool> ok{false};
    std::thread worker([&] {
        ExtractProgress progress{&current, &count};
        ok = ExtractArchive("new.zip", &progress);
    });
    // The frame goes on drawing (reading the list) while the worker runs.
    for (int frame = 0; frame < 50 && count.load() == 0; ++frame) {
        TakeRefreshedInstalledMods();
        EXPECT_LE(installed_mods.size(), 1u);
    }
    worker.join();
    ASSERT_TRUE(ok);
    TakeRefreshedInstalledMods();
    EXPECT_EQ(Names(installed_mods), (std::vector<std::string>{"fresh-"}));
}

TEST_F(InstalledModsTest, RefreshOnTheFrameThreadReplacesAtOnce) {
    MakeMod(game, Addon("a"), {"x"});
    RefreshInstalledMods();
    EXPECT_EQ(Names(installed_mods), (std::vector<std::string>{"a-"}));
    ASSERT_TRUE(EnableMod("a"));
    RefreshInstalledMods();
    EXPECT_EQ(Names(installed_mods), (std::vector<std::string>{"a+"}));
}

}  // namespace
