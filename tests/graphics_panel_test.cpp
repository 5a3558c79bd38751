// The graphics options panel drawn headless: what it shows from the default
// user.ltx, the dependent check boxes, and the writes and reloads that the
// player's changes cause.
#include "graphics/graphics_panel.h"

#include "app/shell.h"
#include "app/startup.h"
#include "config/engine_files.h"
#include "config/localisation.h"
#include "config/text_util.h"
#include "platform/display.h"
#include "platform/resources.h"
#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kWindow = "Graphics panel test";

// The dependents of the screen-space master, and the tonemap that follows it
// from the next group.
const std::vector<std::string> kScreenSpaceDependents = {
    "r4_ss_sky_debanding", "r4_ss_flora_fix", "r4_screen_space_shadows", "r4_ss_fog",   "r4_ss_indirect_light",
    "r4_ss_new_gloss",     "r4_ss_shadows",   "r4_ss_wind",              "r4_ss_puddles", "r4_ss_bloom",
    "r4_ss_bloom_mask_dirt", "r4_es_aces_tonemap"};

std::string Display(std::string_view key) { return ToUtf8(LookupText(std::string(key))); }

class GraphicsPanelTest : public ::testing::Test {
protected:
    TempGameFolder game;
    HeadlessUi ui;

    void SetUp() override {
        app_data_root = "appdata\\";
        game.Write("appdata/user.ltx", DefaultContent());
    }

    static std::string DefaultContent() { return std::string(GetResource(Resource::DefaultUserLtx)); }
    std::string File() const { return game.Read("appdata/user.ltx"); }
    std::string FileValue(const std::string& name) const { return FindUserValue(File(), name); }

    void Frame() {
        ui.Frame([] {
            ImGui::SetNextWindowPos(ImVec2(0, 0));
            ImGui::SetNextWindowSize(ImVec2(900, 700));
            ImGui::Begin(kWindow, nullptr, ImGuiWindowFlags_NoSavedSettings);
            GraphicsPanel::Draw();
            ImGui::End();
        });
    }

    // What the main screen's graphics button does.
    void Open() {
        GraphicsPanel::RequestReload();
        Frame();
    }

    static std::string Child() { return HeadlessUi::ChildWindowName(kWindow, Display("ui_launcher_options")); }

    static ImGuiID ControlId(const std::string& name) {
        const GraphicsSetting* s = FindGraphicsSetting(name);
        return HeadlessUi::ItemId(Child(), Display(s->label) + "##" + name);
    }

    // Activates an item even when it lies outside the scrolled view (ImGui
    // never clips the navigation target). The activation asked for in one
    // frame reaches the item in the frame after it.
    void Press(const std::string& window, ImGuiID id) {
        ui.Activate(id);
        for (int frame = 0; frame < 2; ++frame) {
            // Re-aimed before each frame: a popup's own focus request may
            // have moved the navigation target meanwhile.
            GImGui->NavWindow = ImGui::FindWindowByName(window.c_str());
            GImGui->NavId = id;
            Frame();
        }
    }
    void PressControl(const std::string& name) { Press(Child(), ControlId(name)); }

    // Opens the drop-down of `name` and picks `entry` from its list. The
    // drop-down is scrolled into view first: its popup is drawn only while
    // the drop-down itself is.
    void Choose(const std::string& name, const std::string& entry) {
        ScrollIntoView(name);
        PressControl(name);
        // The popup of a drop-down opened from the child's level.
        const std::string popup = "##Combo_00";
        ASSERT_EQ(GImGui->OpenPopupStack.Size, 1);
        Press(popup, HeadlessUi::ItemId(popup, Display(entry) + "##" + entry));
    }

    // Brings the control of `name` into view and gives its frame rectangle
    // in screen coordinates.
    ImRect ScrollIntoView(const std::string& name) {
        ImGuiWindow* child = ImGui::FindWindowByName(Child().c_str());
        ImRect rect;
        for (int pass = 0; pass < 2; ++pass) {
            GImGui->NavWindow = child;
            GImGui->NavId = ControlId(name);
            Frame();  // records the item's rectangle as the navigation target's
            rect = child->NavRectRel[ImGuiNavLayer_Main];  // relative to the scrolled content start
            rect.Translate(child->DC.CursorStartPos);
            if (pass == 0) ImGui::ScrollToBringRectIntoView(child, rect);
        }
        GImGui->NavId = 0;
        return rect;
    }

    // Drags a slider with the mouse from one point of its frame across
    // `steps` frames to another; `each_frame` runs after every frame.
    void Drag(const std::string& name, float from, float to, int steps, const std::function<void()>& each_frame) {
        const ImRect r = ScrollIntoView(name);
        const float y = (r.Min.y + r.Max.y) / 2;
        ImGuiIO& io = ImGui::GetIO();
        for (int i = 0; i <= steps; ++i) {
            const float t = from + (to - from) * static_cast<float>(i) / static_cast<float>(steps);
            io.MousePos = ImVec2(r.Min.x + t * r.GetWidth(), y);
            io.MouseDown[0] = true;
            Frame();
            each_frame();
        }
        io.MouseDown[0] = false;
        Frame();
    }

