// Loading the mod catalogue from a local server: defaults, duplicate
// sections, the downloaded state from the registry or the folders, previews,
// failed reloads and reloads while a task runs.
#include "app/startup.h"
#include "config/launcher_settings.h"
#include "mods/catalogue.h"
#include "support/game_folder.h"
#include "support/http_server.h"

#include <gtest/gtest.h>

#include <map>

using namespace DownloadManager;

namespace {

class CatalogueTest : public testing::Test {
protected:
    void SetUp() override {
        launcher_settings.mods_ini_link = server.Url("/mods/mods_descr.ini");
        launcher_settings.mods_images_link = server.Url("/mods/previews/");
        mod_dir = "appdata\\mods\\";
    }
    void TearDown() override { ResetCatalogueForTesting(); }

    void Load(const std::string& ini) {
        server.Serve("/mods/mods_descr.ini", ini);
        testing::internal::CaptureStdout();  // the installer's "not a zip" lines
        testing::internal::CaptureStderr();
        LoadCatalogue();
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }

    std::map<std::string, bool> DownloadedById() const {
        std::map<std::string, bool> result;
        for (const DownloadableMod& m : catalogue) result[m.id] = m.status->downloaded;
        return result;
    }

    TempGameFolder game;
    LocalHttpServer server;
};

TEST(FileNameFromUrl, TakesTheLastSegmentWithoutQueryOrFragment) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Pack.zip", ""},
        {"http://host/files/Pack.zip", "Pack.zip"},
        {"http://host/files\\Pack.zip", "Pack.zip"},
        {"C:\\mods\\x/Pack.zip", "Pack.zip"},
        {"http://host\\a/b\\Pack.zip", "Pack.zip"},
        {"http://host/files/", ""},
        {"http://host/Pack.zip?dl=1#top", "Pack.zip"},
        {"http://host/Pack.zip#top?dl=1", "Pack.zip"},
        {"http://host/?only=query", ""},
    };
    for (const auto& [link, name] : cases) EXPECT_EQ(FileNameFromUrl(link), name) << link;
}

TEST_F(CatalogueTest, FieldsTakeTheirDefaultsAndDuplicateSectionsMerge) {
    Load("[only_link]\n"
         "download_link = http://x/only.zip\n"
         "[full]\n"
         "name = \"Full Mod\"\n"
         "description = Words\n"
         "author = Ann\n"
         "version = 1.2\n"
         "parent_mod = Base\n"
         "download_link = http://x/full.zip\n"
         "ignored = yes\n"
         "[empty_section]\n"
         "[only_link]\n"
         "author = Bob\n");
    ASSERT_EQ(catalogue.size(), 2u);
    const DownloadableMod& only = catalogue[0];
    EXPECT_EQ(only.id, "only_link");
    EXPECT_EQ(only.name, "only_link");
    EXPECT_EQ(only.download_link, "http://x/only.zip");
    EXPECT_EQ(only.author, "Bob");
    EXPECT_EQ(only.description + only.version + only.parent_mod, "");
    const DownloadableMod& full = catalogue[1];
    EXPECT_EQ(full.name, "Full Mod");
    EXPECT_EQ(full.description, "Words");
    EXPECT_EQ(full.author, "Ann");
    EXPECT_EQ(full.version, "1.2");
    EXPECT_EQ(full.parent_mod, "Base");
    EXPECT_FALSE(full.status->downloading || full.status->installing || full.status->transfer_live);
}

TEST_F(CatalogueTest, RegistryDecidesDownloadedInAnyLetterCase) {
    game.Write("LauncherFiles/ModsManager/downloaded_mods.ini",
               "[DownloadedModsStatus]\nA = yes\nB = TRUE\nC = 1\nD = no\nE = on\nf = true\n");
    // An archive on disk does not matter while the registry can be read.
    game.Write("available_addons/d.zip", "zip");
    Load("[A]\ndownload_link=http://x/a.zip\n[B]\ndownload_link=http://x/b.zip\n[C]\ndownload_link=http://x/c.zip\n"
         "[D]\ndownload_link=http://x/d\n[E]\ndownload_link=http://x/e.zip\n[F]\ndownload_link=http://x/f.zip\n");
    const std::map<std::string, bool> expected{{"A", true},  {"B", true},  {"C", true},
                                               {"D", false}, {"E", false}, {"F", false}};
    EXPECT_EQ(DownloadedById(), expected);
}

