# Shared helpers of the end-to-end tests (sourced). They drive the real
# launcher window under Xvfb with xdotool and keep screenshots as artifacts.
set -euo pipefail
SRC=${VELMORA_SOURCE_DIR:?}
BIN=${VELMORA_BINARY_DIR:?}
ARTIFACTS="$BIN/e2e-artifacts"
mkdir -p "$ARTIFACTS"
WINDOW_NAME="Velmora Team Launcher"

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# Runs under the Xvfb of scripts/test; starts a private one when run alone.
ensure_display() {
    if [ -z "${DISPLAY:-}" ]; then
        . "$SRC/scripts/xvfb.sh"
        start_xvfb
        E2E_OWN_XVFB=1
    fi
}

# A temporary game folder with the launcher in it: make_game [fsgame content]
E2E_TMP_ROOTS=()

make_game() {
    GAME=$(mktemp -d /tmp/velmora-e2e-XXXXXX)
    E2E_TMP_ROOTS+=("$GAME")
    cp "$BIN/velmora-launcher" "$GAME/"
    mkdir -p "$GAME/bin"
    cp "$BIN/tools/Halcyon.exe" "$GAME/bin/Halcyon.exe"
    if [ $# -gt 0 ]; then
        printf '%s' "$1" > "$GAME/fsgame.ltx"
    else
        printf '$app_data_root$ = true| false| $fs_root$| appdata\\\r\n$mod_dir$ = true| false| $fs_root$| mods\\\r\n' > "$GAME/fsgame.ltx"
    fi
}

# The full demo game folder (scripts/layout-demo) in a temporary place.
make_demo_game() {
    GAME=$(mktemp -d /tmp/velmora-e2e-XXXXXX)
    E2E_TMP_ROOTS+=("$GAME")
    GAME="$GAME/game"
    "$SRC/scripts/layout-demo" "$BIN" "$GAME" >/dev/null
}

start_launcher() {
    (cd "$GAME" && exec ./velmora-launcher) > "$GAME/launcher.out" 2>&1 &
    LAUNCHER_PID=$!
}

# Prints the id of the visible launcher window, waiting up to N seconds.
wait_for_window() {
    local name=${1:-$WINDOW_NAME} seconds=${2:-20} id=""
    for _ in $(seq 1 $((seconds * 10))); do
        id=""
        # The launcher's own window: the one of the process just started (a
        # window of an earlier run may still be listed for a moment).
        for w in $(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null || true); do
            if [ "$name" != "$WINDOW_NAME" ] || [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "${LAUNCHER_PID:-}" ]; then
                id=$w
                break
            fi
        done
        # SDL's own message boxes are not always seen by xdotool's search.
        [ -n "$id" ] || id=$(xwininfo -root -tree 2>/dev/null | awk -v n="\"$name\":" 'index($0, " " n " ") {print $1; exit}' || true)
        if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits up to N seconds for the launcher to end; sets EXIT_CODE to its exit
# code, or to "timeout". (Not in a subshell: only this shell can wait for it.)
wait_exit() {
    local seconds=${1:-5}
    EXIT_CODE=timeout
    for _ in $(seq 1 $((seconds * 20))); do
        if ! kill -0 "$LAUNCHER_PID" 2>/dev/null; then
            EXIT_CODE=0
            wait "$LAUNCHER_PID" || EXIT_CODE=$?
            LAUNCHER_PID=""
            return 0
        fi
        sleep 0.05
    done
}

shot() { import -window root "$ARTIFACTS/$1.png"; }

# Alt+F4 as a player presses it: real key events to the focused window, which
# the window manager turns into a close request.
press_alt_f4() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    sleep 0.3
    xdotool key alt+F4
}

cleanup_e2e() {
    [ -n "${LAUNCHER_PID:-}" ] && kill -9 "$LAUNCHER_PID" 2>/dev/null || true
    [ -n "${SERVER_PID:-}" ] && kill "$SERVER_PID" 2>/dev/null || true
    [ -n "${E2E_OWN_XVFB:-}" ] && stop_xvfb
    [ "${VELMORA_E2E_KEEP:-0}" = 1 ] || for d in "${E2E_TMP_ROOTS[@]}"; do rm -rf "$d"; done
    return 0
}
trap cleanup_e2e EXIT

# --- driving the window through the UI probe (VELMORA_UI_PROBE) -------------

# A local demo server of this run on a port of its own, serving a copy of the
# demo server's files, with the game's links pointed at it.
start_demo_server() {
    DEMO_PORT=$((20000 + ($$ * 7 + RANDOM) % 20000))
    local served
    served=$(dirname "$GAME")/server
    cp -a "$BIN/demo-server" "$served"
    sed -i "s/127.0.0.1:8765/127.0.0.1:$DEMO_PORT/" "$GAME/launcher.ini" "$served/mods/mods_descr.ini"
    "$BIN/tools/demo_server" "$served" "$DEMO_PORT" > "$GAME/server.out" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 1 50); do
        curl -s -o /dev/null "http://127.0.0.1:$DEMO_PORT/" && break
        sleep 0.1
    done
}

