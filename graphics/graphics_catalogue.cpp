#include "graphics/graphics_catalogue.h"

#include "config/engine_files.h"
#include "config/text_util.h"

#include <array>
#include <cstdlib>
#include <unordered_map>

// Index of this file:
// [SECTION] Value lists
// [SECTION] The catalogue
// [SECTION] The groups
// [SECTION] Lists and positions
// [SECTION] Reading and writing

namespace {

using GS = GraphicsSettings;

// [SECTION] Value lists (every entry doubles as a localisation key)

constexpr std::string_view kRenderers[] = {"renderer_r1", "renderer_r2", "renderer_r2.5", "renderer_r3",
                                           "renderer_r4"};
constexpr std::string_view kSunShafts[] = {"st_opt_off", "st_opt_low", "st_opt_medium", "st_opt_high"};
constexpr std::string_view kSunShaftsModes[] = {"volumetric", "screen_space", "combine_sunshafts"};
constexpr std::string_view kFlares[] = {"st_opt_off", "st_opt_always", "st_opt_on_helmet"};
constexpr std::string_view kSunQualities[] = {"st_opt_low", "st_opt_medium", "st_opt_high", "st_opt_ultra",
                                              "st_opt_extreme"};
constexpr std::string_view kShadowMapSizes[] = {"1024", "1536", "2048", "2560", "3072", "4096", "8192"};
constexpr std::string_view kReflectionQualities[] = {"dtssr_off", "dtssr_lowest", "dtssr_low", "dtssr_medium",
                                                     "dtssr_high"};
constexpr std::string_view kAaModes[] = {"opt_noaa", "opt_fxaa", "opt_dlaa", "opt_smaa"};
constexpr std::string_view kMsaaModes[] = {"st_opt_off", "2x", "4x", "8x"};
constexpr std::string_view kAoModes[] = {"disabled", "default", "hdao", "hbao", "ssdo"};
constexpr std::string_view kAoQualities[] = {"st_opt_off", "st_opt_low", "st_opt_medium", "st_opt_high",
                                             "st_opt_ultra"};
constexpr std::string_view kResolutions[] = {"800x600",   "1024x768",  "1152x864",  "1280x720",  "1280x768",
                                             "1280x800",  "1280x960",  "1280x1024", "1360x768",  "1366x768",
                                             "1440x900",  "1600x900",  "1600x1024", "1680x1050", "1920x1080"};

// [SECTION] The catalogue

// Every list change is read back from the file on the next frame.
constexpr GraphicsSetting List(std::string_view name, std::string_view label,
                               std::span<const std::string_view> values, std::string GS::*text, int GS::*position) {
    GraphicsSetting s{name, SettingKind::List, label};
    s.values = values;
    s.text = text;
    s.position = position;
    s.reload_after_write = true;
    return s;
}

constexpr GraphicsSetting Float(std::string_view name, std::string_view label, float left, float right,
                                float GS::*real, bool reload_after_write = false) {
    GraphicsSetting s{name, SettingKind::Float, label};
    s.left = left;
    s.right = right;
    s.real = real;
    s.reload_after_write = reload_after_write;
    return s;
}

constexpr GraphicsSetting Int(std::string_view name, std::string_view label, SettingKind kind, int left, int right,
                              int GS::*integer) {
    GraphicsSetting s{name, kind, label};
    s.left = static_cast<float>(left);
    s.right = static_cast<float>(right);
    s.integer = integer;
    return s;
}

constexpr GraphicsSetting Flag(std::string_view name, std::string_view label, SettingKind kind, bool GS::*flag) {
    GraphicsSetting s{name, kind, label};
    s.flag = flag;
    return s;
}

constexpr SettingKind kInt = SettingKind::Int;
constexpr SettingKind kIntAsFloat = SettingKind::IntAsFloat;
constexpr SettingKind kSwitch = SettingKind::Switch;
constexpr SettingKind kBit = SettingKind::Bit;

constexpr std::array<GraphicsSetting, kGraphicsSettingCount> kCatalogue = {{
    // Lists
    List("renderer", "ui_launcher_render_mode", kRenderers, &GS::renderer, &GS::renderer_position),
    List("vid_mode", "ui_launcher_resolution", {}, &GS::vid_mode, &GS::vid_mode_position),
    List("r2_sun_shafts", "ui_launcher_sun_shafts", kSunShafts, &GS::r2_sun_shafts, &GS::r2_sun_shafts_position),
    List("r2_sunshafts_mode", "ui_launcher_sunshafts_mode", kSunShaftsModes, &GS::r2_sunshafts_mode,
         &GS::r2_sunshafts_mode_position),
    List("r2_use_flares", "ui_launcher_flares", kFlares, &GS::r2_use_flares, &GS::r2_use_flares_position),
    List("r2_sun_quality", "ui_launcher_sun_quality", kSunQualities, &GS::r2_sun_quality,
         &GS::r2_sun_quality_position),
    List("r2_smap_size", "ui_launcher_shadow_map_size", kShadowMapSizes, &GS::r2_smap_size,
         &GS::r2_smap_size_position),
    List("r4_ssr_samples", "ui_launcher_reflections_quality", kReflectionQualities, &GS::r4_ssr_samples,
         &GS::r4_ssr_samples_position),
    List("r2_aa_mode", "ui_launcher_aa_mode", kAaModes, &GS::r2_aa_mode, &GS::r2_aa_mode_position),
    List("msaa", "ui_launcher_msaa", kMsaaModes, &GS::msaa, &GS::msaa_position),
    List("r2_ssao_mode", "ui_launcher_ao_mode", kAoModes, &GS::r2_ssao_mode, &GS::r2_ssao_mode_position),
    List("r2_ssao", "ui_launcher_ao_quality", kAoQualities, &GS::r2_ssao, &GS::r2_ssao_position),

    // Floats and integers
    Float("rs_vis_distance", "ui_launcher_vis_dist", 0.4f, 1.5f, &GS::rs_vis_distance),
    Float("cam_fov", "ui_launcher_fov", 5.0f, 180.0f, &GS::cam_fov),
    Float("hud_fov", "ui_launcher_hud_fov", 0.25f, 1.0f, &GS::hud_fov),
    // The engine derives other light values from this one, so the panel
    // shows what the file holds after each change.
    Float("r2_slight_fade", "ui_launcher_light_dist", 0.4f, 1.5f, &GS::r2_slight_fade, true),
    Float("r__detail_scale", "ui_launcher_grass_height", 0.2f, 3.0f, &GS::r__detail_scale),
    Float("r__detail_density", "ui_launcher_grass_density", 1.5f, 0.3f, &GS::r__detail_density),  // backwards
    Float("r2_mblur", "ui_launcher_mblur", 0.05f, 0.25f, &GS::r2_mblur),
    Float("weather_fog_clamping", "ui_launcher_fog_clamper_max", 0.0f, 10000.0f, &GS::weather_fog_clamping),
    Int("r__detail_radius", "ui_launcher_grass_dist", kIntAsFloat, 49, 300, &GS::r__detail_radius),
    Int("r__detail_collision_visible_radius", "ui_launcher_grass_collision_dist", kIntAsFloat, 5, 70,
        &GS::r__detail_collision_visible_radius),
    Int("texture_lod", "ui_launcher_textures_quality", kInt, 4, 0, &GS::texture_lod),  // backwards
    Int("r__tf_aniso", "ui_launcher_aniso", kInt, 1, 16, &GS::r__tf_aniso),
    Int("r__supersample", "ui_launcher_supersample", kInt, 1, 8, &GS::r__supersample),
    Int("r__optimize_static_geom", "ui_launcher_optimize_static_geom", kInt, 0, 4, &GS::r__optimize_static_geom),
    Int("r__optimize_dynamic_geom", "ui_launcher_optimize_dynamic_geom", kInt, 0, 4, &GS::r__optimize_dynamic_geom),
    Int("r3_reflections_dist", "ui_launcher_reflections_dist", kInt, 100, 1000, &GS::r3_reflections_dist),
    Int("r3_dynamic_wet_surfaces_far", "ui_launcher_dynamic_wet_surfaces_far", kInt, 30, 300,
        &GS::r3_dynamic_wet_surfaces_far),

    // Switches
    Flag("rs_fullscreen", "ui_launcher_fullscreen", kSwitch, &GS::rs_fullscreen),
    Flag("r2_volumetric_lights", "ui_launcher_volumetric_lights", kSwitch, &GS::r2_volumetric_lights),
    Flag("ai_use_torch_dynamic_lights", "ui_launcher_npc_use_torch", kSwitch, &GS::ai_use_torch_dynamic_lights),
    Flag("r__actor_shadow", "ui_launcher_actor_shadow", kSwitch, &GS::r__actor_shadow),
    Flag("r2_sun_details", "ui_launcher_grass_shadow", kSwitch, &GS::r2_sun_details),
    Flag("r2_sun", "ui_launcher_r2_sun", kSwitch, &GS::r2_sun),
    Flag("r2_static_sun", "ui_launcher_static_sun", kSwitch, &GS::r2_static_sun),
    Flag("r__optimize_shadow_geom", "ui_launcher_optimize_shadow_geom", kSwitch, &GS::r__optimize_shadow_geom),
    Flag("r2_soft_water", "ui_launcher_soft_water", kSwitch, &GS::r2_soft_water),
    Flag("r4_screen_space_shaders", "ui_launcher_sss_opt", kSwitch, &GS::r4_screen_space_shaders),
    Flag("r4_ss_sky_debanding", "ui_launcher_ss_sky_debanding", kSwitch, &GS::r4_ss_sky_debanding),
    Flag("r4_ss_flora_fix", "ui_launcher_ss_flora_fix", kSwitch, &GS::r4_ss_flora_fix),
    Flag("r4_ss_fog", "ui_launcher_ss_fog", kSwitch, &GS::r4_ss_fog),
    Flag("r4_ss_indirect_light", "ui_launcher_ss_il", kSwitch, &GS::r4_ss_indirect_light),
    Flag("r4_ss_new_gloss", "ui_launcher_ss_new_gloss", kSwitch, &GS::r4_ss_new_gloss),
    Flag("r4_screen_space_shadows", "ui_launcher_ss_screen_space_shadows", kSwitch, &GS::r4_screen_space_shadows),
    Flag("r4_ss_shadows", "ui_launcher_ss_shadows", kSwitch, &GS::r4_ss_shadows),
    Flag("r4_ss_wind", "ui_launcher_ss_wind", kSwitch, &GS::r4_ss_wind),
    Flag("r4_ss_puddles", "ui_launcher_ss_puddles", kSwitch, &GS::r4_ss_puddles),
    Flag("r4_ss_bloom", "ui_launcher_ss_bloom", kSwitch, &GS::r4_ss_bloom),
    Flag("r4_ss_bloom_mask_dirt", "ui_launcher_ss_bloom_mask_dirt", kSwitch, &GS::r4_ss_bloom_mask_dirt),
    Flag("r4_enchanted_shaders", "ui_launcher_es_opt", kSwitch, &GS::r4_enchanted_shaders),
    Flag("r4_es_pseudo_pbr", "ui_launcher_es_pseudo_pbr", kSwitch, &GS::r4_es_pseudo_pbr),
    Flag("r4_es_aces_tonemap", "ui_launcher_es_aces_tonemap", kSwitch, &GS::r4_es_aces_tonemap),
    Flag("r2_mblur_enable", "ui_launcher_mblur_enable", kSwitch, &GS::r2_mblur_enable),
    Flag("g_3d_scopes", "ui_launcher_3d_scopes", kSwitch, &GS::g_3d_scopes),
    Flag("g_3d_pda", "ui_launcher_3d_pda", kSwitch, &GS::g_3d_pda),
    Flag("r2_hud_mask", "ui_launcher_hud_mask", kSwitch, &GS::r2_hud_mask),
    Flag("r2_hud_dyn_effects", "ui_launcher_hud_dyn_effects", kSwitch, &GS::r2_hud_dyn_effects),
    Flag("r2_raindrops", "ui_launcher_raindrops", kSwitch, &GS::r2_raindrops),
    Flag("r2_vignette", "ui_launcher_vignette", kSwitch, &GS::r2_vignette),
    Flag("r2_steep_parallax", "ui_launcher_parallax", kSwitch, &GS::r2_steep_parallax),
    Flag("r3_dynamic_wet_surfaces", "ui_launcher_dynamic_wet_surfaces", kSwitch, &GS::r3_dynamic_wet_surfaces),
    Flag("r2_dof_enable", "ui_launcher_dof_enable", kSwitch, &GS::r2_dof_enable),
    Flag("r3_volumetric_smoke", "ui_launcher_volumetric_smoke", kSwitch, &GS::r3_volumetric_smoke),
    Flag("r4_chromatic_aberration", "ui_launcher_chromatic_aberration", kSwitch, &GS::r4_chromatic_aberration),
    Flag("r4_film_grain", "ui_launcher_film_grain", kSwitch, &GS::r4_film_grain),
    Flag("r1_detail_textures", "ui_launcher_detail_textures", kSwitch, &GS::r1_detail_textures),
    Flag("r2_use_bump", "ui_launcher_use_bumps", kSwitch, &GS::r2_use_bump),
    Flag("r2_detail_bump", "ui_launcher_detail_bump", kSwitch, &GS::r2_detail_bump),
    Flag("rs_v_sync", "ui_launcher_vsync", kSwitch, &GS::rs_v_sync),
    Flag("rs_refresh_60hz", "ui_launcher_refresh_60hz", kSwitch, &GS::rs_refresh_60hz),
    Flag("r2_soft_particles", "ui_launcher_soft_particles", kSwitch, &GS::r2_soft_particles),
    Flag("r4_enable_tessellation", "ui_launcher_tessellation", kSwitch, &GS::r4_enable_tessellation),

    // Bits
    Flag("r__detail_collision_enabled", "ui_launcher_grass_collision", kBit, &GS::r__detail_collision_enabled),
    Flag("r__wallmarks_on_skeleton", "ui_launcher_skeleton_wallmarks", kBit, &GS::r__wallmarks_on_skeleton),
    Flag("r__shader_nvg", "ui_launcher_shader_nvg", kBit, &GS::r__shader_nvg),
}};

constexpr size_t IndexOf(std::string_view name) {
    for (size_t i = 0; i < kCatalogue.size(); ++i)
        if (kCatalogue[i].name == name) return i;
    throw "no such setting";  // a typo in the groups below stops the build
}

constexpr bool NamesAreUnique() {
    for (size_t i = 0; i < kCatalogue.size(); ++i)
        if (IndexOf(kCatalogue[i].name) != i) return false;
    return true;
}
static_assert(NamesAreUnique());

// [SECTION] The groups

constexpr GraphicsControl C(std::string_view name) { return {&kCatalogue[IndexOf(name)]}; }

// A control drawn only while `master` is on; the test is made after the
// master has been drawn, so unticking it hides these in the same frame.
constexpr GraphicsControl While(std::string_view name, bool GS::*master) { return {&kCatalogue[IndexOf(name)], master}; }

constexpr bool GS::*kScreenSpace = &GS::r4_screen_space_shaders;

constexpr GraphicsControl kMain[] = {C("renderer"), C("vid_mode"), C("rs_fullscreen")};
constexpr GraphicsControl kVision[] = {C("rs_vis_distance"), C("cam_fov"), C("hud_fov")};
constexpr GraphicsControl kSunAndLight[] = {
    C("r2_slight_fade"),   C("r2_sun_shafts"),        C("r2_sunshafts_mode"),           C("r2_use_flares"),
    C("r2_sun_quality"),   C("r2_volumetric_lights"), C("ai_use_torch_dynamic_lights"), C("r__actor_shadow"),
    C("r2_sun_details"),   C("r2_sun"),               C("r2_static_sun")};
constexpr GraphicsControl kGrass[] = {C("r__detail_scale"), C("r__detail_density"), C("r__detail_radius"),
                                      C("r__detail_collision_enabled"), C("r__detail_collision_visible_radius")};
constexpr GraphicsControl kOptimization[] = {C("r2_smap_size"),
                                             C("texture_lod"),
                                             C("r__tf_aniso"),
                                             C("r__supersample"),
                                             C("r__optimize_static_geom"),
                                             C("r__optimize_dynamic_geom"),
                                             C("r__optimize_shadow_geom"),
                                             C("r3_reflections_dist")};
constexpr GraphicsControl kWater[] = {C("r4_ssr_samples"), C("r2_soft_water")};
constexpr GraphicsControl kAaAndAo[] = {C("r2_aa_mode"), C("msaa"), C("r2_ssao_mode"), C("r2_ssao")};
constexpr GraphicsControl kScreenSpaceShaders[] = {
    C("r4_screen_space_shaders"),
    While("r4_ss_sky_debanding", kScreenSpace),
    While("r4_ss_flora_fix", kScreenSpace),
    While("r4_ss_fog", kScreenSpace),
    While("r4_ss_indirect_light", kScreenSpace),
    While("r4_ss_new_gloss", kScreenSpace),
    While("r4_screen_space_shadows", kScreenSpace),
    While("r4_ss_shadows", kScreenSpace),
    While("r4_ss_wind", kScreenSpace),
    While("r4_ss_puddles", kScreenSpace),
    While("r4_ss_bloom", kScreenSpace),
    While("r4_ss_bloom_mask_dirt", kScreenSpace)};
// The tonemap belongs to the screen-space pipeline although it is listed
// with the enhanced shaders.
constexpr GraphicsControl kEnhancedShaders[] = {C("r4_enchanted_shaders"),
                                                While("r4_es_pseudo_pbr", &GS::r4_enchanted_shaders),
                                                While("r4_es_aces_tonemap", kScreenSpace)};
constexpr GraphicsControl kEffects[] = {
    C("r2_mblur_enable"),   C("r2_mblur"),          C("g_3d_scopes"),
    C("g_3d_pda"),          C("r__wallmarks_on_skeleton"), C("r2_hud_mask"),
    C("r2_hud_dyn_effects"), C("r__shader_nvg"),    C("r2_raindrops"),
    C("r2_vignette"),       C("r2_steep_parallax"), C("r3_dynamic_wet_surfaces"),
    C("r3_dynamic_wet_surfaces_far"), C("r2_dof_enable"), C("r3_volumetric_smoke"),
    C("r4_chromatic_aberration"), C("r4_film_grain")};
constexpr GraphicsControl kOther[] = {C("r1_detail_textures"), C("r2_use_bump"),       C("r2_detail_bump"),
                                      C("rs_v_sync"),          C("rs_refresh_60hz"),   C("r2_soft_particles"),
                                      C("r4_enable_tessellation"), C("weather_fog_clamping")};

constexpr GraphicsGroup kGroups[] = {
    {"ui_launcher_main_opt", kMain},
    {"ui_launcher_vision_opt", kVision},
    {"ui_launcher_sun_and_light", kSunAndLight},
    {"ui_launcher_grass_opt", kGrass},
    {"ui_launcher_optimization_opt", kOptimization},
    {"ui_launcher_water_opt", kWater},
    {"ui_launcher_aa_and_ao_opt", kAaAndAo},
    {"ui_launcher_sss_opt", kScreenSpaceShaders},
    {"ui_launcher_es_opt", kEnhancedShaders},
    {"ui_launcher_effects_opt", kEffects},
    {"ui_launcher_other_opt", kOther},
};

constexpr bool GroupsHoldEverySettingOnce() {
    std::array<int, kGraphicsSettingCount> seen{};
    for (const GraphicsGroup& group : kGroups)
        for (const GraphicsControl& control : group.controls) ++seen[IndexOf(control.setting->name)];
    for (int n : seen)
        if (n != 1) return false;
    return true;
}
static_assert(GroupsHoldEverySettingOnce());

const std::unordered_map<std::string_view, size_t>& NameIndex() {
    static const std::unordered_map<std::string_view, size_t> index = [] {
        std::unordered_map<std::string_view, size_t> m;
        for (size_t i = 0; i < kCatalogue.size(); ++i) m.emplace(kCatalogue[i].name, i);
        return m;
    }();
    return index;
}

}  // namespace