TEST_F(CatalogueTest, WithoutRegistryTheFoldersDecide) {
    struct Case {
        std::string file;  // made in the game folder; empty for none
        std::string link;
        bool downloaded;
    };
    const Case cases[] = {
        {"available_addons/Pack.zip", "http://x/Pack.zip", true},
        {"available_addons/Pack.zip", "http://x/Pack", true},
        {"appdata/mods/Pack/readme.txt", "http://x/Pack", true},
        {"", "http://x/Pack.zip", false},
        // No file name: the folders themselves are not an archive.
        {"available_addons/x.zip", "", false},
        {"available_addons/x.zip", "http://x/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + c.link);
        std::filesystem::remove_all(game.path() / "available_addons");
        std::filesystem::remove_all(game.path() / "appdata");
        if (!c.file.empty()) game.Write(c.file, "data");
        Load("[M]\ndownload_link = " + c.link + "\n");
        ASSERT_EQ(catalogue.size(), 1u);
        EXPECT_EQ(catalogue[0].status->downloaded.load(), c.downloaded);
    }
}

TEST_F(CatalogueTest, EmptyRegistryMeansNothingIsDownloaded) {
    game.Write("LauncherFiles/ModsManager/downloaded_mods.ini", "");
    game.Write("available_addons/Pack.zip", "zip");
    Load("[M]\ndownload_link = http://x/Pack.zip\n");
    ASSERT_EQ(catalogue.size(), 1u);
    EXPECT_FALSE(catalogue[0].status->downloaded);
}

TEST_F(CatalogueTest, FetchesOnePreviewPerEntryIntoTheModsManagerFolder) {
    server.Serve("/mods/previews/A.dds", "DDS A");
    Load("[A]\nname=a\n[B]\nname=b\n[../evil]\nname=c\n");
    EXPECT_EQ(catalogue.size(), 3u);
    EXPECT_EQ(game.Read("LauncherFiles/ModsManager/A.dds"), "DDS A");
    EXPECT_EQ(server.CountRequests("GET", "/mods/previews/A.dds"), 1);
    EXPECT_EQ(server.CountRequests("GET", "/mods/previews/B.dds"), 1);
    // An id naming another folder gets no preview written outside.
    EXPECT_EQ(server.CountRequests("GET", "/mods/previews/../evil.dds"), 0);
    EXPECT_FALSE(std::filesystem::exists(game.path() / "LauncherFiles/evil.dds"));
    EXPECT_TRUE(std::filesystem::is_directory(game.path() / "available_addons"));
}

TEST_F(CatalogueTest, FailedFetchAfterASuccessfulOneLeavesTheListEmpty) {
    Load("[A]\nname=a\n");
    ASSERT_EQ(catalogue.size(), 1u);
    server.Remove("/mods/mods_descr.ini");
    testing::internal::CaptureStderr();
    LoadCatalogue();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Ошибка HTTP: 404"), std::string::npos);
    EXPECT_TRUE(catalogue.empty());
}

TEST_F(CatalogueTest, ReloadKeepsTheStatusOfARunningTaskOnly) {
    Load("[A]\nname=a\n[B]\nname=b\n");
    std::shared_ptr<ModStatus> running = catalogue[0].status;
    running->task_running = true;
    running->downloading = true;
    std::shared_ptr<ModStatus> idle = catalogue[1].status;
    idle->downloaded = true;
    Load("[B]\nname=b\n[A]\nname=a\n");
    ASSERT_EQ(catalogue.size(), 2u);
    EXPECT_EQ(catalogue[1].status, running);
    EXPECT_TRUE(catalogue[1].status->downloading);
    EXPECT_NE(catalogue[0].status, idle);
    EXPECT_FALSE(catalogue[0].status->downloaded);
}

}  // namespace
