// The main screen, headless: its buttons, switches, command-line field, the
// shader cache button and the saved games panel, pressed the way a player
// would (one activation per frame).
#include "app/shell.h"
#include "app/startup.h"
#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "platform/message_box.h"
#include "platform/quit.h"
#include "screens/main_screen.h"
#include "screens/saved_games.h"
#include "screens/version_check.h"
#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string T(const char* key) { return ToUtf8(LookupText(key)); }

class MainScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_data_root = "appdata\\";
        // The version check is tested on its own; here it must not reach out.
        game.Write("launcher.ini", "[launcher_options]\nengine_version_link = http://127.0.0.1:1/h\n");
        SetMessageSink([this](const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        });
        Frame();
    }
    void TearDown() override { SetMessageSink({}); }

    void Frame() { ui.Frame([] { DrawMainScreen(); }); }
    std::string Left() const { return HeadlessUi::ChildWindowName(kLauncherWindowName, "LeftPanel"); }
    std::string Right() const { return HeadlessUi::ChildWindowName(kLauncherWindowName, "RightPanel"); }
    // Presses an item: the activation asked for in one frame reaches the
    // item in the frame after it.
    void Press(const std::string& window, const std::string& label) { PressId(HeadlessUi::ItemId(window, label)); }
    void PressId(ImGuiID id) {
        ASSERT_NE(id, 0u);
        ui.Activate(id);
        Frame();
        Frame();
        EXPECT_TRUE(HeadlessUi::WasActivated(id));
    }
    float LeftColumnHeight() const {
        return ImGui::FindWindowByName(Left().c_str())->DC.CursorMaxPos.y;
    }

    TempGameFolder game;
    HeadlessUi ui;
    std::vector<std::string> messages;
};

TEST_F(MainScreenTest, ActionButtonsChooseThePanel) {
    EXPECT_EQ(main_screen.active_panel, ActivePanel::None);
    EXPECT_TRUE(version_checked);
    struct Case {
        const char* key;
        ActivePanel panel;
    };
    const Case cases[] = {
        {"ui_launcher_load_game", ActivePanel::SavedGames},
        {"ui_launcher_mods_manager", ActivePanel::ModsManager},
        {"ui_launcher_graphic_opt", ActivePanel::GraphicsOptions},
        {"ui_launcher_load_game", ActivePanel::SavedGames},
    };
    for (const Case& c : cases) {
        Press(Left(), T(c.key));
        selected_save = "kept unless graphics";
        Frame();
        EXPECT_EQ(main_screen.active_panel, c.panel) << c.key;
        EXPECT_EQ(selected_save.empty(), c.panel == ActivePanel::GraphicsOptions) << c.key;
    }
}

TEST_F(MainScreenTest, StartButtonRunsTheEngineWithTheTickedSwitches) {
    game.InstallStubEngine();
    Press(Left(), T("ui_launcher_lua_dbg"));
    Press(Left(), T("ui_launcher_no_prefetch"));
    EXPECT_TRUE(main_screen.lua_dbg);
    EXPECT_TRUE(main_screen.no_prefetch);
    Press(Left(), T("ui_launcher_start_game"));
    EXPECT_EQ(game.LastEngineLogLine(), "bin/Halcyon.exe -lua_dbg -noprefetch");
    EXPECT_FALSE(QuitPosted());
    Press(Left(), T("ui_launcher_quit"));
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainScreenTest, CommandLineFieldWritesLauncherIniOnlyWhenChanged) {
    Press(Left(), T("ui_launcher_enter_keys"));
    Frame();
    // A text field takes the keyboard from a click, as a player gives it.
    ImGuiWindow* field = ImGui::FindWindowByName(HeadlessUi::ChildWindowName(Left(), T("ui_launcher_user_key")).c_str());
    ASSERT_NE(field, nullptr);
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(field->Pos.x + field->Size.x * 0.5f, field->Pos.y + field->Size.y * 0.5f);
    io.MouseDown[0] = true;
    Frame();
    io.MouseDown[0] = false;
    Frame();
    for (const char c : std::string(" -x%d")) io.AddInputCharacter(static_cast<unsigned char>(c));
    Frame();
    Frame();
    EXPECT_EQ(launcher_settings.custom_user_key, " -x%d");
    EXPECT_NE(game.Read("launcher.ini").find("custom_user_key = \" -x%d\""), std::string::npos) << game.Read("launcher.ini");

    // Frames without typing leave the file alone (a hand edit survives).
    game.Write("launcher.ini", "[launcher_options]\nengine_version_link = http://127.0.0.1:1/h\ncustom_user_key = hand\n");
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_NE(game.Read("launcher.ini").find("custom_user_key = hand"), std::string::npos);
    EXPECT_EQ(launcher_settings.custom_user_key, " -x%d");

    game.InstallStubEngine();
    Press(Left(), T("ui_launcher_start_game"));
    EXPECT_EQ(game.LastEngineLogLine(), "bin/Halcyon.exe -x%d");
}