std::span<const GraphicsSetting> GraphicsCatalogue() { return kCatalogue; }

std::span<const GraphicsGroup> GraphicsGroups() { return kGroups; }

const GraphicsSetting* FindGraphicsSetting(std::string_view name) {
    const auto& index = NameIndex();
    auto it = index.find(name);
    return it == index.end() ? nullptr : &kCatalogue[it->second];
}

// [SECTION] Lists and positions

std::vector<std::string> BuildResolutionList(int desktop_width, int desktop_height) {
    std::vector<std::string> list(std::begin(kResolutions), std::end(kResolutions));
    std::string desktop = std::to_string(desktop_width) + "x" + std::to_string(desktop_height);
    bool known = false;
    for (const std::string& entry : list) known = known || entry == desktop;
    if (!known) list.push_back(std::move(desktop));
    return list;
}

ListEntries::ListEntries(const GraphicsSetting& setting, const std::vector<std::string>& resolutions)
    : fixed_(setting.values), dynamic_(setting.values.empty() ? &resolutions : nullptr) {}

int ListPosition(const ListEntries& entries, std::string_view text, int previous) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == text) return static_cast<int>(i);
    return previous;
}

void UpdateListPositions(GraphicsSettings& settings, const std::vector<std::string>& resolutions) {
    for (const GraphicsSetting& s : kCatalogue) {
        if (s.kind != SettingKind::List) continue;
        const ListEntries entries(s, resolutions);
        int& position = settings.*s.position;
        if (s.values.empty()) {
            // vid_mode: once placed (or found unknown) the choice stands for
            // the rest of the run.
            if (position == 0)
                position = ListPosition(entries, settings.*s.text, static_cast<int>(entries.size()));
        } else {
            position = ListPosition(entries, settings.*s.text, position);
        }
    }
}

