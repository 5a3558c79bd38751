// The graphics settings catalogue: list positions, the resolution list, the
// line forms written for each kind, and the single-read reload.
#include "graphics/graphics_catalogue.h"

#include "config/engine_files.h"
#include "config/text_util.h"
#include "platform/resources.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string DefaultUserLtx() { return std::string(GetResource(Resource::DefaultUserLtx)); }

// The default content with the line of `name` replaced by `line`, or removed
// when `line` is empty.
std::string WithLine(const std::string& name, const std::string& line) {
    std::string out;
    for (const std::string& l : SplitLines(DefaultUserLtx())) {
        if (l.rfind(name + " ", 0) == 0) {
            if (!line.empty()) out += line + "\r\n";
        } else {
            out += l + "\r\n";
        }
    }
    return out;
}

const GraphicsSetting& Setting(const std::string& name) {
    const GraphicsSetting* s = FindGraphicsSetting(name);
    if (!s) throw std::runtime_error("no setting " + name);
    return *s;
}

std::string FormatF(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", v);
    return buf;
}

// Names of the settings whose values differ.
std::vector<std::string> Differences(const GraphicsSettings& a, const GraphicsSettings& b) {
    std::vector<std::string> names;
    for (const GraphicsSetting& s : GraphicsCatalogue()) {
        bool same = true;
        switch (s.kind) {
            case SettingKind::List: same = a.*s.text == b.*s.text; break;
            case SettingKind::Float: same = a.*s.real == b.*s.real; break;
            case SettingKind::Int:
            case SettingKind::IntAsFloat: same = a.*s.integer == b.*s.integer; break;
            case SettingKind::Switch:
            case SettingKind::Bit: same = a.*s.flag == b.*s.flag; break;
        }
        if (!same) names.emplace_back(s.name);
    }
    return names;
}

class GraphicsCatalogueTest : public ::testing::Test {
protected:
    TempGameFolder game;
    std::string path = game.Path("user.ltx");
    std::vector<std::string> resolutions = BuildResolutionList(1920, 1080);

    GraphicsSettings Load(const std::string& content) {
        game.Write("user.ltx", content);
        GraphicsSettings s;
        ReloadGraphicsSettings(path, s);
        return s;
    }
};

TEST_F(GraphicsCatalogueTest, ListPositionIsFirstEqualEntryElseThePreviousOne) {
    struct Case {
        const char* name;
        std::string line;  // empty: no line in the file
        int previous;
        int expected;
    } cases[] = {
        {"renderer", "renderer renderer_r2.5", 0, 2},
        {"renderer", "renderer renderer_r2.5", 4, 2},
        {"r2_smap_size", "r2_smap_size 8192", 0, 6},
        {"r2_ssao_mode", "r2_ssao_mode HDAO", 3, 3},  // case differs: no match
        {"r2_ssao_mode", "r2_ssao_mode HDAO", 0, 0},
        {"msaa", "", 0, 0},
        {"msaa", "", 2, 2},  // the player's "4x" stays although nothing was stored
        {"r2_sun_shafts", "r2_sun_shafts st_opt_high", 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.line);
        const GraphicsSetting& s = Setting(c.name);
        GraphicsSettings settings = Load(WithLine(c.name, c.line));
        settings.*s.position = c.previous;
        UpdateListPositions(settings, resolutions);
        EXPECT_EQ(settings.*s.position, c.expected);
    }
}