    // Height of what the last frame drew into the region (ContentSize would
    // lag one frame behind).
    static float ContentHeight() {
        const ImGuiWindow* w = ImGui::FindWindowByName(Child().c_str());
        return w->DC.CursorMaxPos.y - w->DC.CursorStartPos.y;
    }
};

TEST_F(GraphicsPanelTest, OpeningShowsTheDefaultContent) {
    Open();
    const GraphicsSettings& s = graphics_panel.settings;
    EXPECT_FALSE(graphics_panel.reloadRequested);
    EXPECT_EQ(s.renderer, "renderer_r1");
    EXPECT_EQ(s.renderer_position, 0);
    EXPECT_EQ(graphics_panel.resolutions.at(static_cast<size_t>(s.vid_mode_position)), "1920x1080");
    EXPECT_TRUE(s.rs_fullscreen);
    EXPECT_FLOAT_EQ(s.cam_fov, 55.0f);
    EXPECT_EQ(s.r2_smap_size_position, 2);
    EXPECT_FALSE(s.r4_screen_space_shaders);
    EXPECT_FALSE(s.r4_es_pseudo_pbr);

    // The hidden boxes are not there to be ticked.
    for (const std::string& name : kScreenSpaceDependents) {
        SCOPED_TRACE(name);
        const ImGuiID id = ControlId(name);
        PressControl(name);
        EXPECT_FALSE(HeadlessUi::WasActivated(id));
    }
    EXPECT_EQ(File(), DefaultContent());

    // The pseudo-PBR box is shown (its master is on) and writes at once.
    PressControl("r4_es_pseudo_pbr");
    EXPECT_TRUE(HeadlessUi::WasActivated(ControlId("r4_es_pseudo_pbr")));
    EXPECT_EQ(FileValue("r4_es_pseudo_pbr"), "on");
    EXPECT_FALSE(graphics_panel.reloadRequested);
}

TEST_F(GraphicsPanelTest, TickingTheScreenSpaceMasterShowsItsDependentsInTheSameFrame) {
    Open();
    const float hidden_height = ContentHeight();
    PressControl("r4_screen_space_shaders");
    EXPECT_EQ(FileValue("r4_screen_space_shaders"), "on");
    EXPECT_FALSE(graphics_panel.reloadRequested);

    // Twelve more check box rows in the very frame of the tick.
    const ImGuiStyle& style = ImGui::GetStyle();
    const float row = SmallFont->FontSize + style.FramePadding.y * 2 + style.ItemSpacing.y;
    EXPECT_NEAR(ContentHeight() - hidden_height, 12 * row, 0.5f);

    for (const std::string& name : {std::string("r4_ss_fog"), std::string("r4_es_aces_tonemap")}) {
        PressControl(name);
        EXPECT_TRUE(HeadlessUi::WasActivated(ControlId(name))) << name;
        EXPECT_EQ(FileValue(name), "on") << name;
    }

    // Unticking hides them again in the same frame, and they keep their values.
    PressControl("r4_screen_space_shaders");
    EXPECT_EQ(FileValue("r4_screen_space_shaders"), "off");
    EXPECT_NEAR(ContentHeight(), hidden_height, 0.5f);
    EXPECT_TRUE(graphics_panel.settings.r4_ss_fog);
}

TEST_F(GraphicsPanelTest, EnhancedShadersMasterHidesPseudoPbrButNotTheTonemap) {
    WriteUserSwitch("r4_enchanted_shaders", false, game.Path("appdata/user.ltx"));
    WriteUserSwitch("r4_screen_space_shaders", true, game.Path("appdata/user.ltx"));
    const std::string before = File();
    Open();
    PressControl("r4_es_pseudo_pbr");
    EXPECT_FALSE(HeadlessUi::WasActivated(ControlId("r4_es_pseudo_pbr")));
    EXPECT_EQ(File(), before);
    PressControl("r4_es_aces_tonemap");
    EXPECT_TRUE(HeadlessUi::WasActivated(ControlId("r4_es_aces_tonemap")));
    EXPECT_EQ(FileValue("r4_es_aces_tonemap"), "on");
}

TEST_F(GraphicsPanelTest, ChoosingAListEntryWritesItAndTheNextFrameReloads) {
    struct Case {
        const char* name;
        const char* entry;
    } cases[] = {{"renderer", "renderer_r4"}, {"vid_mode", "1280x720"}, {"r2_ssao_mode", "ssdo"}};
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Choose(c.name, c.entry);
        EXPECT_EQ(FileValue(c.name), c.entry);
        EXPECT_TRUE(graphics_panel.reloadRequested);

        // A change made behind the panel's back shows after the reload.
        WriteUserFloat("cam_fov", 70.0f, game.Path("appdata/user.ltx"));
        Frame();
        EXPECT_FALSE(graphics_panel.reloadRequested);
        EXPECT_FLOAT_EQ(graphics_panel.settings.cam_fov, 70.0f);
        WriteUserFloat("cam_fov", 55.0f, game.Path("appdata/user.ltx"));
        Open();
    }
}

