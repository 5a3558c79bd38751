// FirstFrameInit in a temporary game folder.
#include "app/shell.h"
#include "app/startup.h"
#include "platform/display.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "platform/texture.h"

#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct Messages {
    std::vector<std::pair<std::string, std::string>> shown;
    Messages() {
        SetMessageSink([this](const std::string& c, const std::string& t) { shown.emplace_back(c, t); });
    }
    ~Messages() { SetMessageSink(nullptr); }
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDisplaySizeForTesting(1920, 1080);
        ComputeWindowBaseSize();
    }
};

TEST_F(StartupTest, CreatesFoldersAndDefaultUserLtx) {
    TempGameFolder game(
        "$app_data_root$ = true| false| $fs_root$| deep\\appdata\\\r\n$mod_dir$ = true| false| $fs_root$| mods\\\r\n");
    Messages messages;
    ASSERT_TRUE(FirstFrameInit());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(app_data_root, "deep\\appdata\\");
    EXPECT_EQ(mod_dir, "mods\\");
    EXPECT_TRUE(fs::is_directory(game.path() / "deep" / "appdata" / "savedgames"));
    EXPECT_EQ(game.Read("deep/appdata/user.ltx"), std::string(GetResource(Resource::DefaultUserLtx)));
    EXPECT_FLOAT_EQ(window_pos.x, 480.0f);
    EXPECT_FLOAT_EQ(window_pos.y, 270.0f);
    EXPECT_NE(background_texture, nullptr);
    EXPECT_NE(github_icon, nullptr);
}

TEST_F(StartupTest, ExistingUserLtxIsLeftAlone) {
    for (const std::string content : {"", "cam_fov 90.\n"}) {
        TempGameFolder game;
        game.Write("appdata/user.ltx", content);
        ASSERT_TRUE(FirstFrameInit());
        EXPECT_EQ(game.Read("appdata/user.ltx"), content);
    }
}

TEST_F(StartupTest, WithoutAppDataRootUsesWorkingDirectoryAndGameFolder) {
    TempGameFolder game("$mod_dir$ = true| false| $fs_root$| mods\\\r\n");
    ASSERT_TRUE(FirstFrameInit());
    EXPECT_EQ(app_data_root, "");
    EXPECT_TRUE(fs::is_directory(game.path() / "savedgames"));
    EXPECT_EQ(game.Read("user.ltx"), std::string(GetResource(Resource::DefaultUserLtx)));
}

TEST_F(StartupTest, MissingFsgameShowsTheErrorAndFails) {
    TempGameFolder game("");
    Messages messages;
    EXPECT_FALSE(FirstFrameInit());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "Configuration Error");
    EXPECT_EQ(messages.shown[0].second, "Could not open file: " + (game.path() / "fsgame.ltx").string());
}

TEST_F(StartupTest, FolderThatCannotBeCreatedFails) {
    TempGameFolder game("$app_data_root$ = true| false| $fs_root$| blocker\\appdata\\\r\n");
    game.Write("blocker", "a file where a folder should be");
    Messages messages;
    EXPECT_FALSE(FirstFrameInit());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "Configuration Error");
    EXPECT_NE(messages.shown[0].second.find("create_directories"), std::string::npos);
}

TEST_F(StartupTest, DefaultUserLtxHasTheEngineForm) {
    const std::string content(GetResource(Resource::DefaultUserLtx));
    size_t lines = 0, crlf = 0;
    for (size_t i = 0; i < content.size(); ++i)
        if (content[i] == '\n') {
            ++lines;
            if (i > 0 && content[i - 1] == '\r') ++crlf;
        }
    EXPECT_EQ(lines, 419u);
    EXPECT_EQ(crlf, lines);
    for (const char* row : {"_preset Default\r\n", "\nrenderer renderer_r1\r\n", "\nvid_mode 1920x1080\r\n",
                            "\nrs_fullscreen on\r\n", "\ncam_fov 55.\r\n", "\nr2_smap_size 2048\r\n",
                            "\nr__detail_radius 49\r\n", "\nr2_ssao_mode hdao\r\n", "\nr__wallmarks_on_skeleton 0\r\n",
                            "\ndefault_controls\r\nbind "})
        EXPECT_NE(content.find(row), std::string::npos) << row;
    EXPECT_EQ(content.find("\nmsaa "), std::string::npos);
    EXPECT_EQ(content.find("\nr__detail_collision_visible_radius "), std::string::npos);
}

}  // namespace
