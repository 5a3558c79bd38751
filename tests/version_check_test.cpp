// The engine version check against a local HTTP server.
#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "screens/version_check.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <thread>

namespace {

// Serves /engine/build_version.h with a body and status the test sets.
class HeaderServer {
public:
    HeaderServer() {
        server_.Get("/engine/build_version.h", [this](const httplib::Request&, httplib::Response& res) {
            ++hits;
            res.status = status;
            res.set_content(body, "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~HeaderServer() {
        server_.stop();
        thread_.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/engine/build_version.h"; }

    std::string body;
    int status = 200;
    std::atomic<int> hits{0};

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// Nothing listens on port 1 of the loopback address.
const char* const kNoServer = "http://127.0.0.1:1/engine/build_version.h";

struct FetchCase {
    const char* what;
    std::string body;
    int status;
    std::string expected;
};

TEST(FetchLatestVersion, TakesTenBytesAfterTheNameAndItsTwoFollowers) {
    const FetchCase cases[] = {
        {"padded line", "#define GAME_VERSION \"1.6.02\"   \n", 200, "1.6.02"},
        {"tabs", "#define GAME_VERSION\t\"2.1.314\"\t\t", 200, "2.1.314"},
        {"line break kept", "#define GAME_VERSION \"1.6.02\"\r\n#define X", 200, "1.6.02\r\n#"},
        {"first occurrence counts", "GAME_VERSION \"1.6.03\"   \nGAME_VERSION \"9.9.99\"   ", 200, "1.6.03"},
        {"body ends early", "x GAME_VERSION \"1.6", 200, "1.6"},
        {"no name", "#define ENGINE_VERSION \"1.6.02\"   ", 200, ""},
        {"shorter than the name", "GAME_VER", 200, ""},
        {"name ends the body", "#define GAME_VERSION", 200, ""},
        {"one byte after the name", "#define GAME_VERSION ", 200, ""},
        {"404 page", "<html>Not Found</html>", 404, ""},
        {"error page counts as a body", "GAME_VERSION \"7.7.77\"   ", 500, "7.7.77"},
    };
    HeaderServer server;
    for (const FetchCase& c : cases) {
        server.body = c.body;
        server.status = c.status;
        EXPECT_EQ(FetchLatestVersion(server.Url(), " \"\t"), c.expected) << c.what;
    }
    EXPECT_EQ(FetchLatestVersion(kNoServer, " \"\t"), "");
}

class VersionLineTest : public ::testing::Test {
protected:
    std::string Label() const { return LookupText("ui_launcher_engine_version_text"); }
    TempGameFolder game;
    HeaderServer server;
};

struct LineCase {
    const char* what;
    std::string installed;
    std::string served;
    bool disable_check;
    bool latest;
    ImVec4 colour;
};

TEST_F(VersionLineTest, ColourAndTextFollowTheVerdict) {
    const ImVec4 white(1, 1, 1, 1), green(0.2f, 0.8f, 0.2f, 1), red(1, 0, 0, 1);
    const LineCase cases[] = {
        {"latest", "1.6.02", "#define GAME_VERSION \"1.6.02\"    ", false, true, green},
        {"older", "1.6.02", "#define GAME_VERSION \"1.6.03\"    ", false, false, red},
        {"line break", "1.6.02", "#define GAME_VERSION \"1.6.02\"\n#define", false, false, red},
        {"verdict off", "1.6.02", "#define GAME_VERSION \"1.6.03\"    ", true, false, white},
    };
    launcher_settings.engine_version_link = server.Url();
    for (const LineCase& c : cases) {
        ResetVersionCheckForTesting();
        server.body = c.served;
        launcher_settings.disable_check_version = c.disable_check;
        engine_version = c.installed;
        version_is_latest = CheckEngineVersion(engine_version);
        EXPECT_EQ(version_is_latest, c.latest) << c.what;
        EXPECT_TRUE(version_checked);

        const EngineVersionLine line = ComposeEngineVersionLine();
        EXPECT_EQ(line.colour.x, c.colour.x) << c.what;
        EXPECT_EQ(line.colour.y, c.colour.y) << c.what;
        EXPECT_EQ(line.colour.z, c.colour.z) << c.what;
        std::string expected = Label() + c.installed;
        if (!c.disable_check) {
            expected += " " + (c.latest ? LookupText("ui_launcher_engine_version_actual_text") : latest_version_text);
        }
        EXPECT_EQ(line.text, ToUtf8(expected)) << c.what;
    }
    EXPECT_EQ(server.hits, 4) << "the request is made even with the verdict off";
    // The red line names the latest version, line-break bytes and all.
    ResetVersionCheckForTesting();
    server.body = "#define GAME_VERSION \"1.6.02\"\n#define";
    CheckEngineVersion("1.6.02");
    EXPECT_EQ(latest_version_text, "(Last version: 1.6.02\n#d)");
}

TEST_F(VersionLineTest, RunsOncePerProcessWithoutEngineOrNetwork) {
    launcher_settings.engine_version_link = server.Url();
    server.body = "#define GAME_VERSION \"1.6.02\"    ";
    for (int frame = 0; frame < 3; ++frame) UpdateEngineVersion();
    EXPECT_EQ(server.hits, 1);
    EXPECT_EQ(engine_version, "");
    EXPECT_FALSE(version_is_latest);
    EXPECT_EQ(latest_version_text, "(Last version: 1.6.02)");

    // Nothing to compare on either side: both empty, so "latest".
    ResetVersionCheckForTesting();
    launcher_settings.engine_version_link = kNoServer;
    UpdateEngineVersion();
    EXPECT_TRUE(version_checked);
    EXPECT_TRUE(version_is_latest);
    EXPECT_EQ(latest_version_text, "(Last version: )");
}

}  // namespace
