// HTTP file transfers against a local server: the success rule, redirects,
// short bodies, stalled servers and unwritable destinations.
#include "mods/transfer.h"
#include "support/game_folder.h"
#include "support/http_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const std::string kBody = "PK-not-really-a-zip 0123456789";

// Sends half of an announced body and then closes the connection.
void CutShort(const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(1000, "application/octet-stream", [](size_t, size_t, httplib::DataSink& sink) {
        const std::string half(500, 'x');
        sink.write(half.data(), half.size());
        return false;
    });
}

class TransferTest : public testing::Test {
protected:
    void SetUp() override {
        server.Serve("/file.bin", kBody);
        server.Handle("/moved", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(server.Url("/file.bin"));
        });
        server.Handle("/partial", [](const httplib::Request&, httplib::Response& res) {
            res.status = 206;
            res.set_content(kBody, "application/octet-stream");
        });
        server.Handle("/not-modified", [](const httplib::Request&, httplib::Response& res) { res.status = 304; });
        server.Handle("/short", CutShort);
        server.Handle("/stall", [this](const httplib::Request&, httplib::Response& res) {
            // Headers go out, then the body never comes.
            res.set_content_provider(1000, "application/octet-stream", [this](size_t, size_t, httplib::DataSink&) {
                for (int i = 0; i < 200 && !server.stopping(); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return false;
            });
        });
    }
    void TearDown() override { ResetTransferForTesting(); }

    TempGameFolder game;
    LocalHttpServer server;
};

TEST_F(TransferTest, SuccessOnlyForAFinal200WithTheWholeBody) {
    struct Case {
        std::string path;
        bool ok;
        std::string line;  // expected diagnostic line, empty for none
    };
    const Case cases[] = {
        {"/file.bin", true, ""},
        {"/missing", false, "Ошибка HTTP: 404\n"},
        {"/moved", true, ""},
        {"/partial", false, "Ошибка HTTP: 206\n"},
        {"/not-modified", false, "Ошибка HTTP: 304\n"},
        {"/short", false, "Ошибка CURL: " + std::string(curl_easy_strerror(CURLE_PARTIAL_FILE)) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        fs::remove("out.bin");
        CaptureStderr();
        const bool ok = FetchFile(server.Url(c.path), "out.bin");
        const std::string err = GetCapturedStderr();
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(game.Read("out.bin"), kBody);
        } else {
            EXPECT_NE(err.find(c.line), std::string::npos) << err;
        }
    }
}

TEST_F(TransferTest, NoServerReportsStatusZero) {
    int closed_port;
    {
        LocalHttpServer gone;
        closed_port = gone.port();
    }
    CaptureStderr();
    EXPECT_FALSE(FetchFile("http://127.0.0.1:" + std::to_string(closed_port) + "/x", "out.bin"));
    EXPECT_EQ(GetCapturedStderr(), "Ошибка HTTP: 0\n");
}

TEST_F(TransferTest, FolderDestinationMakesNoRequest) {
    fs::create_directories("available_addons");
    CaptureStderr();
    EXPECT_FALSE(FetchFile(server.Url("/file.bin"), "available_addons/"));
    EXPECT_EQ(GetCapturedStderr(), "Ошибка открытия файла для записи\n");
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(TransferTest, StalledServerTripsTheLowSpeedLimit) {
    SetTransferLimitsForTesting({/*connect*/ 5, /*bytes per second*/ 1, /*seconds*/ 1});
    CaptureStderr();
    EXPECT_FALSE(FetchFile(server.Url("/stall"), "out.bin"));
    const std::string err = GetCapturedStderr();
    EXPECT_NE(err.find(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)), std::string::npos) << err;
}

TEST_F(TransferTest, CountersPublishReceivedAndAnnouncedBytes) {
    std::atomic<long long> received{-1}, announced{-1};
    CURL* curl = NewTransfer();
    ASSERT_NE(curl, nullptr);
    std::FILE* f = OpenForWriting("out.bin");
    ASSERT_NE(f, nullptr);
    const TransferResult r = TransferToFile(curl, server.Url("/file.bin"), f, {&received, &announced});
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(received.load(), static_cast<long long>(kBody.size()));
    EXPECT_EQ(announced.load(), static_cast<long long>(kBody.size()));

    // The same handle reused for a second request starts its counts afresh.
    f = OpenForWriting("out2.bin");
    const TransferResult again = TransferToFile(curl, server.Url("/short"), f, {&received, &announced});
    EXPECT_FALSE(again.Ok());
    EXPECT_EQ(announced.load(), 1000);
    EXPECT_EQ(received.load(), 500);
    curl_easy_cleanup(curl);
}

TEST_F(TransferTest, DescribeFailureNamesTheCurlErrorBeforeTheStatus) {
    EXPECT_EQ(DescribeFailure({CURLE_OK, 404}), "HTTP 404");
    EXPECT_EQ(DescribeFailure({CURLE_COULDNT_CONNECT, 0}), curl_easy_strerror(CURLE_COULDNT_CONNECT));
}

}  // namespace
