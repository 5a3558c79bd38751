#!/usr/bin/env bash
# The launcher window appears centred, start-up creates the engine's files,
# and every way of ending the launcher gives the right exit code.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

# 1. Window title, geometry and start-up files.
make_game
start_launcher
wid=$(wait_for_window) || fail "no launcher window"
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 980 ] && [ "$HEIGHT" = 615 ] || fail "size ${WIDTH}x${HEIGHT}, expected 980x615"
[ "$X" = 480 ] && [ "$Y" = 270 ] || fail "position $X,$Y, expected 480,270"
[ -f "$GAME/appdata/user.ltx" ] || fail "user.ltx not created"
[ -d "$GAME/appdata/savedgames" ] || fail "savedgames not created"
shot shell-window
pass "window 980x615 at 480,270 with user.ltx and savedgames"

# 2. Alt+F4 through the window manager: exit code 0 within a second.
press_alt_f4 "$wid"
wait_exit 1
[ "$EXIT_CODE" = 0 ] || fail "Alt+F4 gave exit '$EXIT_CODE'"
pass "Alt+F4 ends with 0"

# 3. SIGTERM becomes a quit event: exit code 0.
start_launcher
wait_for_window >/dev/null || fail "no window for SIGTERM"
kill -TERM "$LAUNCHER_PID"
wait_exit 2
[ "$EXIT_CODE" = 0 ] || fail "SIGTERM gave exit '$EXIT_CODE'"
pass "SIGTERM ends with 0"

# 4. No display: exit code 1 with a line on standard error.
code=0
(cd "$GAME" && env -u DISPLAY -u WAYLAND_DISPLAY ./velmora-launcher) > "$GAME/nodisplay.out" 2>&1 || code=$?
[ "$code" = 1 ] || fail "without DISPLAY exit '$code', expected 1"
[ "$(wc -l < "$GAME/nodisplay.out")" -ge 1 ] || fail "no reason given on stderr"
pass "no display ends with 1"

# 5. fsgame.ltx missing: the configuration error box, then exit code 1.
rm "$GAME/fsgame.ltx"
start_launcher
box=$(wait_for_window "Configuration Error" 10) || fail "no configuration error box"
shot shell-config-error
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
xdotool key --window "$box" Return
wait_exit 5
[ "$EXIT_CODE" = 1 ] || fail "missing fsgame.ltx gave exit '$EXIT_CODE', expected 1"
pass "missing fsgame.ltx ends with 1"
