#include "config/launcher_settings.h"

#include "config/localisation.h"
#include "platform/message_box.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

// Collects the message boxes a frame would have shown.
class MessageCapture {
public:
    MessageCapture() {
        SetMessageSink([this](const std::string& caption, const std::string& text) {
            shown.push_back(caption + "|" + text);
        });
    }
    ~MessageCapture() { SetMessageSink(nullptr); }
    std::vector<std::string> shown;
};

const std::string kLangFile = "st_velmora_launcher.xml";

std::string LangTable(const std::string& id, const std::string& text) {
    return "<string_table><string id=\"" + id + "\"><text>" + text + "</text></string></string_table>";
}

}  // namespace

TEST(LauncherSettings, DefaultsBeforeAnyRead) {
    TempGameFolder game;
    const LauncherSettings d = DefaultLauncherSettings();
    for (const std::string* link : {&d.vk_link, &d.discord_link, &d.appro_link, &d.boosty_link, &d.github_link,
                                    &d.mods_ini_link, &d.mods_images_link, &d.engine_version_link})
        EXPECT_EQ(link->rfind("https://", 0), 0u) << *link;
    EXPECT_EQ(d.mods_images_link.back(), '/');
    EXPECT_TRUE(d.engine_runner.empty());
    EXPECT_TRUE(d.custom_user_key.empty());
    EXPECT_EQ(d.language, "rus");
    EXPECT_FALSE(d.quick_start);
    EXPECT_FALSE(d.disable_check_version);
    EXPECT_TRUE(d.enable_mod_manager);
    EXPECT_TRUE(d.enable_download_manager);
    EXPECT_EQ(launcher_settings.vk_link, d.vk_link);
}

