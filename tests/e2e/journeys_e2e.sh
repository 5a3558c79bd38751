#!/usr/bin/env bash
# The player's journeys through the real window on a fresh copy of the demo
# game folder with its local catalogue server: start, graphics, saves, mods,
# language, quit. Items are found through the launcher's UI probe, so a click
# that would land on nothing fails the test. Screenshots: e2e-artifacts/journey-*.png
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

# --- 1. Start: the window appears centred with the greeting and the version line.
launch_demo
user_ltx="$GAME/appdata/user.ltx"
[ "$WX,$WY" = "480,270" ] || fail "window at $WX,$WY, expected centred at 480,270"
wait_probe greeting 20 || fail "no greeting"
[ -n "$(probe_text version_line)" ] || fail "no version line"
[ -n "$(probe_text greeting)" ] || fail "the greeting has no text"
shot journey-1-start
pass "start: centred window, greeting '$(probe_text greeting)', version line '$(probe_text version_line)'"

# --- 2. Graphics: renderer and field of view land in user.ltx at once.
click_probe graphic_opt
wait_probe combo:renderer 10 || fail "the graphics panel did not open"
open_renderer() { click_probe combo:renderer; }
renderer_listed() { [ -n "$(probe_centre entry:renderer:renderer_r4)" ]; }
retry 3 3 open_renderer renderer_listed || fail "the renderer list did not open"
click_probe entry:renderer:renderer_r4 1
tr -d '\r' < "$user_ltx" | grep -qx "renderer renderer_r4" || fail "renderer not written: $(grep '^renderer ' "$user_ltx")"
read -r x0 y0 x1 y1 < <(awk '$1 == "slider:cam_fov" { print $2, $3, $4, $5; exit }' "$VELMORA_UI_PROBE")
# Three quarters along a 5..180 slider: about 136 degrees.
click_at $((x0 + (x1 - x0) * 3 / 4)) $(((y0 + y1) / 2)) 1
fov=$(awk '$1 == "cam_fov" { print $2 }' "$user_ltx" | tr -d '\r')
awk -v v="$fov" 'BEGIN { exit !(v > 120 && v < 150) }' || fail "cam_fov is '$fov' after the click"
shot journey-2-graphics
pass "graphics: renderer_r4 and cam_fov $fov written"

# --- 3. Saves: pick a save (its preview shows), load it, the selection clears.
click_probe load_game
wait_probe save:quicksave 10 || fail "the saves list shows no quicksave"
click_probe save:quicksave 1
wait_probe load_save 5 || fail "picking the save showed no load button"
[ -n "$(probe_centre save_preview)" ] || fail "the save's preview picture is not shown"
shot journey-3-save-picked
: > "$GAME/engine_log.txt"
click_probe load_save 1
for _ in $(seq 1 50); do [ -s "$GAME/engine_log.txt" ] && break; sleep 0.1; done
expected="bin/Halcyon.exe -start server(quicksave/single/alife/load) client(localhost)"
[ "$(head -n 1 "$GAME/engine_log.txt")" = "$expected" ] || fail "engine command line: '$(cat "$GAME/engine_log.txt")'"
sleep 1
[ -z "$(probe_centre load_save)" ] || fail "a save is still chosen after the engine exited"
pass "saves: quicksave loaded with '$expected', selection cleared"

# --- 4. Mods: catalogue, two downloads while frames keep coming, installed,
#        enable without and with a conflict (cancel, then force).
click_probe mods_manager
wait_probe download_mods 10 || fail "the mods manager did not open"
wait_probe "installed:Quiet Footsteps" 5 || fail "the installed view lists no demo mods"
click_probe download_mods 2
wait_probe catalogue.row.hc_textures 30 || fail "the catalogue did not load"
shot journey-4-catalogue
registry="$GAME/LauncherFiles/ModsManager/downloaded_mods.ini"
download() {  # id
    local id=$1
    scroll_into_view catalogue.list "catalogue.row.$id"
    select_it() { click_probe "catalogue.row.$id"; }
    offered() { [ -n "$(probe_centre catalogue.download)" ]; }
    retry 3 3 select_it offered || fail "no download button for $id"
    click_probe catalogue.download 0.3
}
download df_maps
frames_before=$(probe_frame)
sleep 2
frames_after=$(probe_frame)
[ "$frames_after" -gt $((frames_before + 20)) ] || fail "frames stalled during a download ($frames_before -> $frames_after)"
shot journey-4-downloading
download hc_textures
for _ in $(seq 1 600); do
    grep -q "hc_textures = true" "$registry" 2>/dev/null && grep -q "df_maps = true" "$registry" 2>/dev/null && break
    sleep 0.1