TEST_F(MainScreenTest, DeleteCacheButtonRemovesTheFolderAndDisappears) {
    const float without = LeftColumnHeight();
    game.Write("appdata/shaders_cache/r1/a.bin", "cache");
    game.Write("appdata/shaders_cache/b.bin", "cache");
    Frame();
    Frame();
    EXPECT_GT(LeftColumnHeight(), without) << "the button is drawn while the cache exists";
    Press(Left(), T("ui_launcher_delete_shaders_cache"));
    EXPECT_FALSE(fs::exists(game.path() / "appdata/shaders_cache"));
    EXPECT_TRUE(fs::exists(game.path() / "appdata"));
    Frame();
    Frame();
    EXPECT_EQ(LeftColumnHeight(), without);
    EXPECT_TRUE(messages.empty());
}

// The id of a saves row: each row's button sits under PushID(row).
ImGuiID SaveRowId(const std::string& window, int row, const std::string& label) {
    ImGuiWindow* w = ImGui::FindWindowByName(window.c_str());
    if (!w) return 0;
    const ImGuiID seed = ImHashData(&row, sizeof row, w->IDStack.back());
    return ImHashStr(label.c_str(), 0, seed);
}

TEST_F(MainScreenTest, PickedSaveLoadsAndIsForgotten) {
    game.InstallStubEngine();
    game.Write("appdata/savedgames/old one.kesp", "s");
    game.Write("appdata/savedgames/new.kesp", "s");
    fs::last_write_time(game.path() / "appdata/savedgames/old one.kesp",
                        fs::last_write_time(game.path() / "appdata/savedgames/new.kesp") - std::chrono::hours(1));
    Press(Left(), T("ui_launcher_load_game"));
    Frame();
    const std::string list = HeadlessUi::ChildWindowName(Right(), T("ui_launcher_load_game"));
    PressId(SaveRowId(list, 1, "old one"));
    EXPECT_EQ(selected_save, "old one");
    Press(Right(), T("ui_launcher_load_save"));
    EXPECT_EQ(game.LastEngineLogLine(), "bin/Halcyon.exe -start server(old one/single/alife/load) client(localhost)");
    EXPECT_EQ(selected_save, "");
    // The stub engine wrote a save of its own: the list shows it at once.
    EXPECT_EQ(ListSavedGames(SavesFolder()).size(), 3u);
}

TEST_F(MainScreenTest, QuickStartRunsTheEngineAndDrawsNothing) {
    game.InstallStubEngine();
    game.Write("launcher.ini", "[launcher_options]\nquick_start = true\nengine_version_link = http://127.0.0.1:1/h\n");
    ResetVersionCheckForTesting();
    Frame();
    EXPECT_EQ(game.LastEngineLogLine(), "bin/Halcyon.exe");
    EXPECT_TRUE(QuitPosted());
    EXPECT_FALSE(version_checked) << "the window and its version check are skipped";
}

}  // namespace

namespace {

TEST(LinkRowLayout, SkippedLinksLeaveNoGap) {
    TempGameFolder game;
    struct Case {
        std::vector<std::string> links;  // github, boosty, appro, discord, vk
        std::vector<std::string> expected;  // "address@x", rightmost first
    };
    const Case cases[] = {
        {{"g", "b", "a", "d", "v"}, {"g@566", "b@527", "a@488", "d@449", "v@410"}},
        {{"g", "b", "a", "", "v"}, {"g@566", "b@527", "a@488", "v@449"}},
        {{"", "", "", "", "v"}, {"v@566"}},
        {{"", "", "", "", ""}, {}},
    };
    for (const Case& c : cases) {
        launcher_settings.github_link = c.links[0];
        launcher_settings.boosty_link = c.links[1];
        launcher_settings.appro_link = c.links[2];
        launcher_settings.discord_link = c.links[3];
        launcher_settings.vk_link = c.links[4];
        std::vector<std::string> got;
        for (const LinkButton& b : LinkRowLayout(600.0f, 500.0f)) {
            EXPECT_EQ(b.position.y, 460.0f);
            got.push_back(*b.address + "@" + std::to_string(static_cast<int>(b.position.x)));
        }
        EXPECT_EQ(got, c.expected);
    }
}

}  // namespace