stop_demo_server() { [ -n "${SERVER_PID:-}" ] && kill "$SERVER_PID" 2>/dev/null || true; }

# The demo game folder with a catalogue server of its own and the UI probe,
# and the launcher started in it: sets GAME, wid, WX and WY.
launch_demo() {
    make_demo_game
    start_demo_server
    export VELMORA_UI_PROBE="$GAME/ui-probe.txt"
    start_launcher
    wid=$(wait_for_window "$WINDOW_NAME" 30) || fail "no launcher window"
    locate_window "$wid"
}

# Mean brightness (0..1) of a rectangle (window coordinates) of a screenshot:
# brightness SHOT X Y WIDTH HEIGHT
brightness() {
    convert "$ARTIFACTS/$1.png" -crop "$4x$5+$((WX + $2))+$((WY + $3))" -colorspace Gray -format '%[fx:mean]' info:
}

# Remembers where the launcher window is on the screen (WX, WY).
locate_window() {
    local wid=$1
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    WX=$X
    WY=$Y
}

# "x y" of the centre of a probed item in window coordinates, or nothing.
probe_centre() {
    awk -v n="$1" 'substr($0, 1, length(n) + 1) == n " " {
        split(substr($0, length(n) + 2), r, " "); printf "%d %d\n", (r[1] + r[3]) / 2, (r[2] + r[4]) / 2; exit }' \
        "$VELMORA_UI_PROBE" 2>/dev/null || true
}

# The text recorded with a probed item.
probe_text() {
    awk -v n="$1" 'substr($0, 1, length(n) + 1) == n " " {
        s = substr($0, length(n) + 2); for (i = 0; i < 4; i++) sub(/^[^ ]* /, "", s); print s; exit }' \
        "$VELMORA_UI_PROBE" 2>/dev/null || true
}

probe_frame() { awk '$1 == "frame" { print $2; exit }' "$VELMORA_UI_PROBE" 2>/dev/null || echo 0; }

# Waits up to N seconds for a probed item to appear.
wait_probe() {
    local name=$1 seconds=${2:-10}
    for _ in $(seq 1 $((seconds * 10))); do
        [ -n "$(probe_centre "$name")" ] && return 0
        sleep 0.1
    done
    return 1
}

# A press held over a few frames at window coordinates (x, y), so that even
# slow frames of a busy machine see the mouse over the item before the press.
click_at() {
    xdotool mousemove $((WX + $1)) $((WY + $2))
    sleep 0.4
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
    sleep "${3:-0.6}"
}

# Clicks a probed item; fails when it is not on screen.
click_probe() {
    local at
    at=$(probe_centre "$1")
    [ -n "$at" ] || fail "nothing to click: $1 is not drawn"
    # shellcheck disable=SC2086
    click_at $at "${2:-0.6}"
}

# Scrolls the list whose rectangle is probed as LIST with the mouse wheel
# until the probed item ITEM lies inside it: scroll_into_view LIST ITEM
scroll_into_view() {
    local list=$1 item=$2 lx0 ly0 lx1 ly1 iy
    read -r lx0 ly0 lx1 ly1 < <(awk -v n="$list" '$1 == n { print $2, $3, $4, $5; exit }' "$VELMORA_UI_PROBE")
    [ -n "${ly1:-}" ] || fail "no list $list to scroll"
    for _ in $(seq 1 40); do
        iy=$(probe_centre "$item" | awk '{ print $2 }')
        [ -n "$iy" ] || fail "no item $item in $list"
        if [ "$iy" -gt $((ly1 - 15)) ]; then
            xdotool mousemove $((WX + (lx0 + lx1) / 2)) $((WY + (ly0 + ly1) / 2)) click 5
        elif [ "$iy" -lt $((ly0 + 15)) ]; then
            xdotool mousemove $((WX + (lx0 + lx1) / 2)) $((WY + (ly0 + ly1) / 2)) click 4
        else
            return 0
        fi
        sleep 0.3
    done
    fail "could not scroll $item into view"
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