TEST_F(GraphicsCatalogueTest, VidModeIsPlacedOnlyWhileItsPositionIsZero) {
    struct Case {
        const char* value;
        int desktop_w, desktop_h;
        int previous;
        int expected;
    } cases[] = {
        {"1280x720", 1920, 1080, 0, 3},
        {"1920x1080", 1920, 1080, 0, 14},
        {"1234x567", 1920, 1080, 0, 15},   // unknown: one past the end
        {"1234x567", 2560, 1440, 0, 16},
        {"2560x1440", 2560, 1440, 0, 15},
        {"1920x1080", 1920, 1080, 5, 5},   // once placed it is not worked out again
        {"1234x567", 1920, 1080, 15, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        GraphicsSettings settings = Load(WithLine("vid_mode", std::string("vid_mode ") + c.value));
        settings.vid_mode_position = c.previous;
        UpdateListPositions(settings, BuildResolutionList(c.desktop_w, c.desktop_h));
        EXPECT_EQ(settings.vid_mode_position, c.expected);
    }
}

TEST(GraphicsResolutionList, DesktopResolutionIsAddedOnce) {
    struct Case {
        int w, h;
        size_t size;
        const char* last;
    } cases[] = {
        {1920, 1080, 15, "1920x1080"},
        {1280, 720, 15, "1920x1080"},
        {2560, 1440, 16, "2560x1440"},
        {3840, 2160, 16, "3840x2160"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> list = BuildResolutionList(c.w, c.h);
        ASSERT_EQ(list.size(), c.size) << c.w << "x" << c.h;
        EXPECT_EQ(list.front(), "800x600");
        EXPECT_EQ(list.back(), c.last);
    }
}

TEST_F(GraphicsCatalogueTest, WritesTheLineFormOfEachKind) {
    struct Case {
        const char* name;
        void (*change)(GraphicsSettings&);
        const char* expected_line;
    } cases[] = {
        {"r__detail_radius", [](GraphicsSettings& s) { s.r__detail_radius = 120; }, "r__detail_radius 120.000000"},
        {"r3_reflections_dist", [](GraphicsSettings&) {}, "r3_reflections_dist 300"},  // read from "300."
        {"texture_lod", [](GraphicsSettings& s) { s.texture_lod = static_cast<int>(Setting("texture_lod").right); },
         "texture_lod 0"},
        {"r__detail_density", [](GraphicsSettings& s) { s.r__detail_density = Setting("r__detail_density").right; },
         "r__detail_density 0.300000"},
        {"cam_fov", [](GraphicsSettings& s) { s.cam_fov = 60.0f; }, "cam_fov 60.000000"},
        {"r4_es_pseudo_pbr", [](GraphicsSettings& s) { s.r4_es_pseudo_pbr = true; }, "r4_es_pseudo_pbr on"},
        {"rs_fullscreen", [](GraphicsSettings& s) { s.rs_fullscreen = false; }, "rs_fullscreen off"},
        {"r__shader_nvg", [](GraphicsSettings& s) { s.r__shader_nvg = true; }, "r__shader_nvg 1"},
        {"r__wallmarks_on_skeleton", [](GraphicsSettings&) {}, "r__wallmarks_on_skeleton 0"},
        {"renderer", [](GraphicsSettings& s) { s.renderer_position = 4; }, "renderer renderer_r4"},
        {"vid_mode", [](GraphicsSettings& s) { s.vid_mode_position = 3; }, "vid_mode 1280x720"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsSettings settings = Load(DefaultUserLtx());
        UpdateListPositions(settings, resolutions);
        c.change(settings);
        WriteGraphicsSetting(Setting(c.name), settings, resolutions, path);
        const std::string content = game.Read("user.ltx");
        EXPECT_NE(content.find(std::string("\n") + c.expected_line + "\n"), std::string::npos);
    }
}

TEST_F(GraphicsCatalogueTest, ReadsOnlyTheExactSwitchAndBitWords) {
    struct Case {
        const char* name;
        const char* value;
        bool expected;
    } cases[] = {
        {"rs_fullscreen", "on", true},    {"rs_fullscreen", "1", false},   {"rs_fullscreen", "true", false},
        {"rs_fullscreen", "On", false},   {"r__shader_nvg", "1", true},    {"r__shader_nvg", "on", false},
        {"r4_es_pseudo_pbr", "0", false}, {"r4_es_pseudo_pbr", "on", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.value);
        const GraphicsSettings settings = Load(WithLine(c.name, std::string(c.name) + " " + c.value));
        EXPECT_EQ(settings.*Setting(c.name).flag, c.expected);
    }
}

// Each setting changed away from what the default file holds and written
// once: exactly its own line changes, except for the two settings that the
// default content has no line for.
TEST_F(GraphicsCatalogueTest, EverySettingWritesItsOwnLineOfTheDefaultFile) {
    const std::vector<std::string> before = SplitLines(DefaultUserLtx());
    for (const GraphicsSetting& s : GraphicsCatalogue()) {
        SCOPED_TRACE(std::string(s.name));
        GraphicsSettings settings = Load(DefaultUserLtx());
        UpdateListPositions(settings, resolutions);
        std::string expected;
        switch (s.kind) {
            case SettingKind::List: {
                const ListEntries entries(s, resolutions);
                int& position = settings.*s.position;
                position = (position + 1) % static_cast<int>(entries.size());
                expected = std::string(entries[static_cast<size_t>(position)]);
                break;
            }
            case SettingKind::Float:
                settings.*s.real = (s.left + s.right) / 2;
                expected = FormatF((s.left + s.right) / 2);
                break;
            case SettingKind::Int:
                settings.*s.integer = static_cast<int>(s.right);
                expected = std::to_string(static_cast<int>(s.right));
                break;
            case SettingKind::IntAsFloat:
                settings.*s.integer = static_cast<int>(s.right);
                expected = FormatF(static_cast<int>(s.right));
                break;
            case SettingKind::Switch:
                settings.*s.flag = !(settings.*s.flag);
                expected = settings.*s.flag ? "on" : "off";
                break;
            case SettingKind::Bit:
                settings.*s.flag = !(settings.*s.flag);
                expected = settings.*s.flag ? "1" : "0";
                break;
        }
        WriteGraphicsSetting(s, settings, resolutions, path);

        const std::vector<std::string> after = SplitLines(game.Read("user.ltx"));
        ASSERT_EQ(after.size(), before.size());
        std::vector<std::string> changed;
        for (size_t i = 0; i < after.size(); ++i)
            if (after[i] != before[i]) changed.push_back(after[i]);
        if (s.name == "msaa" || s.name == "r__detail_collision_visible_radius") {
            EXPECT_TRUE(changed.empty());
        } else {
            ASSERT_EQ(changed.size(), 1u);
            EXPECT_EQ(changed[0], std::string(s.name) + " " + expected);
        }
    }
}

TEST_F(GraphicsCatalogueTest, ListSettingOutsideItsListWritesNothing) {
    GraphicsSettings settings = Load(DefaultUserLtx());
    settings.vid_mode_position = static_cast<int>(resolutions.size());  // an unknown resolution
    WriteGraphicsSetting(Setting("vid_mode"), settings, resolutions, path);
    EXPECT_EQ(game.Read("user.ltx"), DefaultUserLtx());
}

// The reload reads the file once; what it gives must not differ from 76
// separate reads by the per-setting readers, whatever the file looks like.
TEST_F(GraphicsCatalogueTest, SingleReadEqualsSeparateReads) {
    std::string lf_only;
    for (const std::string& l : SplitLines(DefaultUserLtx())) lf_only += l + "\n";
    struct Case {
        const char* what;
        std::string content;
    } cases[] = {
        {"default content", DefaultUserLtx()},
        {"LF line ends", lf_only},
        {"empty file", ""},
        {"duplicates, first wins", "cam_fov 70.\r\ncam_fov 80.\r\nrenderer renderer_r3\nrenderer renderer_r4\n"},
        {"two spaces", "cam_fov  55.\r\nrenderer  renderer_r2\r\nrs_fullscreen  on\r\ntexture_lod  3\n"},
        {"extra words", "rs_fullscreen on please\r\nvid_mode 1280x720 60hz\r\n"},
        {"one word lines", "renderer\r\ncam_fov\r\nr2_sun on\r\n"},
        {"leading space and tab", " renderer renderer_r3\r\nrenderer\trenderer_r2\r\ncam_fov 42.5\r\n"},
        {"case differs", "Renderer renderer_r4\r\nCAM_FOV 90\r\nrs_fullscreen ON\r\n"},
        {"no final line end", "r__detail_radius 77\r\nr2_sun on\r"},
        {"lone CR inside", "cam_fov 40\rrenderer renderer_r2\r\nr2_sun on\r\r\n"},
        {"odd numbers", "cam_fov -3e2\r\ntexture_lod 2.9\r\nr__detail_radius abc\r\nr2_mblur .25x\r\n"},
        {"default with missing lines", WithLine("renderer", "") + "vid_mode 800x600\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game.Write("user.ltx", c.content);
        GraphicsSettings once, separately;
        ReloadGraphicsSettings(path, once);
        ReadGraphicsSettingsSeparately(path, separately);
        EXPECT_EQ(Differences(once, separately), std::vector<std::string>{});
        EXPECT_TRUE(once == separately);
    }
}

TEST_F(GraphicsCatalogueTest, MissingFileReadsAsEmptyZeroAndFalse) {
    GraphicsSettings settings;
    settings.renderer = "renderer_r4";
    settings.cam_fov = 75.0f;
    settings.rs_fullscreen = true;
    ReloadGraphicsSettings(game.Path("no-such-user.ltx"), settings);
    EXPECT_TRUE(settings == GraphicsSettings{});
}

TEST_F(GraphicsCatalogueTest, DefaultContentReadsAsShipped) {
    GraphicsSettings s = Load(DefaultUserLtx());
    UpdateListPositions(s, resolutions);
    EXPECT_EQ(s.renderer_position, 0);
    EXPECT_EQ(s.vid_mode_position, 14);
    EXPECT_EQ(s.r2_smap_size, "2048");
    EXPECT_EQ(s.r2_smap_size_position, 2);
    EXPECT_EQ(s.msaa, "");
    EXPECT_FLOAT_EQ(s.cam_fov, 55.0f);
    EXPECT_EQ(s.r__detail_radius, 49);
    EXPECT_EQ(s.r3_reflections_dist, 300);
    EXPECT_TRUE(s.rs_fullscreen);
    EXPECT_FALSE(s.r4_screen_space_shaders);
    EXPECT_TRUE(s.r4_enchanted_shaders);
    EXPECT_FALSE(s.r4_es_pseudo_pbr);
}

}  // namespace
