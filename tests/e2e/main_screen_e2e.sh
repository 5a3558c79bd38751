#!/usr/bin/env bash
# The demo folder's main screen: two columns with the greeting and the
# version line, the stub engine started from the start button, a save picked
# with its preview and loaded, and the quit button.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

make_demo_game
# The version header comes from the demo server, on a port of this run.
port=$((20000 + $$ % 20000))
sed -i "s/127.0.0.1:8765/127.0.0.1:$port/" "$GAME/launcher.ini"
"$BIN/tools/demo_server" "$BIN/demo-server" "$port" > "$GAME/server.out" 2>&1 &
SERVER_PID=$!
stop_server() { kill "$SERVER_PID" 2>/dev/null || true; cleanup_e2e; }
trap stop_server EXIT

start_launcher
wid=$(wait_for_window "$WINDOW_NAME" 30) || fail "no launcher window"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 980 ] && [ "$HEIGHT" = 615 ] || fail "size ${WIDTH}x${HEIGHT}, expected 980x615"
WX=$X
WY=$Y
sleep 1

# Clicks at a point of the launcher window (window coordinates). The pointer
# rests first: the shell's drag hit test knows what lies under the pointer
# only after a frame has been drawn with it there.
click() {
    xdotool mousemove $((WX + $1)) $((WY + $2))
    sleep 0.5
    xdotool click 1
    sleep "${3:-1}"
}
# Mean brightness (0..1) of a rectangle of the last screenshot.
brightness() {
    convert "$ARTIFACTS/$1.png" -crop "$4x$5+$((WX + $2))+$((WY + $3))" -colorspace Gray -format '%[fx:mean]' info:
}

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

# Start game (first action button): the engine runs with the launcher's
# working folder and writes a save of its own.
saves_before=$(ls "$GAME/appdata/savedgames" | wc -l)
# The first click goes to a focused window with the pointer already inside.
xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
xdotool mousemove $((WX + 600)) $((WY + 450))
sleep 1
click 180 90 2
if [ ! -s "$GAME/engine_log.txt" ]; then
    # Seen on a freshly started Xvfb with openbox: the button shows hovered
    # but synthetic clicks are swallowed until Escape is pressed (which ends a
    # window-manager move). Keep the picture, say so, and press once more.
    shot main-screen-start-missed
    echo "note: click on the start button was lost; Escape, then pressing again" >&2
    xdotool key Escape
    sleep 0.5
    click 180 90 2
fi
[ "$(head -n 1 "$GAME/engine_log.txt" 2>/dev/null)" = "bin/Halcyon.exe" ] || fail "engine log: $(cat "$GAME/engine_log.txt" 2>/dev/null)"
[ "$(ls "$GAME/appdata/savedgames" | wc -l)" -gt "$saves_before" ] || fail "the stub engine wrote no save"
pass "start game ran bin/Halcyon.exe"

# Load game: the saves list, newest first (the stub's new save on top, then
# "Swamp camp" with a PNG preview, "quicksave" with a DDS one).
click 180 134
shot main-screen-saves
empty=$(brightness main-screen-saves 380 400 120 100)
for row in "83 quicksave-dds" "59 swamp-camp-png"; do
    set -- $row
    click 450 "$1" 1.5
    shot "main-screen-save-$2"
    picture=$(brightness "main-screen-save-$2" 380 400 120 100)
    awk -v p="$picture" -v e="$empty" 'BEGIN { exit !(p > e + 0.1) }' || fail "no preview for $2 ($picture vs $empty)"
done
pass "saves list; picked saves show their DDS and PNG previews"

kill -0 "$LAUNCHER_PID" 2>/dev/null || fail "launcher ended early"
# Quit button: exit code 0.
click 66 396 0.5
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "quit gave exit '$EXIT_CODE'"
pass "quit ends with 0"

# A second run: load a save. The engine gets the save's name as it stands,
# and the choice is forgotten afterwards.
start_launcher
wid=$(wait_for_window "$WINDOW_NAME" 30) || fail "no launcher window for loading"
xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
sleep 2
click 180 134
click 450 59 1.5
click 438 528 2
grep -qxF "bin/Halcyon.exe -start server(Swamp camp/single/alife/load) client(localhost)" "$GAME/engine_log.txt" ||
    fail "load line missing: $(cat "$GAME/engine_log.txt")"
shot main-screen-after-load
after=$(brightness main-screen-after-load 380 400 120 100)
awk -v p="$after" -v e="$empty" 'BEGIN { exit !(p < e + 0.05) }' || fail "preview still shown after loading"
pass "load save ran the engine and cleared the choice"
kill -TERM "$LAUNCHER_PID"
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "SIGTERM after loading gave exit '$EXIT_CODE'"
