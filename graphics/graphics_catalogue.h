#pragma once
// The 76 engine console settings that the graphics panel edits in user.ltx:
// one table (name, kind, label key, values or slider range) that drives
// reading, writing and drawing, the in-memory copy GraphicsSettings, and the
// rules that turn a stored value into a position in its drop-down list.
//
// Index of this file:
// [SECTION] Kinds and the in-memory copy
// [SECTION] The catalogue and the panel's groups
// [SECTION] Lists and positions
// [SECTION] Reading and writing user.ltx
#include <span>
#include <string>
#include <string_view>
#include <vector>

// [SECTION] Kinds and the in-memory copy

enum class SettingKind {
    List,        // value text + list position; WriteUserValue of the entry
    Float,       // ReadUserFloat / WriteUserFloat, slider "%.3f"
    Int,         // ReadUserInt / WriteUserInt, slider "%d"
    IntAsFloat,  // ReadUserInt / WriteUserFloat of the integer (49 -> "49.000000")
    Switch,      // "on" / "off"
    Bit,         // "1" / "0"
};

// One field per setting, named like the setting; each list setting also keeps
// the position of its value in its list. Starts empty, zero and false.
struct GraphicsSettings {
    // Lists
    std::string renderer;
    int renderer_position = 0;
    std::string vid_mode;
    int vid_mode_position = 0;
    std::string r2_sun_shafts;
    int r2_sun_shafts_position = 0;
    std::string r2_sunshafts_mode;
    int r2_sunshafts_mode_position = 0;
    std::string r2_use_flares;
    int r2_use_flares_position = 0;
    std::string r2_sun_quality;
    int r2_sun_quality_position = 0;
    std::string r2_smap_size;
    int r2_smap_size_position = 0;
    std::string r4_ssr_samples;
    int r4_ssr_samples_position = 0;
    std::string r2_aa_mode;
    int r2_aa_mode_position = 0;
    std::string msaa;
    int msaa_position = 0;
    std::string r2_ssao_mode;
    int r2_ssao_mode_position = 0;
    std::string r2_ssao;
    int r2_ssao_position = 0;

    // Floats
    float rs_vis_distance = 0;
    float cam_fov = 0;
    float hud_fov = 0;
    float r2_slight_fade = 0;
    float r__detail_scale = 0;
    float r__detail_density = 0;
    float r2_mblur = 0;
    float weather_fog_clamping = 0;

    // Integers (the first two are stored as floats)
    int r__detail_radius = 0;
    int r__detail_collision_visible_radius = 0;
    int texture_lod = 0;
    int r__tf_aniso = 0;
    int r__supersample = 0;
    int r__optimize_static_geom = 0;
    int r__optimize_dynamic_geom = 0;
    int r3_reflections_dist = 0;
    int r3_dynamic_wet_surfaces_far = 0;

    // Switches
    bool rs_fullscreen = false;
    bool r2_volumetric_lights = false;
    bool ai_use_torch_dynamic_lights = false;
    bool r__actor_shadow = false;
    bool r2_sun_details = false;
    bool r2_sun = false;
    bool r2_static_sun = false;
    bool r__optimize_shadow_geom = false;
    bool r2_soft_water = false;
    bool r4_screen_space_shaders = false;
    bool r4_ss_sky_debanding = false;
    bool r4_ss_flora_fix = false;
    bool r4_ss_fog = false;
    bool r4_ss_indirect_light = false;
    bool r4_ss_new_gloss = false;
    bool r4_screen_space_shadows = false;
    bool r4_ss_shadows = false;
    bool r4_ss_wind = false;
    bool r4_ss_puddles = false;
    bool r4_ss_bloom = false;
    bool r4_ss_bloom_mask_dirt = false;
    bool r4_enchanted_shaders = false;
    bool r4_es_pseudo_pbr = false;
    bool r4_es_aces_tonemap = false;
    bool r2_mblur_enable = false;
    bool g_3d_scopes = false;
    bool g_3d_pda = false;
    bool r2_hud_mask = false;
    bool r2_hud_dyn_effects = false;
    bool r2_raindrops = false;
    bool r2_vignette = false;
    bool r2_steep_parallax = false;
    bool r3_dynamic_wet_surfaces = false;
    bool r2_dof_enable = false;
    bool r3_volumetric_smoke = false;
    bool r4_chromatic_aberration = false;
    bool r4_film_grain = false;
    bool r1_detail_textures = false;
    bool r2_use_bump = false;
    bool r2_detail_bump = false;
    bool rs_v_sync = false;
    bool rs_refresh_60hz = false;
    bool r2_soft_particles = false;
    bool r4_enable_tessellation = false;

