#!/usr/bin/env python3
"""Writes resources/user.ltx: the engine console configuration that the
launcher installs when a player has none. 419 lines, CR LF, "name value"."""
import sys

# Settings the graphics panel edits, with their default values.
graphics = {
    "renderer": "renderer_r1", "vid_mode": "1920x1080", "r2_sun_shafts": "st_opt_medium",
    "r2_sunshafts_mode": "screen_space", "r2_use_flares": "st_opt_on_helmet", "r2_sun_quality": "st_opt_medium",
    "r2_smap_size": "2048", "r4_ssr_samples": "dtssr_low", "r2_aa_mode": "opt_noaa", "r2_ssao_mode": "hdao",
    "r2_ssao": "st_opt_high", "rs_vis_distance": "1.", "cam_fov": "55.", "hud_fov": "0.55", "r2_slight_fade": "0.5",
    "r__detail_scale": "1.", "r__detail_density": "0.6", "r2_mblur": "0.1", "weather_fog_clamping": "750.",
    "r__detail_radius": "49", "texture_lod": "1", "r__tf_aniso": "8", "r__supersample": "1",
    "r__optimize_static_geom": "2", "r__optimize_dynamic_geom": "2", "r3_reflections_dist": "300.",
    "r3_dynamic_wet_surfaces_far": "300.",
    "rs_fullscreen": "on", "r2_volumetric_lights": "off", "ai_use_torch_dynamic_lights": "on", "r__actor_shadow": "off",
    "r2_sun_details": "off", "r2_sun": "on", "r2_static_sun": "off", "r__optimize_shadow_geom": "on",
    "r2_soft_water": "on", "r4_screen_space_shaders": "off", "r4_ss_sky_debanding": "off", "r4_ss_flora_fix": "off",
    "r4_ss_fog": "off", "r4_ss_indirect_light": "off", "r4_ss_new_gloss": "off", "r4_screen_space_shadows": "off",
    "r4_ss_shadows": "off", "r4_ss_wind": "off", "r4_ss_puddles": "off", "r4_ss_bloom": "off",
    "r4_ss_bloom_mask_dirt": "off", "r4_enchanted_shaders": "on", "r4_es_pseudo_pbr": "0", "r4_es_aces_tonemap": "off",
    "r2_mblur_enable": "off", "g_3d_scopes": "off", "g_3d_pda": "off", "r2_hud_mask": "on", "r2_hud_dyn_effects": "on",
    "r2_raindrops": "on", "r2_vignette": "off", "r2_steep_parallax": "on", "r3_dynamic_wet_surfaces": "on",
    "r2_dof_enable": "on", "r3_volumetric_smoke": "on", "r4_chromatic_aberration": "on", "r4_film_grain": "off",
    "r1_detail_textures": "off", "r2_use_bump": "on", "r2_detail_bump": "on", "rs_v_sync": "off",
    "rs_refresh_60hz": "on", "r2_soft_particles": "on", "r4_enable_tessellation": "on",
    "r__detail_collision_enabled": "0", "r__wallmarks_on_skeleton": "0", "r__shader_nvg": "0",
}