// Each frame of a drag that changes the value writes it at once; only the
// light-distance slider asks for the catalogue to be read back.
TEST_F(GraphicsPanelTest, DraggingASliderWritesEveryValueItPasses) {
    struct Case {
        const char* name;
        float GraphicsSettings::*value;
        bool reloads;
    } cases[] = {{"cam_fov", &GraphicsSettings::cam_fov, false},
                 {"r2_slight_fade", &GraphicsSettings::r2_slight_fade, true}};
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::set<std::string> written;
        bool reload_seen = false;
        Drag(c.name, 0.30f, 0.35f, 5, [&] {
            const std::string in_file = FileValue(c.name);
            written.insert(in_file);
            reload_seen = reload_seen || graphics_panel.reloadRequested;
            EXPECT_FLOAT_EQ(static_cast<float>(std::atof(in_file.c_str())), graphics_panel.settings.*c.value);
        });
        EXPECT_GE(written.size(), 3u);  // a new value on most frames of the drag
        EXPECT_EQ(FileValue(c.name), FormatUserFloat(graphics_panel.settings.*c.value));
        EXPECT_EQ(reload_seen, c.reloads);
    }
}

// Ctrl+click turns a slider into a text field; what is typed there stays
// within the slider's ends, also for the two that run backwards.
TEST_F(GraphicsPanelTest, TypedSliderValuesAreClampedToTheRange) {
    struct Case {
        const char* name;
        const char* typed;
        const char* expected;
    } cases[] = {
        {"cam_fov", "1000", "180.000000"},          {"cam_fov", "-7", "5.000000"},
        {"texture_lod", "9", "4"},                   {"texture_lod", "-3", "0"},
        {"r__detail_density", "5", "1.500000"},      {"r__detail_radius", "400", "300.000000"},
        {"r3_reflections_dist", "650", "650"},
    };
    Open();
    ImGuiIO& io = ImGui::GetIO();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.typed);
        const ImRect r = ScrollIntoView(c.name);
        io.MousePos = r.GetCenter();
        io.KeyCtrl = true;
        io.MouseDown[0] = true;
        Frame();
        io.MouseDown[0] = false;
        io.KeyCtrl = false;
        io.AddInputCharactersUTF8(c.typed);  // replaces the selected text
        Frame();
        EXPECT_EQ(FileValue(c.name), c.expected);
        io.MousePos = ImVec2(-1, -1);
        io.MouseDown[0] = true;  // a click outside ends the text field
        Frame();
        io.MouseDown[0] = false;
        Frame();
    }
}

TEST_F(GraphicsPanelTest, MsaaChoiceIsNotStoredButStaysShown) {
    Open();
    const std::string before = File();
    Choose("msaa", "4x");
    EXPECT_TRUE(SplitLines(File()) == SplitLines(before));  // rewritten, but no line changed
    Frame();  // the requested reload finds no msaa line
    Frame();
    EXPECT_EQ(graphics_panel.settings.msaa_position, 2);
}

TEST_F(GraphicsPanelTest, ResolutionListTakesTheDesktopOnceForTheRun) {
    SetDisplaySizeForTesting(2560, 1440);
    Open();
    ASSERT_EQ(graphics_panel.resolutions.size(), 16u);
    EXPECT_EQ(graphics_panel.resolutions.back(), "2560x1440");
    SetDisplaySizeForTesting(3840, 2160);
    Open();
    EXPECT_EQ(graphics_panel.resolutions.size(), 16u);
    Choose("vid_mode", "2560x1440");
    EXPECT_EQ(FileValue("vid_mode"), "2560x1440");
}

TEST_F(GraphicsPanelTest, MissingUserLtxShowsZerosAndAChangeLeavesAnEmptyFile) {
    std::filesystem::remove(game.Path("appdata/user.ltx"));
    Open();
    // Everything empty, zero and false; vid_mode's empty text is placed one past the end.
    GraphicsSettings shown = graphics_panel.settings;
    EXPECT_EQ(shown.vid_mode_position, static_cast<int>(graphics_panel.resolutions.size()));
    shown.vid_mode_position = 0;
    EXPECT_TRUE(shown == GraphicsSettings{});
    PressControl("rs_fullscreen");
    EXPECT_TRUE(graphics_panel.settings.rs_fullscreen);
    EXPECT_TRUE(std::filesystem::exists(game.Path("appdata/user.ltx")));
    EXPECT_EQ(File(), "");
}

}  // namespace
