// Background downloads against a local server: single archives, multi-volume
// sets, fallbacks, failures, the status phases seen from the frame thread and
// four downloads at once while the frame thread sorts and reloads the list.
#include "config/launcher_settings.h"
#include "mods/catalogue_view.h"
#include "mods/download_manager.h"
#include "mods/installed_mods.h"
#include "support/game_folder.h"
#include "support/http_server.h"
#include "support/zip_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace DownloadManager;
namespace fs = std::filesystem;

namespace {

// With TZ unset, glibc rebuilds its time-zone name on every mktime (the
// installer's zip time stamps) under a lock of its own that ThreadSanitizer
// cannot see. The same zone named in TZ takes glibc's read-only path.
const bool kTimeZoneNamed = [] {
    setenv("TZ", ":/etc/localtime", 0);
    return true;
}();

std::string ZipBytes(const std::vector<ZipWriterEntry>& entries) {
    TempDir dir;
    const std::string path = (dir.path() / "a.zip").string();
    EXPECT_TRUE(WriteTestZip(path, entries));
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Holds a server handler until the test opens it.
class Gate {
public:
    void Open() {
        std::lock_guard<std::mutex> lock(m_);
        open_ = true;
        cv_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

// Polls a condition the worker will make true; the test's own time limit
// ends a run where it never does.
template <typename F>
void WaitUntil(F condition) {
    while (!condition()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

class DownloadTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories("available_addons");
        fs::create_directories("LauncherFiles/ModsManager");
        // The installer hands rebuilt mod lists to the frame thread: this one.
        TakeRefreshedInstalledMods();
    }
    void TearDown() override {
        WaitForPendingTasks();
        ResetCatalogueForTesting();
    }
    // Runs one download to its end; returns the outcome.
    bool Download(const std::string& link, const std::string& destination, const std::string& id = "mod") {
        EXPECT_TRUE(DownloadFileAsync(link, destination, id, status));
        WaitForPendingTasks();
        return status->downloaded;
    }
    std::string Registry() const { return game.Read("LauncherFiles/ModsManager/downloaded_mods.ini"); }

    TempGameFolder game;
    LocalHttpServer server;
    std::shared_ptr<ModStatus> status = std::make_shared<ModStatus>();
};

TEST(VolumeNaming, BaseIsBeforeTheLastDotOfTheLastSegment) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://h/Pack.zip", "http://h/Pack.part3.zip"},
        {"http://h/Pack.tar.gz", "http://h/Pack.tar.part3.zip"},
        {"http://h/Pack", "http://h/Pack.part3.zip"},
        {"http://127.0.0.1:80/files/Pack", "http://127.0.0.1:80/files/Pack.part3.zip"},
        {"http://h/dir/", "http://h/dir/.part3.zip"},
        {"available_addons/Pack.zip", "available_addons/Pack.part3.zip"},
        {"Pack", "Pack.part3.zip"},
    };
    for (const auto& [link, volume] : cases) EXPECT_EQ(VolumeName(VolumeBase(link), 3), volume) << link;
}

TEST_F(DownloadTest, SingleArchiveIsInstalledAndRegisteredAfterOneProbe) {
    server.Serve("/mods/Pack.zip", ZipBytes({{"Pack/a.txt", "one"}}));
    EXPECT_TRUE(Download(server.Url("/mods/Pack.zip"), "available_addons/Pack.zip", "pack"));
    EXPECT_EQ(game.Read("available_addons/Pack/a.txt"), "one");
    EXPECT_FALSE(fs::exists("available_addons/Pack.zip"));  // deleted by the installer
    EXPECT_EQ(Registry(), "[DownloadedModsStatus]\npack = true\n\n");
    EXPECT_EQ(server.CountRequests("HEAD", "/mods/Pack.part1.zip"), 1);
    EXPECT_EQ(server.CountRequests("HEAD", "/mods/Pack.part2.zip"), 0);
    EXPECT_EQ(server.CountRequests("GET", "/mods/Pack.zip"), 1);
    EXPECT_FALSE(status->downloading || status->installing || status->transfer_live || status->task_running);
}

TEST_F(DownloadTest, VolumesAreInstalledBeforeTheMainArchive) {
    server.Serve("/m/Pack.part1.zip", ZipBytes({{"Pack/a.txt", "v1"}, {"Pack/only1.txt", "1"}}));
    server.Serve("/m/Pack.part2.zip", ZipBytes({{"Pack/a.txt", "v2"}, {"Pack/b.txt", "v2"}}));
    server.Serve("/m/Pack.zip", ZipBytes({{"Pack/a.txt", "main"}}));
    EXPECT_TRUE(Download(server.Url("/m/Pack.zip"), "available_addons/Pack.zip"));
    EXPECT_EQ(game.Read("available_addons/Pack/a.txt"), "main");
    EXPECT_EQ(game.Read("available_addons/Pack/b.txt"), "v2");
    EXPECT_EQ(game.Read("available_addons/Pack/only1.txt"), "1");
    const std::vector<std::string> expected{"HEAD /m/Pack.part1.zip", "HEAD /m/Pack.part2.zip",
                                            "HEAD /m/Pack.part3.zip", "GET /m/Pack.part1.zip",
                                            "GET /m/Pack.part2.zip",  "GET /m/Pack.zip"};
    EXPECT_EQ(server.Requests(), expected);
}

TEST_F(DownloadTest, LinkWithoutADotProbesTheWholeLink) {
    server.Serve("/files/Pack.part1.zip", ZipBytes({{"Mod/v.txt", "v"}}));
    server.Serve("/files/Pack", ZipBytes({{"Mod/m.txt", "m"}}));
    EXPECT_TRUE(Download(server.Url("/files/Pack"), "available_addons/Pack"));
    EXPECT_EQ(game.Read("available_addons/Mod/v.txt"), "v");
    EXPECT_EQ(game.Read("available_addons/Mod/m.txt"), "m");
    EXPECT_EQ(server.CountRequests("HEAD", "/files/Pack.part2.zip"), 1);
}

TEST_F(DownloadTest, LinkEndingInASlashFailsWithoutRequestingTheFile) {
    EXPECT_FALSE(Download(server.Url("/mods/"), "available_addons/"));
    const std::vector<std::string> expected{"HEAD /mods/.part1.zip"};
    EXPECT_EQ(server.Requests(), expected);
    EXPECT_TRUE(fs::is_directory("available_addons"));
}

TEST_F(DownloadTest, FailedDownloadIsNotRecordedAndLeavesNoFile) {
    game.Write("LauncherFiles/ModsManager/downloaded_mods.ini", "[DownloadedModsStatus]\nother = true\n");
    EXPECT_FALSE(Download(server.Url("/mods/Missing.zip"), "available_addons/Missing.zip", "missing"));
    EXPECT_EQ(Registry(), "[DownloadedModsStatus]\nother = true\n");
    EXPECT_FALSE(fs::exists("available_addons/Missing.zip"));
    EXPECT_FALSE(status->downloading || status->task_running);
}

TEST_F(DownloadTest, FailedVolumeFallsBackToOneSingleFileAttempt) {
    server.Serve("/m/Pack.part1.zip", ZipBytes({{"Pack/a.txt", "v1"}}));
    server.Handle("/m/Pack.part2.zip", [](const httplib::Request& req, httplib::Response& res) {
        // Present for the probe, gone when fetched.
        res.status = req.method == "HEAD" ? 200 : 500;
    });
    server.Serve("/m/Pack.zip", ZipBytes({{"Pack/a.txt", "main"}}));
    EXPECT_TRUE(Download(server.Url("/m/Pack.zip"), "available_addons/Pack.zip"));
    EXPECT_EQ(game.Read("available_addons/Pack/a.txt"), "main");
    EXPECT_FALSE(fs::exists("available_addons/Pack.part2.zip"));  // a failed part is deleted
    EXPECT_TRUE(fs::exists("available_addons/Pack.part1.zip"));   // earlier volumes stay
    EXPECT_EQ(server.CountRequests("GET", "/m/Pack.zip"), 1);
}

TEST_F(DownloadTest, StatusPhasesSeenFromTheFrameThread) {
    // Shared with the server's threads, which may still hold them after the test body.
    auto probe_gate = std::make_shared<Gate>(), body_gate = std::make_shared<Gate>();
    const auto zip_data = std::make_shared<const std::string>(ZipBytes({{"Slow/a.txt", std::string(4000, 'a')}}));
    const std::string& zip = *zip_data;
    server.Handle("/s/Slow.part1.zip", [probe_gate](const httplib::Request&, httplib::Response& res) {
        probe_gate->Wait();
        res.status = 404;
    });
    server.Handle("/s/Slow.zip", [body_gate, zip_data](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(zip_data->size(), "application/zip",
                                 [body_gate, zip_data](size_t offset, size_t, httplib::DataSink& sink) {
            const std::string& zip = *zip_data;
            if (offset == 0) {
                sink.write(zip.data(), zip.size() / 2);
                return true;
            }
            body_gate->Wait();
            sink.write(zip.data() + offset, zip.size() - offset);
            return true;
        });
    });

    ASSERT_TRUE(DownloadFileAsync(server.Url("/s/Slow.zip"), "available_addons/Slow.zip", "slow", status));
    // Volume probe: downloading, no transfer yet; a second start is refused.
    EXPECT_TRUE(status->downloading);
    EXPECT_FALSE(status->transfer_live);
    EXPECT_FALSE(status->installing);
    EXPECT_FALSE(DownloadFileAsync(server.Url("/s/Slow.zip"), "available_addons/Slow.zip", "slow", status));
    probe_gate->Open();

    // Single-file transfer: the byte counts arrive through the status.
    WaitUntil([&] { return status->bytes_received.load() == static_cast<long long>(zip.size() / 2); });
    EXPECT_TRUE(status->downloading);
    EXPECT_TRUE(status->transfer_live);
    EXPECT_FALSE(status->installing);
    EXPECT_EQ(status->bytes_announced.load(), static_cast<long long>(zip.size()));
    EXPECT_EQ(DownloadFraction(*status), static_cast<float>(static_cast<double>(zip.size() / 2) / zip.size()));
    body_gate->Open();

    WaitForPendingTasks();
    EXPECT_TRUE(status->downloaded);
    EXPECT_FALSE(status->downloading || status->transfer_live || status->installing || status->task_running);
    EXPECT_EQ(status->entry_count.load(), 1);  // the installer counted into the same status
    EXPECT_EQ(game.Read("available_addons/Slow/a.txt"), std::string(4000, 'a'));
}

TEST_F(DownloadTest, FallbackAfterAFailedVolumeShowsAsDownloading) {
    auto body_gate = std::make_shared<Gate>();
    const auto zip_data = std::make_shared<const std::string>(ZipBytes({{"Fall/a.txt", "a"}}));
    server.Handle("/f/Fall.part1.zip", [](const httplib::Request& req, httplib::Response& res) {
        res.status = req.method == "HEAD" ? 200 : 500;
    });
    server.Handle("/f/Fall.zip", [body_gate, zip_data](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(zip_data->size(), "application/zip",
                                 [body_gate, zip_data](size_t offset, size_t, httplib::DataSink& sink) {
            const std::string& zip = *zip_data;
            if (offset == 0) {
                sink.write(zip.data(), 1);
                return true;
            }
            body_gate->Wait();
            sink.write(zip.data() + offset, zip.size() - offset);
            return true;
        });
    });
    ASSERT_TRUE(DownloadFileAsync(server.Url("/f/Fall.zip"), "available_addons/Fall.zip", "fall", status));
    WaitUntil([&] { return server.CountRequests("GET", "/f/Fall.zip") == 1 && status->bytes_received.load() == 1; });
    // The single-file attempt runs with its progress shown, so no download
    // button is offered meanwhile.
    EXPECT_TRUE(status->downloading);
    EXPECT_TRUE(status->transfer_live);
    body_gate->Open();
    WaitForPendingTasks();
    EXPECT_TRUE(status->downloaded);
    EXPECT_EQ(game.Read("available_addons/Fall/a.txt"), "a");
}

// Four downloads at once while the frame thread sorts and reloads the list and
// reads every status field, as the screen does on each frame.
TEST_F(DownloadTest, FourDownloadsWhileTheListIsSortedAndReloaded) {
    const std::vector<std::string> ids{"d_one", "c_two", "b_three", "a_missing"};
    std::string ini;
    for (size_t i = 0; i < ids.size(); ++i) {
        const std::string& id = ids[i];
        ini += "[" + id + "]\nparent_mod = group" + std::to_string(i % 2) + "\ndownload_link = " +
               server.Url("/z/" + id + ".zip") + "\n";
        if (id != "a_missing")
            server.Serve("/z/" + id + ".zip", ZipBytes({{id + "/data.bin", std::string(300000, static_cast<char>('a' + i))}}));
    }
    server.Serve("/z/mods_descr.ini", ini);
    launcher_settings.mods_ini_link = server.Url("/z/mods_descr.ini");
    launcher_settings.mods_images_link = server.Url("/z/previews/");
    LoadCatalogue();
    ASSERT_EQ(catalogue.size(), ids.size());
    for (int k = 0; k < static_cast<int>(catalogue.size()); ++k) ASSERT_TRUE(StartCatalogueDownload(k));

    long long seen = 0;  // every field is read, as a frame would
    for (int frame = 0;; ++frame) {
        TakeRefreshedInstalledMods();
        SortCatalogue(catalogue);
        if (frame % 5 == 0) LoadCatalogue();
        bool busy = false;
        for (const DownloadableMod& mod : catalogue) {
            const ModStatus& s = *mod.status;
            seen += s.downloaded + s.downloading + s.installing + s.current_entry + s.entry_count + s.transfer_live;
            seen += static_cast<long long>(DownloadFraction(s) + InstallFraction(s));
            busy = busy || s.task_running;
        }
        if (!busy && frame > 0) break;
    }
    RecordProperty("status_reads", std::to_string(seen));
    WaitForPendingTasks();
    LoadCatalogue();
    ASSERT_EQ(catalogue.size(), ids.size());
    for (const DownloadableMod& mod : catalogue) {
        SCOPED_TRACE(mod.id);
        const bool should_succeed = mod.id != "a_missing";
        EXPECT_EQ(mod.status->downloaded.load(), should_succeed);
        EXPECT_EQ(fs::exists("available_addons/" + mod.id + "/data.bin"), should_succeed);
    }
}

}  // namespace