# The rest of a complete console configuration.
other = {
    "ai_aim_max_angle": "0.7854", "ai_aim_min_angle": "0.19635", "ai_aim_min_speed": "0.24", "ai_aim_predict_time": "0.4",
    "ai_aim_use_smooth_aim": "1", "ai_die_in_anomalies": "0", "ai_use_old_vision": "0", "ai_use_torch_dynamic_lights_far": "on",
    "cam_inert": "0.", "cam_slide_inert": "0.25", "con_sensitive": "0.15", "g_always_run": "on", "g_autopickup": "on",
    "g_backrun": "on", "g_crosshair_color": "(255, 255, 255, 255)", "g_crouch_toggle": "off", "g_dead_body_collision": "actor_only",
    "g_dynamic_music": "on", "g_eventdelay": "0", "g_feel_grenade": "on", "g_first_person_death": "off",
    "g_game_difficulty": "gd_stalker", "g_hud_adjust_mode": "0", "g_important_save": "on", "g_lookout_toggle": "off",
    "g_multi_item_pickup": "on", "g_simple_pda": "off", "g_sprint_toggle": "off", "g_use_tracers": "on",
    "g_walk_toggle": "off", "hud_crosshair": "on", "hud_crosshair_dist": "off", "hud_draw": "on", "hud_info": "on",
    "hud_weapon": "on", "keypress_on_start": "on", "mm_mm_net_srv_dedicated": "off", "mm_net_con_publicserver": "off",
    "mm_net_con_spectator": "20", "mm_net_con_spectator_on": "off", "mm_net_filter_empty": "on", "mm_net_filter_full": "on",
    "mm_net_filter_listen": "on", "mm_net_filter_pass": "on", "mm_net_filter_wo_ff": "on", "mm_net_filter_wo_pass": "on",
    "mm_net_srv_gamemode": "st_deathmatch", "mm_net_srv_maxplayers": "32", "mm_net_srv_name": "stalker",
    "mm_net_srv_reinforcement_type": "1", "mm_net_weather_rateofchange": "1.", "mouse_invert": "off",
    "mouse_sens": "0.12", "mouse_sens_aim": "1.", "net_cl_icurvesize": "0", "net_cl_icurvetype": "0",
    "net_cl_interpolation": "0.", "net_cl_log_data": "off", "net_cl_resync": "0", "net_compressor_enabled": "0",
    "net_compressor_gather_stats": "0", "net_dbg_dump_export_obj": "0", "net_dbg_dump_import_obj": "0",
    "net_sv_gpmode": "0", "net_sv_log_data": "off", "net_sv_pending_lim": "3", "net_sv_update_rate": "30",
    "ph_frequency": "100.00000", "ph_iterations": "18", "r1_dlights": "on", "r1_dlights_clip": "40.",
    "r1_glows_per_frame": "16", "r1_lmodel_lerp": "0.1", "r1_pps_u": "0.", "r1_pps_v": "0.",
    "r1_software_skinning": "0", "r1_ssa_lod_a": "64.", "r1_ssa_lod_b": "48.", "r2_allow_r1_lights": "off",
    "r2_dof": "-1.250000,1.400000,10000.000000", "r2_dof_kernel": "5.", "r2_dof_sky": "30.", "r2_exp_donttest_shad": "on",
    "r2_gi": "off", "r2_gi_clip": "0.001", "r2_gi_depth": "1", "r2_gi_photons": "16", "r2_gi_refl": "0.9",
    "r2_gloss_factor": "4.", "r2_gloss_min": "0.", "r2_ls_bloom_fast": "off", "r2_ls_bloom_kernel_b": "0.7",
    "r2_ls_bloom_kernel_g": "3.", "r2_ls_bloom_kernel_scale": "0.7", "r2_ls_bloom_speed": "100.", "r2_ls_bloom_threshold": "0.",
    "r2_ls_depth_bias": "-0.0003", "r2_ls_depth_scale": "1.00001", "r2_ls_dsm_kernel": "0.7", "r2_ls_psm_kernel": "0.7",
    "r2_ls_squality": "1.", "r2_ls_ssm_kernel": "0.7", "r2_mask_control": "(0., 0., 0., 0.)", "r2_parallax_h": "0.02",
    "r2_shadow_cascede_old": "off", "r2_shadow_cascede_zcul": "on", "r2_smap_depth_bias": "-0.0001",
    "r2_ssa_lod_a": "64.", "r2_ssa_lod_b": "48.", "r2_ssao_blur": "off", "r2_ssao_half_data": "off",
    "r2_ssao_hbao": "off", "r2_ssao_hdao": "off", "r2_ssao_opt_data": "on", "r2_sun_depth_far_bias": "-0.00002",
    "r2_sun_depth_far_scale": "1.", "r2_sun_depth_near_bias": "0.00001", "r2_sun_depth_near_scale": "1.",
    "r2_sun_far": "100.", "r2_sun_focus": "on", "r2_sun_lumscale": "1.", "r2_sun_lumscale_amb": "1.",
    "r2_sun_lumscale_hemi": "1.", "r2_sun_near": "20.", "r2_sun_near_border": "0.75", "r2_sun_tsm": "on",
    "r2_sun_tsm_bias": "-0.01", "r2_sun_tsm_proj": "0.3", "r2_tonemap": "on", "r2_tonemap_adaptation": "1.",
    "r2_tonemap_amount": "0.7", "r2_tonemap_lowlum": "0.0001", "r2_tonemap_middlegray": "1.", "r2_wait_sleep": "0",
    "r2_water_reflections": "on", "r2_zfill": "off", "r2_zfill_depth": "0.25", "r2em": "0.",
    "r3_dynamic_wet_surfaces_near": "10.", "r3_dynamic_wet_surfaces_sm_res": "256", "r3_minmax_sm": "autodetect",
    "r3_msaa_alphatest": "st_opt_off", "r3_use_dx10_1": "off", "r3_volumetric_smoke_quality": "st_opt_medium",
    "r4_ss_bloom_intensity": "0.5", "r4_ss_bloom_threshold": "0.8", "r4_ss_fog_density": "1.", "r4_ss_gloss_factor": "0.5",
    "r4_ss_il_intensity": "1.", "r4_ss_puddles_size": "1.", "r4_ss_wind_strength": "1.", "r4_wireframe": "off",
    "r__bloodmarks": "on", "r__clear_models_on_unload": "off", "r__color_grading": "(0.5, 0.5, 0.5)",
    "r__detail_collision_radius": "1.", "r__dtex_range": "50.", "r__enable_grass_shadow": "off", "r__exposure": "1.",
    "r__fog_dist_mult": "1.", "r__framelimit": "0", "r__gamma": "1.", "r__geometry_lod": "0.75", "r__lens_flares": "on",
    "r__nightvision": "0", "r__no_ram_textures": "on", "r__no_scale_on_fade": "off", "r__saturation": "1.",
    "r__ssa_glod_end": "10", "r__ssa_glod_start": "256", "r__use_precompiled_shaders": "on", "r__wallmark_ttl": "50.",
    "r_screenshot_mode": "0", "rs_c_brightness": "1.", "rs_c_contrast": "1.", "rs_c_gamma": "1.", "rs_cam_pos": "off",
    "rs_detail": "off", "rs_fps": "off", "rs_render_hud": "on", "rs_stats": "off", "rs_vis_distance_far": "1.",
    "snd_acceleration": "on", "snd_cache_size": "64", "snd_device": "OpenAL Soft", "snd_efx": "on",
    "snd_targets": "128", "snd_volume_eff": "1.", "snd_volume_music": "0.5", "texture_lod_far": "1",
    "wpn_aim_toggle": "off", "wpn_degradation": "1.", "wpn_sprint_reload": "off",
}

