#include "mods/mods_manager_screen.h"

#include "app/shell.h"
#include "app/startup.h"
#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "mods/conflict_dialog.h"
#include "mods/installed_mods.h"
#include "platform/message_box.h"
#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string Display(const char* key) { return ToUtf8(LookupText(key)); }

class ModsManagerScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        mod_dir = "appdata\\mods\\";
        SetMessageSink([](const std::string&, const std::string&) {});
    }
    void TearDown() override { SetMessageSink(nullptr); }

    // The main screen's order: the panel, then the dialog after it.
    void Frame() {
        ui.Frame([] {
            ImGui::SetNextWindowPos(ImVec2(0, 0));
            ImGui::SetNextWindowSize(ImVec2(1600, 900));
            ImGui::Begin(kLauncherWindowName);
            DrawModsManager();
            if (conflict_pending) DrawConflictDialog();
            ImGui::End();
        });
    }

    // The activation asked for in one frame reaches the item in the next.
    void Press(const std::string& window, ImGuiID id) {
        ASSERT_NE(id, 0u);
        ui.Activate(id);
        for (int frame = 0; frame < 2; ++frame) {
            GImGui->NavWindow = ImGui::FindWindowByName(window.c_str());
            GImGui->NavId = id;
            Frame();
        }
        EXPECT_TRUE(HeadlessUi::WasActivated(id));
    }

    static std::string List() { return HeadlessUi::ChildWindowName(kLauncherWindowName, Display("ui_launcher_mods_manager")); }

    void Tick(const std::string& label) { Press(List(), HeadlessUi::ItemId(List(), label)); }

    void Mod(const std::string& where, const std::string& file) { game.Write(where + "/" + file, "data"); }

    bool Enabled(const std::string& name) const {
        for (const InstalledMod& m : installed_mods)
            if (m.name == name) return m.enabled;
        ADD_FAILURE() << "no record " << name;
        return false;
    }

    TempGameFolder game;
    HeadlessUi ui;
};

TEST_F(ModsManagerScreenTest, TickingEnablesAndUntickingDisables) {
    Mod("available_addons/alpha", "a.txt");
    installed_mods = ListInstalledMods();
    Frame();
    Tick("alpha");
    EXPECT_TRUE(Enabled("alpha"));
    EXPECT_TRUE(fs::exists(game.path() / "appdata/mods/alpha/a.txt"));
    EXPECT_FALSE(conflict_pending);
    Tick("alpha");
    EXPECT_FALSE(Enabled("alpha"));
    EXPECT_TRUE(fs::exists(game.path() / "available_addons/alpha/a.txt"));
}

TEST_F(ModsManagerScreenTest, ConflictDialogForcesOrCancels) {
    struct Case {
        const char* button;
        bool moved;
        bool ticked;
    };
    for (const Case& c : {Case{"ui_launcher_mods_manager_force", true, true},
                          Case{"ui_launcher_mods_manager_cancel", false, false}}) {
        SCOPED_TRACE(c.button);
        std::error_code ec;
        fs::remove_all(game.path() / "available_addons", ec);
        fs::remove_all(game.path() / "appdata", ec);
        Mod("appdata/mods/base", "shared/x.ltx");
        Mod("available_addons/patch", "shared/x.ltx");
        Mod("available_addons/patch", "own.ltx");
        installed_mods = ListInstalledMods();
        Frame();
        Tick("patch");
        ASSERT_TRUE(conflict_pending);
        EXPECT_EQ(pending_mod, "patch");
        EXPECT_EQ(pending_conflicts, (ConflictMap{{"base", {"shared/x.ltx"}}}));
        EXPECT_TRUE(Enabled("patch"));  // ticked while the dialog decides
        EXPECT_TRUE(fs::exists(game.path() / "available_addons/patch"));

        const std::string dialog = Display("ui_launcher_mods_conflict");
        Frame();
        ImGuiWindow* popup = ImGui::FindWindowByName(dialog.c_str());
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->Active);
        EXPECT_EQ(popup->Size.x, 580.0f);
        EXPECT_EQ(popup->Size.y, 420.0f);
        EXPECT_EQ(popup->Pos.x, (1600.0f - 580.0f) * 0.5f);

        Press(dialog, HeadlessUi::ItemId(dialog, Display(c.button)));
        EXPECT_FALSE(conflict_pending);
        EXPECT_TRUE(pending_conflicts.empty());
        EXPECT_EQ(Enabled("patch"), c.ticked);
        EXPECT_EQ(fs::exists(game.path() / "appdata/mods/patch/own.ltx"), c.moved);
        EXPECT_EQ(fs::exists(game.path() / "available_addons/patch/own.ltx"), !c.moved);
        Frame();
        EXPECT_FALSE(ImGui::FindWindowByName(dialog.c_str())->Active);
    }
}

TEST_F(ModsManagerScreenTest, SameNameInBothPlacesGivesTwoIndependentBoxes) {
    Mod("available_addons/twin", "a.txt");
    Mod("appdata/mods/twin", "b.txt");
    installed_mods = ListInstalledMods();
    ASSERT_EQ(installed_mods.size(), 2u);
    ASSERT_NE(ModCheckboxLabel(0), ModCheckboxLabel(1));
    Frame();
    const size_t enabled_index = installed_mods[0].enabled ? 0 : 1;
    Tick(ModCheckboxLabel(enabled_index));  // untick the enabled one: its move back fails (name taken)
    EXPECT_FALSE(installed_mods[enabled_index].enabled);
    EXPECT_FALSE(installed_mods[1 - enabled_index].enabled);  // the other box did not change
    EXPECT_TRUE(fs::exists(game.path() / "appdata/mods/twin/b.txt"));
    EXPECT_TRUE(fs::exists(game.path() / "available_addons/twin/a.txt"));
}

TEST_F(ModsManagerScreenTest, DownloadButtonSwitchesToTheCatalogueOnlyWhenEnabled) {
    launcher_settings.mods_ini_link = "http://127.0.0.1:9/mods_descr.ini";  // refused at once
    launcher_settings.enable_download_manager = false;
    Frame();
    const ImGuiID button = HeadlessUi::ItemId(kLauncherWindowName, Display("ui_launcher_download_mods"));
    ui.Activate(button);
    Frame();
    Frame();
    EXPECT_FALSE(HeadlessUi::WasActivated(button));  // not drawn
    EXPECT_FALSE(mods_manager.catalogue_view);

    launcher_settings.enable_download_manager = true;
    Frame();
    Press(kLauncherWindowName, button);
    EXPECT_TRUE(mods_manager.catalogue_view);
}

}  // namespace