    // Bits
    bool r__detail_collision_enabled = false;
    bool r__wallmarks_on_skeleton = false;
    bool r__shader_nvg = false;

    bool operator==(const GraphicsSettings&) const = default;
};

// [SECTION] The catalogue and the panel's groups

// One row of the catalogue. Exactly the members that belong to the kind are
// set; the others stay null.
struct GraphicsSetting {
    std::string_view name{};   // first word of its user.ltx line
    SettingKind kind{};
    std::string_view label{};  // localisation key of the control's label
    // List: the fixed entries; empty for vid_mode, which uses the resolution list.
    std::span<const std::string_view> values{};
    std::string GraphicsSettings::*text = nullptr;
    int GraphicsSettings::*position = nullptr;
    // Sliders: left end and right end (left > right runs backwards).
    float left = 0;
    float right = 0;
    float GraphicsSettings::*real = nullptr;
    int GraphicsSettings::*integer = nullptr;
    // Check boxes.
    bool GraphicsSettings::*flag = nullptr;
    // A change reads the whole catalogue back on the next frame.
    bool reload_after_write = false;
};

inline constexpr size_t kGraphicsSettingCount = 76;

// All settings: lists, floats, integers, switches, bits.
std::span<const GraphicsSetting> GraphicsCatalogue();

// The row of `name`, or nullptr.
const GraphicsSetting* FindGraphicsSetting(std::string_view name);

// A control of the panel: a catalogue row, shown only while `shown_while`
// (when set) is on.
struct GraphicsControl {
    const GraphicsSetting* setting;
    bool GraphicsSettings::*shown_while = nullptr;
};

struct GraphicsGroup {
    std::string_view heading;  // localisation key
    std::span<const GraphicsControl> controls;
};

// The eleven groups in drawing order; together they hold every setting once.
std::span<const GraphicsGroup> GraphicsGroups();

// [SECTION] Lists and positions

// The 15 fixed resolutions followed by "<width>x<height>" of the desktop when
// that text is not already among them.
std::vector<std::string> BuildResolutionList(int desktop_width, int desktop_height);

// The entries of a list setting; vid_mode's are the resolution list.
class ListEntries {
public:
    ListEntries(const GraphicsSetting& setting, const std::vector<std::string>& resolutions);
    size_t size() const { return dynamic_ ? dynamic_->size() : fixed_.size(); }
    std::string_view operator[](size_t i) const { return dynamic_ ? std::string_view((*dynamic_)[i]) : fixed_[i]; }

private:
    std::span<const std::string_view> fixed_;
    const std::vector<std::string>* dynamic_ = nullptr;
};

// Index of the first entry equal to `text`, else `previous`.
int ListPosition(const ListEntries& entries, std::string_view text, int previous);

// Every list setting but vid_mode by ListPosition; vid_mode only while its
// position is 0, giving the entry count when its text is not in the list.
void UpdateListPositions(GraphicsSettings& settings, const std::vector<std::string>& resolutions);

// [SECTION] Reading and writing user.ltx

// Fills every setting from already-read user.ltx content, with the same
// results as the per-setting readers. List positions are left alone.
void ReadGraphicsSettings(const std::string& content, GraphicsSettings& settings);

// One read of the file, then ReadGraphicsSettings. A missing file reads as
// empty texts, zeros and false.
void ReloadGraphicsSettings(const std::string& path, GraphicsSettings& settings);

// The reference: each setting read by the reader of its kind (76 reads).
void ReadGraphicsSettingsSeparately(const std::string& path, GraphicsSettings& settings);

// Writes the setting's current value with the writer of its kind; a list
// setting writes the entry at its position (nothing when the position lies
// outside the list).
void WriteGraphicsSetting(const GraphicsSetting& setting, const GraphicsSettings& settings,
                          const std::vector<std::string>& resolutions, const std::string& path);
