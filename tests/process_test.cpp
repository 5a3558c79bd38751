// Engine processes: Windows argument splitting, starting without a shell,
// Windows programs through their runner, and web pages through xdg-open.
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/web.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> expected;
};

TEST(SplitWindowsCommandLine, FollowsTheWindowsRules) {
    const SplitCase cases[] = {
        {"a b c", {"a", "b", "c"}},
        {"  p   a\t b  ", {"p", "a", "b"}},
        {"", {}},
        {" \t ", {}},
        {"bin/Halcyon.exe -start server(my save/single/alife/load) client(localhost)",
         {"bin/Halcyon.exe", "-start", "server(my", "save/single/alife/load)", "client(localhost)"}},
        // The program name keeps its backslashes; quotes only group there.
        {R"("C:\Program Files\x.exe" "a b" c)", {R"(C:\Program Files\x.exe)", "a b", "c"}},
        {R"(p\"x y" z)", {R"(p\x y)", "z"}},
        // 2n+1 backslashes before a quote: n backslashes and a literal quote.
        {R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {R"(p a\"b)", {"p", R"(a"b)"}},
        // 2n backslashes before a quote: n backslashes, the quote groups.
        {R"(p a\\"b c")", {"p", R"(a\b c)"}},
        // Backslashes not before a quote are literal.
        {R"(p a\b\\c\)", {"p", R"(a\b\\c\)"}},
        {R"(p "a""b")", {"p", R"(a"b)"}},
        {R"(p "" x)", {"p", "", "x"}},
        {R"(p a"b c"d e)", {"p", "ab cd", "e"}},
        {R"(p "unterminated arg)", {"p", "unterminated arg"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitWindowsCommandLine(c.line), c.expected) << c.line;
    }
}

TEST(LaunchArguments, WindowsProgramsGoThroughTheRunner) {
    const std::vector<std::string> args = {"bin/Halcyon.exe", "-x"};
    EXPECT_EQ(LaunchArguments(args, false, "my-runner"), args);
    EXPECT_EQ(LaunchArguments(args, true, ""), (std::vector<std::string>{"wine", "bin/Halcyon.exe", "-x"}));
    EXPECT_EQ(LaunchArguments(args, true, R"("/opt/my runner/run" --fast)"),
              (std::vector<std::string>{"/opt/my runner/run", "--fast", "bin/Halcyon.exe", "-x"}));
}

// Arguments as the stub engine received them (VELMORA_STUB_ARGV_FILE).
std::vector<std::string> ReadArgv(const TempGameFolder& game, const std::string& file) {
    const std::string raw = game.Read(file);
    std::vector<std::string> argv;
    size_t start = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\0') {
            argv.push_back(raw.substr(start, i - start));
            start = i + 1;
        }
    }
    return argv;
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VELMORA_STUB_ARGV_FILE", game.Path("argv.bin").c_str(), 1);
        SetMessageSink([this](const std::string& caption, const std::string& text) {
            messages.push_back(caption + ": " + text);
        });
    }
    void TearDown() override {
        unsetenv("VELMORA_STUB_ARGV_FILE");
        SetMessageSink({});
    }
    void InstallStub(const std::string& relative) {
        fs::create_directories(game.path() / fs::path(relative).parent_path());
        fs::copy_file(VELMORA_STUB_ENGINE, game.path() / relative);
    }

    TempGameFolder game;
    std::vector<std::string> messages;
};

TEST_F(ProcessTest, ChildReceivesTheSplitArguments) {
    InstallStub("bin/Halcyon.exe");
    ASSERT_TRUE(RunAndWait(R"x(bin/Halcyon.exe -a "b c" d\"e "f;$(touch pwned)" g\\h)x", ""));
    EXPECT_EQ(ReadArgv(game, "argv.bin"),
              (std::vector<std::string>{"bin/Halcyon.exe", "-a", "b c", "d\"e", "f;$(touch pwned)", R"(g\\h)"}));
    EXPECT_FALSE(fs::exists(game.path() / "pwned")) << "no shell may see the command line";
    // RunAndWait returned after the child's exit: its last act is done.
    EXPECT_FALSE(game.Read("engine_log.txt").empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProcessTest, WindowsProgramStartsThroughTheConfiguredRunner) {
    game.Write("bin/Halcyon.exe", std::string("MZ\x90\0\x03\0\0\0", 8));
    const std::string runner = "\"" + std::string(VELMORA_STUB_ENGINE) + "\" --runner-flag";
    ASSERT_TRUE(RunAndWait("bin/Halcyon.exe -start x", runner));
    EXPECT_EQ(ReadArgv(game, "argv.bin"), (std::vector<std::string>{VELMORA_STUB_ENGINE, "--runner-flag",
                                                                      "bin/Halcyon.exe", "-start", "x"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProcessTest, MissingRunnerIsShownToThePlayer) {
    game.Write("bin/Halcyon.exe", "MZ");
    EXPECT_FALSE(RunAndWait("bin/Halcyon.exe", "/nonexistent/runner"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("/nonexistent/runner"), std::string::npos) << messages[0];

    // No runner set and no wine on PATH.
    const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", game.path().c_str(), 1);
    const bool started = RunAndWait("bin/Halcyon.exe", "");
    setenv("PATH", old_path.c_str(), 1);
    EXPECT_FALSE(started);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].find("wine"), std::string::npos) << messages[1];
}

TEST_F(ProcessTest, FileThatIsNoProgramFailsQuietly) {
    game.Write("bin/Dunmark.exe", "plain data");
    EXPECT_FALSE(RunAndWait("bin/Dunmark.exe -x", ""));
    // Executable but no program: no shell may step in to run it as a script.
    fs::permissions(game.path() / "bin/Dunmark.exe", fs::perms::owner_all);
    EXPECT_FALSE(RunAndWait("bin/Dunmark.exe -x", ""));
    EXPECT_FALSE(RunAndWait("bin/Missing.exe", ""));
    EXPECT_FALSE(RunAndWait("   ", ""));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProcessTest, WebPageOpensWithTheAddressAsOneArgument) {
    SetWebOpenerForTesting(VELMORA_STUB_ENGINE);
    const std::string address = "https://example.org/a b?x=1&y=$(touch pwned);z";
    ASSERT_TRUE(OpenWebPage(address));
    SetWebOpenerForTesting("");
    // Not waited for by design: wait here until the opener has written its
    // save, which it does after the argument file.
    const fs::path saves = game.path() / "appdata" / "savedgames";
    for (int i = 0; i < 1000 && (!fs::exists(saves) || fs::is_empty(saves)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(ReadArgv(game, "argv.bin"), (std::vector<std::string>{VELMORA_STUB_ENGINE, address}));
    EXPECT_FALSE(fs::exists(game.path() / "pwned"));
}

}  // namespace