done
grep -q "hc_textures = true" "$registry" || fail "the multi-volume mod was not downloaded: $(cat "$GAME/launcher.out")"
grep -q "df_maps = true" "$registry" || fail "the large mod was not downloaded"
[ -f "$GAME/available_addons/HDTextures/gamedata/textures/readme.txt" ] || fail "HDTextures not installed"
pass "mods: two downloads installed while frames kept coming ($frames_before -> $frames_after in 2 s)"
click_probe catalogue.back 1
wait_probe "installed:HDTextures" 10 || fail "HDTextures not in the installed view"
wait_probe "installed:FrontierMaps" 10 || fail "FrontierMaps not in the installed view"
shot journey-4-installed

click_probe "installed:Quiet Footsteps" 1
[ -d "$GAME/mods/Quiet Footsteps" ] || fail "Quiet Footsteps was not moved into the mod folder"
pass "mods: Quiet Footsteps enabled (folder moved)"

click_probe "installed:Weather Overhaul" 1
wait_probe conflict_cancel 5 || fail "no conflict dialog for Weather Overhaul"
shot journey-4-conflict
click_probe conflict_cancel 1
[ -d "$GAME/available_addons/Weather Overhaul" ] || fail "cancel moved the folder"
[ "$(probe_text "installed:Weather Overhaul")" = off ] || fail "cancel left the box ticked"
click_probe "installed:Weather Overhaul" 1
wait_probe conflict_force 5 || fail "no conflict dialog the second time"
click_probe conflict_force 1
[ -d "$GAME/mods/Weather Overhaul" ] || fail "force did not move the folder"
pass "mods: conflict cancelled, then forced"

# --- 5. Language: English is written to launcher.ini (shown from the next start).
russian_caption=$(probe_text start_game)
click_probe language_combo 1
wait_probe language:eng 5 || fail "the language list offers no eng"
click_probe language:eng 1
grep -q "^language = eng$" "$GAME/launcher.ini" || fail "launcher.ini: $(cat "$GAME/launcher.ini")"
pass "language: launcher.ini holds language = eng"

# --- 6. Quit with the quit button: exit code 0.
click_probe quit 0.2
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "the quit button gave exit '$EXIT_CODE'"
pass "quit button: exit code 0"

# The next start is in English; Alt+F4 also ends with 0.
rm -f "$VELMORA_UI_PROBE"
start_launcher
wid=$(wait_for_window "$WINDOW_NAME" 30) || fail "no window at the second start"
wait_probe start_game 20 || fail "no start button at the second start"
english_caption=$(probe_text start_game)
expected_caption=$(sed -n 's:.*<string id="ui_launcher_start_game">.*<text>\(.*\)</text>.*:\1:p' \
    "$GAME/LauncherFiles/text/eng/st_velmora_launcher.xml" | head -n 1)
[ -n "$expected_caption" ] || expected_caption=$(awk '/id="ui_launcher_start_game"/ { f = 1 } f && /<text>/ {
    sub(/.*<text>/, ""); sub(/<\/text>.*/, ""); print; exit }' "$GAME/LauncherFiles/text/eng/st_velmora_launcher.xml")
[ "$english_caption" = "$expected_caption" ] || fail "start button reads '$english_caption', expected '$expected_caption'"
[ "$english_caption" != "$russian_caption" ] || fail "the caption did not change language"
shot journey-5-english
pass "language: the next start shows '$english_caption'"
press_alt_f4 "$wid"
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "Alt+F4 gave exit '$EXIT_CODE'"
pass "Alt+F4: exit code 0"
