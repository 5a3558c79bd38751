// The Discord client against a fake Discord: a Unix socket server in a
// temporary XDG_RUNTIME_DIR, driven step by step from the test thread.
#include "platform/message_box.h"
#include "presence/discord_ipc.h"
#include "presence/discord_register.h"
#include "presence/discord_rpc.h"
#include "presence/rich_presence.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using discord_ipc::EncodeFrame;
using discord_ipc::Event;
using discord_ipc::Frame;
using discord_ipc::FrameReader;
using discord_ipc::Opcode;

namespace {

constexpr const char* kAppId = "123456789012345678";
constexpr const char* kStartError =
    "Unable to initialize Discord Rich Presence. Make sure Discord is opened or try again.";
// Generous bound for anything the worker does "promptly": far above a
// working client, far below its shortest retry sleep chain.
constexpr auto kPatience = 5s;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

rapidjson::Document ParseJson(const std::string& text) {
    rapidjson::Document doc;
    doc.Parse(text.c_str(), text.size());
    return doc;
}

std::string ReadyPayload() {
    return R"({"cmd":"DISPATCH","evt":"READY","data":{"v":1,"user":{"id":"42","username":"tester",)"
           R"("discriminator":"0","avatar":"abc"}}})";
}

// -----------------------------------------------------------------------------
// The fake Discord
// -----------------------------------------------------------------------------
class FakeDiscord {
public:
    explicit FakeDiscord(fs::path path) : path_(std::move(path)) {}
    ~FakeDiscord() { Stop(); }

    void Listen() {
        ::unlink(path_.c_str());
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener_, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path_.c_str(), sizeof(addr.sun_path) - 1);
        ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0) << std::strerror(errno);
        ASSERT_EQ(listen(listener_, 4), 0);
    }

    // Discord going away: the connection and the listening socket close.
    void Stop() {
        CloseConnection();
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
        ::unlink(path_.c_str());
    }

    bool Accept() {
        CloseConnection();
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) != 1) return false;
        conn_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        reader_ = FrameReader();
        return conn_ >= 0;
    }

    void CloseConnection() {
        if (conn_ >= 0) close(conn_);
        conn_ = -1;
    }

    void Send(const std::string& bytes) {
        ASSERT_EQ(send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    void SendFrame(Opcode op, const std::string& payload) { Send(EncodeFrame(op, payload)); }
    void CloseWriteSide() { shutdown(conn_, SHUT_WR); }

    // The next whole frame from the client; nullopt on timeout or end of stream.
    std::optional<Frame> ReadFrame() {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        Frame frame;
        while (reader_.Next(frame) != FrameReader::Result::Frame) {
            if (!WaitReadable(deadline)) return std::nullopt;
            char buffer[4096];
            const ssize_t n = recv(conn_, buffer, sizeof(buffer), 0);
            if (n <= 0) return std::nullopt;
            reader_.Feed(buffer, static_cast<size_t>(n));
        }
        return frame;
    }

    // The first raw bytes of the connection, unparsed.
    std::string ReadBytes(size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        std::string bytes;
        while (bytes.size() < count && WaitReadable(deadline)) {
            char buffer[4096];
            const ssize_t n = recv(conn_, buffer, std::min(sizeof(buffer), count - bytes.size()), 0);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<size_t>(n));
        }
        return bytes;
    }

    // True when the client closes its end within the patience.
    bool SeesEndOfStream() {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (WaitReadable(deadline)) {
            char buffer[4096];
            const ssize_t n = recv(conn_, buffer, sizeof(buffer), 0);
            if (n == 0 || (n < 0 && errno == ECONNRESET)) return true;
            if (n < 0) return false;
        }
        return false;
    }

    // Accepts the client, checks its handshake and answers READY.
    void Greet() {
        ASSERT_TRUE(Accept());
        const std::optional<Frame> hello = ReadFrame();
        ASSERT_TRUE(hello);
        ASSERT_EQ(hello->opcode, static_cast<uint32_t>(Opcode::Handshake));
        SendFrame(Opcode::Frame, ReadyPayload());
    }

private:
    bool WaitReadable(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{conn_, POLLIN, 0};
        return poll(&p, 1, static_cast<int>(left.count())) == 1;
    }

    fs::path path_;
    int listener_ = -1;
    int conn_ = -1;
    FrameReader reader_;
};

