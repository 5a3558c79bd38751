#!/usr/bin/env bash
# Mod downloads on the demo: the mods manager's catalogue loads from the demo
# server with its previews, the multi-volume mod (two volumes and the main
# archive) downloads and installs, and it shows in the installed mods view.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

launch_demo
sleep 1
for _ in $(seq 1 40); do
    shot downloads-start
    awk -v m="$(brightness downloads-start 0 0 980 615)" 'BEGIN { exit !(m > 0.02) }' && break
    sleep 0.5
done

# Mods manager, then its download-mods button at the top of the right
# column: the catalogue and one preview per entry arrive.
installed_shown=0
open_catalogue() {
    wait_probe mods_manager 10 || fail "no mods manager button"
    click_probe mods_manager 1
    if [ "$installed_shown" = 0 ]; then
        shot downloads-installed-before
        installed_shown=1
    fi
    wait_probe download_mods 10 || fail "no download-mods button"
    click_probe download_mods 2
}
previews_fetched() { [ "$(ls "$GAME"/LauncherFiles/ModsManager/*.dds 2>/dev/null | wc -l)" -ge 12 ]; }
retry 3 5 open_catalogue previews_fetched || fail "catalogue or previews not fetched"
installed_before=$(brightness downloads-installed-before 380 80 560 400)
[ -f "$GAME/LauncherFiles/ModsManager/downloaded_mods.ini" ] || fail "no registry file created"
sleep 1
shot downloads-catalogue
pass "catalogue loaded with previews"

# The first row is the multi-volume mod, under the first heading: its text
# column selects it, and the details pane offers the download button.
row=$(probe_centre catalogue.row.hc_textures)
[ -n "$row" ] || fail "no row for the multi-volume mod: $(cat "$VELMORA_UI_PROBE" 2>/dev/null)"
select_row() { click_at $row; }
details_shown() { [ -n "$(probe_centre catalogue.download)" ]; }
retry 3 3 select_row details_shown || fail "selecting the row showed no download button"
shot downloads-details
press_download() { click_at $(probe_centre catalogue.download) 0.5; }
recorded() { grep -q "hc_textures = true" "$GAME/LauncherFiles/ModsManager/downloaded_mods.ini" 2>/dev/null; }
retry 3 10 press_download recorded || fail "download not recorded: $(cat "$GAME/launcher.out")"
shot downloads-done
readme="$GAME/available_addons/HDTextures/gamedata/textures/readme.txt"
[ "$(cat "$readme" 2>/dev/null)" = "HDTextures: textures/readme.txt" ] || fail "not installed"
for f in ground/grass walls/brick foliage/leaves; do
    [ -f "$GAME/available_addons/HDTextures/gamedata/textures/$f.dds.txt" ] || fail "missing $f from the volumes"
done
ls "$GAME"/available_addons/Pack*.zip >/dev/null 2>&1 && fail "archives left after installation"
grep -q "Найдено частей: 2" "$GAME/launcher.out" || fail "volumes not found: $(cat "$GAME/launcher.out")"
pass "multi-volume mod downloaded and installed"

# Back to the installed view: one more check box fills the list.
click_at $(probe_centre catalogue.back) 1
shot downloads-installed-after
installed_after=$(brightness downloads-installed-after 380 80 560 400)
awk -v a="$installed_after" -v b="$installed_before" 'BEGIN { exit !(a > b) }' \
    || fail "installed view unchanged ($installed_before -> $installed_after)"
pass "the new mod shows in the installed view"