TEST(LauncherSettings, MissingFileIsCreatedEmpty) {
    TempGameFolder game;
    MessageCapture boxes;
    std::optional<IniFile> store = ReadLauncherSettings();
    ASSERT_TRUE(store);
    EXPECT_TRUE(std::filesystem::exists(game.Path("launcher.ini")));
    EXPECT_EQ(std::filesystem::file_size(game.Path("launcher.ini")), 0u);
    EXPECT_EQ(launcher_settings.discord_link, DefaultLauncherSettings().discord_link);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(LauncherSettings, FileFollowedFrameByFrame) {
    TempGameFolder game;
    const LauncherSettings d = DefaultLauncherSettings();
    struct Step {
        const char* name;
        std::string file;
        std::string vk_link;
        bool enable_mod_manager;
        std::string engine_runner;
    };
    const std::vector<Step> steps = {
        {"section without keys", "[launcher_options]\n", d.vk_link, true, ""},
        {"hand edits", "[launcher_options]\nvk_link =\nenable_mod_manager = no\nengine_runner = proton run\n", "",
         false, "proton run"},
        {"section in other letter case: values stay", "[Launcher_Options]\nvk_link = x\nenable_mod_manager = 1\n",
         "", false, "proton run"},
        {"key outside the section ignored", "[other]\nenable_mod_manager = 0\n[launcher_options]\nquick_start = 0\n",
         d.vk_link, true, ""},
        {"switched off again", "[launcher_options]\nvk_link =\nenable_mod_manager = no\n", "", false, ""},
        {"unknown word and deleted line give defaults", "[launcher_options]\nenable_mod_manager = off\n", d.vk_link,
         true, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        game.Write("launcher.ini", s.file);
        ASSERT_TRUE(ReadLauncherSettings());
        EXPECT_EQ(launcher_settings.vk_link, s.vk_link);
        EXPECT_EQ(launcher_settings.enable_mod_manager, s.enable_mod_manager);
        EXPECT_EQ(launcher_settings.engine_runner, s.engine_runner);
    }
}

TEST(LauncherSettings, LanguageAndUserKeyReadOnce) {
    TempGameFolder game;
    game.Write("LauncherFiles/text/rus/" + kLangFile, LangTable("ui_launcher_quit", "rus-quit"));
    game.Write("LauncherFiles/text/eng/" + kLangFile, LangTable("ui_launcher_quit", "eng-quit"));
    // No section yet: nothing is read, and the once-keys wait for it.
    game.Write("launcher.ini", "; nothing yet\n");
    EnsureTextTable();
    ASSERT_TRUE(ReadLauncherSettings());
    EXPECT_EQ(CurrentLanguage, "rus");
    EXPECT_EQ(LookupText("ui_launcher_quit"), "rus-quit");

    game.Write("launcher.ini", "[launcher_options]\nlanguage = eng\ncustom_user_key = -nointro\n");
    ASSERT_TRUE(ReadLauncherSettings());
    EXPECT_EQ(CurrentLanguage, "eng");
    EXPECT_EQ(launcher_settings.custom_user_key, "-nointro");
    EXPECT_EQ(LookupText("ui_launcher_quit"), "eng-quit");

    game.Write("launcher.ini", "[launcher_options]\nlanguage = rus\ncustom_user_key = -other\n");
    ASSERT_TRUE(ReadLauncherSettings());
    EXPECT_EQ(CurrentLanguage, "eng");
    EXPECT_EQ(launcher_settings.language, "eng");
    EXPECT_EQ(launcher_settings.custom_user_key, "-nointro");
}

TEST(LauncherSettings, SaveRewritesWholeStoreWithoutComments) {
    TempGameFolder game;
    game.Write("launcher.ini", "; keep me?\n[launcher_options]\n# note\nvk_link = \"https://vk.example\"\n");
    std::optional<IniFile> store = ReadLauncherSettings();
    ASSERT_TRUE(store);
    SaveLauncherSetting(*store, "custom_user_key", "-dbg");
    EXPECT_EQ(game.Read("launcher.ini"),
              "[launcher_options]\nvk_link = https://vk.example\ncustom_user_key = -dbg\n\n");
    EXPECT_EQ(launcher_settings.custom_user_key, "-dbg");

    // A fresh file gains the section with the written key.
    std::filesystem::remove(game.Path("launcher.ini"));
    store = ReadLauncherSettings();
    ASSERT_TRUE(store);
    SaveLauncherSetting(*store, "language", "eng");
    EXPECT_EQ(game.Read("launcher.ini"), "[launcher_options]\nlanguage = eng\n\n");
}

TEST(LauncherSettings, ExtraTextKeepsItsLeadingSpaceAcrossStarts) {
    struct Case {
        const char* typed;
        const char* line;
    };
    const Case cases[] = {
        {" -nointro", "custom_user_key = \" -nointro\""},
        {"-dbg ", "custom_user_key = \"-dbg \""},
        {"\"quoted\"", "custom_user_key = \"\"quoted\"\""},
        {"-plain", "custom_user_key = -plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        TempGameFolder game;
        std::optional<IniFile> store = ReadLauncherSettings();
        ASSERT_TRUE(store);
        SaveLauncherSetting(*store, "custom_user_key", c.typed);
        EXPECT_EQ(launcher_settings.custom_user_key, c.typed);
        EXPECT_NE(game.Read("launcher.ini").find(std::string(c.line) + "\n"), std::string::npos);
        // The next start reads back exactly what was typed.
        ResetLauncherSettingsForTesting();
        ASSERT_TRUE(ReadLauncherSettings());
        EXPECT_EQ(launcher_settings.custom_user_key, c.typed);
    }
}

TEST(LauncherSettings, UnreadableFileShowsErrorEveryFrame) {
    TempGameFolder game;
    std::filesystem::create_directory(game.Path("launcher.ini"));
    MessageCapture boxes;
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_FALSE(ReadLauncherSettings());
        EXPECT_EQ(boxes.shown.size(), static_cast<size_t>(frame + 1));
    }
    EXPECT_EQ(boxes.shown.front(), "Error|Failed to create launcher config file!");
    EXPECT_EQ(launcher_settings.vk_link, DefaultLauncherSettings().vk_link);
}