// [SECTION] Reading and writing

namespace {

// Stores one setting's value text by the conversion of its kind, exactly as
// the typed readers of engine_files do it.
void StoreValue(const GraphicsSetting& s, const std::string& text, GraphicsSettings& settings) {
    switch (s.kind) {
        case SettingKind::List: settings.*s.text = text; break;
        case SettingKind::Float: settings.*s.real = static_cast<float>(std::atof(text.c_str())); break;
        case SettingKind::Int:
        case SettingKind::IntAsFloat: settings.*s.integer = std::atoi(text.c_str()); break;
        case SettingKind::Switch: settings.*s.flag = text == "on"; break;
        case SettingKind::Bit: settings.*s.flag = text == "1"; break;
    }
}

}  // namespace

void ReadGraphicsSettings(const std::string& content, GraphicsSettings& settings) {
    // One pass over the lines, splitting them the way ReadUserValue does
    // (LF ends a line, a CR before it belongs to the line end; the first
    // single space separates name and value). The first line of a name wins.
    std::array<std::string_view, kGraphicsSettingCount> values{};
    std::array<bool, kGraphicsSettingCount> found{};
    const auto& index = NameIndex();
    const std::string_view all(content);
    size_t start = 0;
    while (start < all.size()) {
        size_t nl = all.find('\n', start);
        size_t end = nl == std::string_view::npos ? all.size() : nl;
        if (nl != std::string_view::npos && end > start && all[end - 1] == '\r') --end;
        const std::string_view line = all.substr(start, end - start);
        start = nl == std::string_view::npos ? all.size() : nl + 1;

        const size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;  // one word: no setting
        auto it = index.find(line.substr(0, space));
        if (it == index.end() || found[it->second]) continue;
        std::string_view rest = line.substr(space + 1);
        values[it->second] = rest.substr(0, rest.find(' '));
        found[it->second] = true;
    }
    for (size_t i = 0; i < kCatalogue.size(); ++i) StoreValue(kCatalogue[i], std::string(values[i]), settings);
}

