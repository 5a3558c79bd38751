#!/usr/bin/env bash
# The demo folder's main screen: two columns with the greeting and the
# version line, the stub engine started from the start button, a save picked
# with its preview and loaded, and the quit button.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

# The version header comes from the demo server, on a port of this run.
launch_demo
[ "$WIDTH" = 980 ] && [ "$HEIGHT" = 615 ] || fail "size ${WIDTH}x${HEIGHT}, expected 980x615"
wait_probe start_game 20 || fail "no start button"

# The window is mapped before llvmpipe has presented a frame into it on a
# busy machine: wait until the screen is no longer black.
for _ in $(seq 1 40); do
    shot main-screen-greeting
    awk -v m="$(brightness main-screen-greeting 0 0 980 615)" 'BEGIN { exit !(m > 0.02) }' && break
    sleep 0.5
done
# The left column is darker than the right one (opacity 0.8 against 0.2).
left=$(brightness main-screen-greeting 20 450 300 100)
right=$(brightness main-screen-greeting 400 120 300 100)
awk -v l="$left" -v r="$right" 'BEGIN { exit !(l < r) }' || fail "left column ($left) not darker than right ($right)"
# The version line is red: the stub engine has no version resource and the
# demo header names 1.6.02.
red=$(convert "$ARTIFACTS/main-screen-greeting.png" -crop "330x14+$((WX + 16))+$((WY + 51))" \
      -format '%[fx:maxima.r > 0.8 && minima.g < 0.2 ? 1 : 0]' info:)
[ "$red" = 1 ] || fail "no red version line"
pass "two columns with the greeting and a red version line"

# Start game: the engine runs with the launcher's working folder and writes
# a save of its own.
saves_before=$(ls "$GAME/appdata/savedgames" | wc -l)
click_probe start_game 2
[ "$(head -n 1 "$GAME/engine_log.txt" 2>/dev/null)" = "bin/Halcyon.exe" ] || fail "engine log: $(cat "$GAME/engine_log.txt" 2>/dev/null)"
[ "$(ls "$GAME/appdata/savedgames" | wc -l)" -gt "$saves_before" ] || fail "the stub engine wrote no save"
pass "start game ran bin/Halcyon.exe"

# Load game: the saves list ("Swamp camp" with a PNG preview, "quicksave"
# with a DDS one, "autosave" with none). A picked save's picture is drawn
# where the probe says, and it is brighter than the empty panel was there.
click_probe load_game 1
wait_probe "save:quicksave" 10 || fail "no saves listed"
shot main-screen-saves
for save in quicksave "Swamp camp"; do
    click_probe "save:$save" 1
    wait_probe save_preview 5 || fail "no preview for $save"
    read -r px0 py0 px1 py1 < <(awk '$1 == "save_preview" { print $2, $3, $4, $5; exit }' "$VELMORA_UI_PROBE")
    tag=$(echo "$save" | tr ' ' '-')
    shot "main-screen-save-$tag"
    picture=$(brightness "main-screen-save-$tag" "$px0" "$py0" $((px1 - px0)) $((py1 - py0)))
    empty=$(brightness main-screen-saves "$px0" "$py0" $((px1 - px0)) $((py1 - py0)))
    awk -v p="$picture" -v e="$empty" 'BEGIN { exit !(p > e + 0.05) }' || fail "preview of $save not drawn ($picture vs $empty)"
done
click_probe "save:autosave" 1
[ -z "$(probe_centre save_preview)" ] || fail "a save without a picture shows one"
pass "saves list; picked saves show their DDS and PNG previews, autosave none"

kill -0 "$LAUNCHER_PID" 2>/dev/null || fail "launcher ended early"
# Quit button: exit code 0.
click_probe quit 0.5
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "quit gave exit '$EXIT_CODE'"
pass "quit ends with 0"

# A second run: load a save whose name holds a space. The engine gets the
# name as it stands, and the choice is forgotten afterwards.
rm -f "$VELMORA_UI_PROBE"
start_launcher
wid=$(wait_for_window "$WINDOW_NAME" 30) || fail "no launcher window for loading"
wait_probe load_game 20 || fail "no load button at the second start"
click_probe load_game 1
wait_probe "save:Swamp camp" 10 || fail "no Swamp camp save"
click_probe "save:Swamp camp" 1
wait_probe load_save 5 || fail "no load button for Swamp camp"
click_probe load_save 2
grep -qxF "bin/Halcyon.exe -start server(Swamp camp/single/alife/load) client(localhost)" "$GAME/engine_log.txt" ||
    fail "load line missing: $(cat "$GAME/engine_log.txt")"
sleep 0.5
[ -z "$(probe_centre load_save)" ] || fail "the save is still chosen after loading"
shot main-screen-after-load
pass "load save ran the engine and cleared the choice"
kill -TERM "$LAUNCHER_PID"
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "SIGTERM after loading gave exit '$EXIT_CODE'"
pass "SIGTERM after loading ends with 0"
