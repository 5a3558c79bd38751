#!/usr/bin/env bash
# Mod downloads on the demo: the mods manager's catalogue loads from the demo
# server with its previews, the multi-volume mod (two volumes and the main
# archive) downloads and installs, and it shows in the installed mods view.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

make_demo_game
# A server of this run, on a port of its own, serving a copy of the demo
# server's files with their links pointed at that port.
port=$((20000 + ($$ + 7) % 20000))
served=$(dirname "$GAME")/server
cp -a "$BIN/demo-server" "$served"
sed -i "s/127.0.0.1:8765/127.0.0.1:$port/" "$GAME/launcher.ini" "$served/mods/mods_descr.ini"
"$BIN/tools/demo_server" "$served" "$port" > "$GAME/server.out" 2>&1 &
SERVER_PID=$!
stop_server() { kill "$SERVER_PID" 2>/dev/null || true; cleanup_e2e; }
trap stop_server EXIT

# The catalogue view writes the rectangles of its rows and buttons here.
export VELMORA_UI_PROBE="$GAME/ui-probe.txt"
start_launcher
wid=$(wait_for_window "$WINDOW_NAME" 30) || fail "no launcher window"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")"
WX=$X
WY=$Y

# A press held over a few frames, so a busy machine's slow frames still see it.
click() {
    xdotool mousemove $((WX + $1)) $((WY + $2))
    sleep 0.5
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
    sleep "${3:-1}"
}
# The centre of a probed item, "x y" in window coordinates, or nothing.
probe_centre() {
    awk -v n="$1" '$1 == n { printf "%d %d\n", ($2 + $4) / 2, ($3 + $5) / 2 }' "$VELMORA_UI_PROBE" 2>/dev/null
}
# Retries an action until a check holds: retry TIMES SECONDS ACTION CHECK
retry() {
    local times=$1 seconds=$2 action=$3 check=$4
    for _ in $(seq 1 "$times"); do
        $action
        for _ in $(seq 1 $((seconds * 10))); do
            $check && return 0
            sleep 0.1
        done
    done
    return 1
}
# Mean brightness (0..1) of a rectangle of a screenshot.
brightness() {
    convert "$ARTIFACTS/$1.png" -crop "$4x$5+$((WX + $2))+$((WY + $3))" -colorspace Gray -format '%[fx:mean]' info:
}
for _ in $(seq 1 40); do
    shot downloads-start
    awk -v m="$(brightness downloads-start 0 0 980 615)" 'BEGIN { exit !(m > 0.02) }' && break
    sleep 0.5
done

# Mods manager (fourth action button), then its download-mods button at the
# top of the right column: the catalogue and one preview per entry arrive.
installed_shown=0
open_catalogue() {
    click 180 222
    if [ "$installed_shown" = 0 ]; then
        shot downloads-installed-before
        installed_shown=1
    fi
    click 450 31 2
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
select_row() { click $row; }
details_shown() { [ -n "$(probe_centre catalogue.download)" ]; }
retry 3 3 select_row details_shown || fail "selecting the row showed no download button"
shot downloads-details
press_download() { click $(probe_centre catalogue.download) 0.5; }
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
click $(probe_centre catalogue.back) 1
shot downloads-installed-after
installed_after=$(brightness downloads-installed-after 380 80 560 400)
awk -v a="$installed_after" -v b="$installed_before" 'BEGIN { exit !(a > b) }' \
    || fail "installed view unchanged ($installed_before -> $installed_after)"
pass "the new mod shows in the installed view"