// What the library's callbacks saw; they run on the test thread inside
// Discord_RunCallbacks.
struct Seen {
    std::vector<std::string> ready_users;
    std::vector<std::pair<int, std::string>> disconnects;
};
Seen seen;
void OnReady(const DiscordUser* user) { seen.ready_users.emplace_back(user->userId); }
void OnDisconnected(int code, const char* message) { seen.disconnects.emplace_back(code, message); }

// The environment a test process gives the client: a private runtime folder
// for the sockets, a private HOME for the registration and an xdg-mime on
// PATH that only records its arguments.
class PresenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "PATH"}) {
            const char* value = std::getenv(name);
            saved_env_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        for (const char* sub : {"run", "home", "bin"}) fs::create_directories(dir_.path() / sub);
        const fs::path fake = dir_.path() / "bin" / "xdg-mime";
        std::ofstream(fake) << "#!/bin/sh\nexec 2>/dev/null\nprintf '%s\\n' \"$@\" > \"$HOME/xdg-mime.args\"\n";
        fs::permissions(fake, fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (dir_.path() / "run").c_str(), 1);
        setenv("HOME", home().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home() / ".config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home() / ".local/share").c_str(), 1);
        const char* path = std::getenv("PATH");
        setenv("PATH", ((dir_.path() / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
        SetMessageSink([this](const std::string& caption, const std::string& text) {
            messages_.emplace_back(caption, text);
        });
        ResetRichPresenceForTesting();
        seen = Seen();
    }

    void TearDown() override {
        ResetRichPresenceForTesting();
        SetMessageSink(nullptr);
        for (const auto& [name, value] : saved_env_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

    fs::path home() const { return dir_.path() / "home"; }
    fs::path SocketPath(int index = 0) const { return dir_.path() / "run" / ("discord-ipc-" + std::to_string(index)); }

    TempDir dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_env_;
    std::vector<std::pair<std::string, std::string>> messages_;
};

}  // namespace

// -----------------------------------------------------------------------------
// Frames and sessions, without sockets
// -----------------------------------------------------------------------------
TEST(DiscordFrameReader, CutsStreamsIntoFramesAndRefusesOversizedOnes) {
    std::string header_too_long = EncodeFrame(Opcode::Frame, "");
    const uint32_t too_long = discord_ipc::kMaxPayloadSize + 1;
    std::memcpy(&header_too_long[4], &too_long, 4);  // little-endian host
    const std::string largest(discord_ipc::kMaxPayloadSize, 'x');
    struct Case {
        const char* name;
        std::string stream;
        size_t chunk;  // bytes per Feed; 0 = all at once
        std::vector<std::pair<Opcode, std::string>> frames;
        bool error;
    };
    const Case cases[] = {
        {"one frame", EncodeFrame(Opcode::Frame, "{}"), 0, {{Opcode::Frame, "{}"}}, false},
        {"two frames in one read", EncodeFrame(Opcode::Ping, "a") + EncodeFrame(Opcode::Close, "bc"), 0,
         {{Opcode::Ping, "a"}, {Opcode::Close, "bc"}}, false},
        {"byte by byte", EncodeFrame(Opcode::Frame, "{\"evt\":1}") + EncodeFrame(Opcode::Pong, ""), 1,
         {{Opcode::Frame, "{\"evt\":1}"}, {Opcode::Pong, ""}}, false},
        {"largest frame", EncodeFrame(Opcode::Frame, largest), 1000, {{Opcode::Frame, largest}}, false},
        {"truncated header", EncodeFrame(Opcode::Frame, "{}").substr(0, 5), 0, {}, false},
        {"truncated payload", EncodeFrame(Opcode::Frame, "{\"a\":1}").substr(0, 12), 0, {}, false},
        {"length over the limit", header_too_long, 0, {}, true},
        {"nothing after a bad length", header_too_long + EncodeFrame(Opcode::Frame, "{}"), 0, {}, true},
        {"good frame then bad length", EncodeFrame(Opcode::Ping, "p") + header_too_long, 3, {{Opcode::Ping, "p"}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameReader reader;
        std::vector<std::pair<Opcode, std::string>> got;
        bool error = false;
        const size_t chunk = c.chunk ? c.chunk : c.stream.size();
        for (size_t at = 0; at < c.stream.size() && !error; at += chunk) {
            reader.Feed(c.stream.data() + at, std::min(chunk, c.stream.size() - at));
            Frame frame;
            FrameReader::Result r;
            while ((r = reader.Next(frame)) == FrameReader::Result::Frame)
                got.emplace_back(static_cast<Opcode>(frame.opcode), frame.payload);
            error = r == FrameReader::Result::Error;
        }
        EXPECT_EQ(got, c.frames);
        EXPECT_EQ(error, c.error);
    }
}

TEST(DiscordSession, AnswersOrClosesOnWhatDiscordSends) {
    using K = Event::Kind;
    struct Case {
        const char* name;
        bool ready_first;
        std::string stream;
        bool keep;
        std::vector<K> events;  // after the READY of ready_first
        std::string reply;
    };
    const Case cases[] = {
        {"READY", false, EncodeFrame(Opcode::Frame, ReadyPayload()), true, {K::Ready}, ""},
        {"handshake refused", false,
         EncodeFrame(Opcode::Frame, R"({"evt":"ERROR","data":{"code":4000,"message":"bad id"}})"), false,
         {K::Errored}, ""},
        {"close before READY", false, EncodeFrame(Opcode::Close, R"({"code":4000,"message":"Invalid Client ID"})"),
         false, {K::Errored}, ""},
        {"ping", true, EncodeFrame(Opcode::Ping, "{\"n\":7}"), true, {}, EncodeFrame(Opcode::Pong, "{\"n\":7}")},
        {"close after READY", true, EncodeFrame(Opcode::Close, R"({"code":1000,"message":"bye"})"), false,
         {K::Disconnected}, ""},
        {"invalid JSON", true, EncodeFrame(Opcode::Frame, "{\"evt\":"), false, {K::Disconnected}, ""},
        {"JSON that is no object", true, EncodeFrame(Opcode::Frame, "[1,2]"), false, {K::Disconnected}, ""},
        {"unknown opcode", true, EncodeFrame(static_cast<Opcode>(9), "{}"), false, {K::Disconnected}, ""},
        {"handshake from Discord", true, EncodeFrame(Opcode::Handshake, "{}"), false, {K::Disconnected}, ""},
        {"answer to a command", true, EncodeFrame(Opcode::Frame, R"({"cmd":"SET_ACTIVITY","evt":null})"), true, {},
         ""},
        {"join event", true, EncodeFrame(Opcode::Frame, R"({"cmd":"DISPATCH","evt":"ACTIVITY_JOIN","data":{"secret":"s"}})"),
         true, {K::JoinGame}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        discord_ipc::Session session(kAppId);
        std::string out;
        std::vector<Event> events;
        if (c.ready_first) {
            const std::string ready = EncodeFrame(Opcode::Frame, ReadyPayload());
            ASSERT_TRUE(session.Receive(ready.data(), ready.size(), out, events));
            events.clear();
        }
        EXPECT_EQ(session.Receive(c.stream.data(), c.stream.size(), out, events), c.keep);
        std::vector<K> kinds;
        for (const Event& e : events) kinds.push_back(e.kind);
        EXPECT_EQ(kinds, c.events);
        EXPECT_EQ(out, c.reply);
    }
}

TEST(DiscordPayloads, ActivityFieldsAreCutToDiscordsLimitsOnCharacterBoundaries) {
    const std::string e_acute = "\xC3\xA9";
    std::string many_accents;
    for (int i = 0; i < 65; ++i) many_accents += e_acute;
    struct Case {
        const char* name;
        std::string state;
        std::string expected;
    };
    const Case cases[] = {
        {"short", "In menus", "In menus"},
        {"ascii over 128", std::string(130, 'a'), std::string(128, 'a')},
        {"two-byte characters over 128", many_accents, many_accents.substr(0, 128)},
        {"cut would split a character", "a" + many_accents, "a" + many_accents.substr(0, 126)},
        {"invalid byte", "ab\xFF", ""},
        {"unfinished sequence", "ab\xC3", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiscordRichPresence p{};
        p.state = c.state.c_str();
        EXPECT_EQ(discord_ipc::CopyActivity(p).state, c.expected);
    }
}

TEST(DiscordPayloads, SetActivityCarriesPidActivityAndNonce) {
    DiscordRichPresence p{};
    p.state = "In menus";
    p.details = "Velmora";
    p.startTimestamp = 1700000000;
    p.largeImageKey = "logo";
    p.partyId = "party";
    p.partySize = 2;
    p.partyMax = 4;
    p.instance = 1;
    const auto doc = ParseJson(discord_ipc::SetActivityPayload(4242, discord_ipc::CopyActivity(p), 17));
    ASSERT_TRUE(doc.IsObject());
    EXPECT_STREQ(doc["cmd"].GetString(), "SET_ACTIVITY");
    EXPECT_STREQ(doc["nonce"].GetString(), "17");
    EXPECT_EQ(doc["args"]["pid"].GetInt(), 4242);
    const auto& a = doc["args"]["activity"];
    EXPECT_STREQ(a["state"].GetString(), "In menus");
    EXPECT_STREQ(a["details"].GetString(), "Velmora");
    EXPECT_EQ(a["timestamps"]["start"].GetInt64(), 1700000000);
    EXPECT_FALSE(a["timestamps"].HasMember("end"));
    EXPECT_STREQ(a["assets"]["large_image"].GetString(), "logo");
    EXPECT_EQ(a["party"]["size"][0].GetInt(), 2);
    EXPECT_EQ(a["party"]["size"][1].GetInt(), 4);
    EXPECT_TRUE(a["instance"].GetBool());
    EXPECT_FALSE(a.HasMember("secrets"));
}

// -----------------------------------------------------------------------------
// The client against the fake Discord
// -----------------------------------------------------------------------------
TEST_F(PresenceTest, HandshakeIsExactAndReadyAndPingAreAnswered) {
    FakeDiscord discord(SocketPath(3));  // not the first name: the client tries them all
    discord.Listen();
    DiscordEventHandlers handlers{};
    handlers.ready = OnReady;
    Discord_Initialize(kAppId, &handlers, 0, nullptr);
    ASSERT_TRUE(discord.Accept());

    const std::string json = std::string("{\"v\":1,\"client_id\":\"") + kAppId + "\"}";
    const std::string expected = std::string("\0\0\0\0", 4) + static_cast<char>(json.size()) + std::string(3, '\0') + json;
    EXPECT_EQ(discord.ReadBytes(expected.size()), expected);

    discord.SendFrame(Opcode::Frame, ReadyPayload());
    discord.SendFrame(Opcode::Ping, "{\"nonce\":\"p1\"}");
    const std::optional<Frame> pong = discord.ReadFrame();
    ASSERT_TRUE(pong);
    EXPECT_EQ(pong->opcode, static_cast<uint32_t>(Opcode::Pong));
    EXPECT_EQ(pong->payload, "{\"nonce\":\"p1\"}");

    // READY came before the ping, so its event is queued by now.
    Discord_RunCallbacks();
    EXPECT_EQ(seen.ready_users, std::vector<std::string>{"42"});
}

TEST_F(PresenceTest, NoDiscordCostsNoDelayAndALateOneIsFoundAndRefound) {
    const auto started = std::chrono::steady_clock::now();
    StartRichPresence();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, 100ms);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(Discord_IsRunning());

    FakeDiscord discord(SocketPath());
    discord.Listen();
    ASSERT_TRUE(discord.Accept()) << "no connection within the backoff";
    const std::optional<Frame> hello = discord.ReadFrame();
    ASSERT_TRUE(hello);
    EXPECT_STREQ(ParseJson(hello->payload)["client_id"].GetString(), VELMORA_APP_ID);
    discord.SendFrame(Opcode::Frame, ReadyPayload());

    // Discord quits and comes back: the client finds the new socket.
    discord.Stop();
    discord.Listen();
    ASSERT_TRUE(discord.Accept()) << "no reconnection";
    const std::optional<Frame> again = discord.ReadFrame();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->opcode, static_cast<uint32_t>(Opcode::Handshake));
}

TEST_F(PresenceTest, PresenceQueuedBeforeConnectingIsSentAfterReadyClearedAndResentAfterAReconnect) {
    Discord_Initialize(kAppId, nullptr, 0, nullptr);
    DiscordRichPresence p{};
    p.state = "In menus";
    Discord_UpdatePresence(&p);

    FakeDiscord discord(SocketPath());
    discord.Listen();
    discord.Greet();
    const std::optional<Frame> set = discord.ReadFrame();
    ASSERT_TRUE(set);
    const auto doc = ParseJson(set->payload);
    ASSERT_TRUE(doc.IsObject()) << set->payload;
    EXPECT_STREQ(doc["cmd"].GetString(), "SET_ACTIVITY");
    EXPECT_EQ(doc["args"]["pid"].GetInt(), static_cast<int>(getpid()));
    EXPECT_STREQ(doc["args"]["activity"]["state"].GetString(), "In menus");
    ASSERT_TRUE(doc["nonce"].IsString());

    Discord_ClearPresence();
    const std::optional<Frame> clear = discord.ReadFrame();
    ASSERT_TRUE(clear);
    const auto cleared = ParseJson(clear->payload);
    ASSERT_TRUE(cleared.IsObject()) << clear->payload;
    EXPECT_STREQ(cleared["cmd"].GetString(), "SET_ACTIVITY");
    EXPECT_EQ(cleared["args"]["pid"].GetInt(), static_cast<int>(getpid()));
    EXPECT_FALSE(cleared["args"].HasMember("activity"));
    EXPECT_STRNE(cleared["nonce"].GetString(), doc["nonce"].GetString());

    // Discord forgets activities with the connection: after a restart the
    // latest one is sent again.
    discord.Stop();
    discord.Listen();
    discord.Greet();
    const std::optional<Frame> resent = discord.ReadFrame();
    ASSERT_TRUE(resent);
    const auto again = ParseJson(resent->payload);
    ASSERT_TRUE(again.IsObject()) << resent->payload;
    EXPECT_STREQ(again["cmd"].GetString(), "SET_ACTIVITY");
    EXPECT_FALSE(again["args"].HasMember("activity"));
}

TEST_F(PresenceTest, StopWhileConnectedClosesTheSocketAndJoinsPromptly) {
    FakeDiscord discord(SocketPath());
    discord.Listen();
    StartRichPresence();
    discord.Greet();
    discord.SendFrame(Opcode::Ping, "{}");
    ASSERT_TRUE(discord.ReadFrame());  // the worker is idle in its wait now

    const auto started = std::chrono::steady_clock::now();
    StopRichPresence();
    // Well below the first retry delay: the worker was woken, not slept out.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 400ms);
    EXPECT_FALSE(Discord_IsRunning());
    EXPECT_TRUE(discord.SeesEndOfStream());
}

TEST_F(PresenceTest, MalformedFramesFromDiscordCloseTheConnection) {
    std::string too_long = EncodeFrame(Opcode::Frame, "");
    const uint32_t length = 64 * 1024 + 1;
    std::memcpy(&too_long[4], &length, 4);
    struct Case {
        const char* name;
        std::string bytes;
        bool close_write;  // Discord stops sending after the bytes
    };
    const Case cases[] = {
        {"length over 64 KiB", too_long, false},
        {"truncated header", EncodeFrame(Opcode::Frame, "{}").substr(0, 5), true},
        {"invalid JSON", EncodeFrame(Opcode::Frame, "{\"cmd\":\"DISPATCH\","), false},
        {"unknown opcode", EncodeFrame(static_cast<Opcode>(77), "{}"), false},
    };
    FakeDiscord discord(SocketPath());
    discord.Listen();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen = Seen();
        DiscordEventHandlers handlers{};
        handlers.disconnected = OnDisconnected;
        Discord_Initialize(kAppId, &handlers, 0, nullptr);
        discord.Greet();
        discord.Send(c.bytes);
        if (c.close_write) discord.CloseWriteSide();
        EXPECT_TRUE(discord.SeesEndOfStream());
        Discord_RunCallbacks();
        EXPECT_EQ(seen.disconnects.size(), 1u);
        EXPECT_TRUE(Discord_IsRunning());
        Discord_Shutdown();
    }
}

TEST_F(PresenceTest, AWorkerThatCannotBeCreatedIsReportedAndTheLauncherGoesOn) {
    Discord_FailNextInitializeForTesting();
    StartRichPresence();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].first, "ERROR!");
    EXPECT_EQ(messages_[0].second, kStartError);
    EXPECT_FALSE(Discord_IsRunning());
    StopRichPresence();  // the shell's shut-down still calls it

    // The failure does not stick: the next start runs normally.
    StartRichPresence();
    EXPECT_TRUE(Discord_IsRunning());
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(PresenceTest, AutoRegisterWritesTheDesktopEntryAndCallsXdgMime) {
    struct Case {
        const char* id;
        int auto_register;
        bool registered;
    };
    const Case cases[] = {
        {kAppId, 1, true},
        {kAppId, 0, false},
        {"12/../../evil", 1, false},  // never a path outside the folder
    };
    const fs::path apps = home() / ".local/share/applications";
    const fs::path args_file = home() / "xdg-mime.args";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " auto_register=" + std::to_string(c.auto_register));
        fs::remove_all(home() / ".local");
        fs::remove(args_file);
        Discord_Initialize(c.id, nullptr, c.auto_register, nullptr);
        Discord_Shutdown();
        const fs::path entry = apps / (std::string("discord-") + c.id + ".desktop");
        if (!c.registered) {
            EXPECT_FALSE(fs::exists(home() / ".local"));
            continue;
        }
        ASSERT_TRUE(fs::exists(entry));
        const std::string text = ReadFile(entry);
        const std::string exe = fs::read_symlink("/proc/self/exe").string();
        for (const std::string& line :
             {std::string("[Desktop Entry]\n"), "\nExec=" + DesktopExecArgument(exe) + " %u\n",
              std::string("\nType=Application\n"), std::string("\nNoDisplay=true\n"),
              std::string("\nCategories=Discord;Games;\n"), "\nMimeType=x-scheme-handler/discord-" + std::string(c.id) + ";\n"})
            EXPECT_NE(text.find(line), std::string::npos) << line;

        // xdg-mime runs on its own; wait for its record (bounded).
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (ReadFile(args_file).empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(ReadFile(args_file), "default\ndiscord-" + std::string(c.id) + ".desktop\nx-scheme-handler/discord-" +
                                           std::string(c.id) + "\n");
    }
}

TEST(DiscordRegister, ExecArgumentFollowsTheDesktopEntryQuotingRules) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/velmora/velmora-launcher", "/opt/velmora/velmora-launcher"},
        {"/home/a b/launcher", "\"/home/a b/launcher\""},
        {"/x/it's", "\"/x/it's\""},
        {"/x/$HOME", "\"/x/\\\\$HOME\""},        // quoted \$, then the string escape of '\'
        {"/x/a\\b", "\"/x/a\\\\\\\\b\""},         // a literal backslash becomes four
        {"/x/say\"hi\"", "\"/x/say\\\\\"hi\\\\\"\""},
        {"/x/100%", "/x/100%%"},
        {"/x/a b%", "\"/x/a b%%\""},
        {"/x/new\nline", "\"/x/new\\nline\""},
    };
    for (const Case& c : cases) EXPECT_EQ(DesktopExecArgument(c.path), c.expected) << c.path;
}