binds = [
    ("left", "kLEFT"), ("right", "kRIGHT"), ("up", "kUP"), ("down", "kDOWN"), ("jump", "kSPACE"),
    ("crouch", "kLCONTROL"), ("accel", "kLSHIFT"), ("sprint_toggle", "kX"), ("forward", "kW"), ("back", "kS"),
    ("lstrafe", "kA"), ("rstrafe", "kD"), ("llookout", "kQ"), ("rlookout", "kE"), ("cam_zoom_in", "kADD"),
    ("cam_zoom_out", "kSUBTRACT"), ("torch", "kL"), ("night_vision", "kN"), ("wpn_1", "k1"), ("wpn_2", "k2"),
    ("wpn_3", "k3"), ("wpn_4", "k4"), ("wpn_5", "k5"), ("wpn_6", "k6"), ("wpn_next", "kY"), ("wpn_fire", "mouse1"),
    ("wpn_zoom", "mouse2"), ("wpn_reload", "kR"), ("wpn_func", "kV"), ("wpn_firemode_prev", "k9"),
    ("wpn_firemode_next", "k0"), ("pause", "kPAUSE"), ("drop", "kG"), ("use", "kF"), ("scores", "kTAB"),
    ("screenshot", "kF12"), ("quit", "kESCAPE"), ("console", "kGRAVE"), ("inventory", "kI"), ("active_jobs", "kP"),
    ("quick_use_1", "kF1"), ("quick_use_2", "kF2"), ("quick_use_3", "kF3"), ("quick_use_4", "kF4"),
    ("quick_save", "kF6"), ("quick_load", "kF9"), ("custom1", "kNUMPAD1"), ("custom2", "kNUMPAD2"),
    ("custom3", "kNUMPAD3"), ("custom4", "kNUMPAD4"), ("custom5", "kNUMPAD5"), ("safemode", "kH"),
]

TARGET = 419
settings = dict(other)
settings.update(graphics)
names = sorted(settings)
lines = ["_preset Default"]
lines += [f"{n} {settings[n]}" for n in names if n < "c"]
lines.append("default_controls")
lines += [f"bind {a} {k}" for a, k in binds]
lines += [f"{n} {settings[n]}" for n in names if n >= "c"]
# Pad with sound-scheme entries so the file has its full length.
i = 0
while len(lines) < TARGET:
    lines.append(f"snd_scheme_{i:02d} 1.")
    i += 1
if len(lines) != TARGET:
    sys.exit(f"user.ltx would have {len(lines)} lines, expected {TARGET}")
with open(sys.argv[1] if len(sys.argv) > 1 else "resources/user.ltx", "wb") as f:
    f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