void ReloadGraphicsSettings(const std::string& path, GraphicsSettings& settings) {
    std::string content;
    if (!ReadWholeFile(path, content)) content.clear();
    ReadGraphicsSettings(content, settings);
}

void ReadGraphicsSettingsSeparately(const std::string& path, GraphicsSettings& settings) {
    for (const GraphicsSetting& s : kCatalogue) {
        const std::string name(s.name);
        switch (s.kind) {
            case SettingKind::List: settings.*s.text = ReadUserValue(name, path); break;
            case SettingKind::Float: settings.*s.real = ReadUserFloat(name, path); break;
            case SettingKind::Int:
            case SettingKind::IntAsFloat: settings.*s.integer = ReadUserInt(name, path); break;
            case SettingKind::Switch: settings.*s.flag = ReadUserSwitch(name, path); break;
            case SettingKind::Bit: settings.*s.flag = ReadUserBit(name, path); break;
        }
    }
}

void WriteGraphicsSetting(const GraphicsSetting& s, const GraphicsSettings& settings,
                          const std::vector<std::string>& resolutions, const std::string& path) {
    const std::string name(s.name);
    switch (s.kind) {
        case SettingKind::List: {
            const ListEntries entries(s, resolutions);
            const int position = settings.*s.position;
            if (position < 0 || static_cast<size_t>(position) >= entries.size()) return;
            WriteUserValue(name, std::string(entries[static_cast<size_t>(position)]), path);
            break;
        }
        case SettingKind::Float: WriteUserFloat(name, settings.*s.real, path); break;
        case SettingKind::Int: WriteUserInt(name, settings.*s.integer, path); break;
        case SettingKind::IntAsFloat: WriteUserFloat(name, static_cast<float>(settings.*s.integer), path); break;
        case SettingKind::Switch: WriteUserSwitch(name, settings.*s.flag, path); break;
        case SettingKind::Bit: WriteUserBit(name, settings.*s.flag, path); break;
    }
}
