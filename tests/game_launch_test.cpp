// Starting the engine: executable choice, the command lines, the wait, and
// what happens to the picked save.
#include "config/launcher_settings.h"
#include "platform/message_box.h"
#include "screens/game_launch.h"
#include "screens/main_screen.h"
#include "screens/saved_games.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct CommandLineCase {
    LaunchSwitches switches;
    std::string extra;
    std::string save;  // empty: StartGame's line
    std::string expected;
};

TEST(CommandLines, JoinPartsWithoutSeparators) {
    const std::string exe = "bin/Halcyon.exe";
    const CommandLineCase cases[] = {
        {{}, "", "", "bin/Halcyon.exe"},
        {{true, true, true}, " -nosound -foo", "", "bin/Halcyon.exe -lua_dbg -ss_jpg -noprefetch -nosound -foo"},
        {{false, true, false}, "", "", "bin/Halcyon.exe -ss_jpg"},
        // Extra text without its own leading space sticks to what precedes it.
        {{}, "-x", "", "bin/Halcyon.exe-x"},
        {{false, false, true}, "-x", "", "bin/Halcyon.exe -noprefetch-x"},
        {{true, false, false}, "", "quicksave",
         "bin/Halcyon.exe -start server(quicksave/single/alife/load) client(localhost) -lua_dbg"},
        // A save name with spaces goes in as it is, without quotes.
        {{}, " -z", "my old save",
         "bin/Halcyon.exe -start server(my old save/single/alife/load) client(localhost) -z"},
        {{true, true, true}, "", "100%",
         "bin/Halcyon.exe -start server(100%/single/alife/load) client(localhost) -lua_dbg -ss_jpg -noprefetch"},
    };
    for (const CommandLineCase& c : cases) {
        const std::string line = c.save.empty() ? StartGameCommandLine(exe, c.switches, c.extra)
                                                : LoadSaveCommandLine(exe, c.save, c.switches, c.extra);
        EXPECT_EQ(line, c.expected);
    }
}

struct ExecutableCase {
    bool halcyon;
    bool dunmark;
    bool from_game_folder;
    std::optional<std::string> expected;
};

TEST(ChooseEngineExecutable, PrefersHalcyonRelativeToTheWorkingFolder) {
    const ExecutableCase cases[] = {
        {true, false, true, "bin/Halcyon.exe"},
        {false, true, true, "bin/Dunmark.exe"},
        {true, true, true, "bin/Halcyon.exe"},
        {false, false, true, std::nullopt},
        {true, true, false, std::nullopt},
    };
    for (const ExecutableCase& c : cases) {
        TempGameFolder game;
        if (c.halcyon) game.Write("bin/Halcyon.exe", "x");
        if (c.dunmark) game.Write("bin/Dunmark.exe", "x");
        game.Write("elsewhere/readme.txt", "");
        if (!c.from_game_folder) fs::current_path(game.path() / "elsewhere");
        EXPECT_EQ(ChooseEngineExecutable(), c.expected) << c.halcyon << c.dunmark << c.from_game_folder;
    }
}

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        });
    }
    void TearDown() override { SetMessageSink({}); }

    TempGameFolder game;
    std::vector<std::string> messages;
};

TEST_F(LaunchTest, StartGameRunsTheEngineWithTheBuiltLine) {
    game.InstallStubEngine("bin/Dunmark.exe");
    main_screen.lua_dbg = true;
    main_screen.no_prefetch = true;
    launcher_settings.custom_user_key = " -nointro";
    StartGame();
    // StartGame has returned only after the engine ended: its log is there.
    EXPECT_EQ(game.LastEngineLogLine(), "bin/Dunmark.exe -lua_dbg -noprefetch -nointro");
    EXPECT_TRUE(messages.empty());
}

TEST_F(LaunchTest, LoadSaveKeepsSpacesAndForgetsTheSave) {
    game.InstallStubEngine("bin/Halcyon.exe");
    selected_save = "my save";
    main_screen.jpg_screenshots = true;
    LoadSave();
    EXPECT_EQ(game.LastEngineLogLine(), "bin/Halcyon.exe -start server(my save/single/alife/load) client(localhost) -ss_jpg");
    EXPECT_EQ(selected_save, "");
}

TEST_F(LaunchTest, NoEngineShowsTheMessageAndKeepsTheSave) {
    selected_save = "quicksave";
    LoadSave();
    StartGame();
    EXPECT_EQ(messages, (std::vector<std::string>{"ERROR!!!|Halcyon.exe or Dunmark.exe not found!",
                                                  "ERROR!!!|Halcyon.exe or Dunmark.exe not found!"}));
    EXPECT_EQ(selected_save, "quicksave");
}

TEST_F(LaunchTest, EngineThatCannotStartStillForgetsTheSave) {
    game.Write("bin/Halcyon.exe", "not a program");
    selected_save = "quicksave";
    LoadSave();
    EXPECT_EQ(selected_save, "");
    EXPECT_TRUE(messages.empty());
}

}  // namespace
