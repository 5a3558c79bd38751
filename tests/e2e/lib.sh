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
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n 1 || true)
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

cleanup_e2e() {
    [ -n "${LAUNCHER_PID:-}" ] && kill -9 "$LAUNCHER_PID" 2>/dev/null || true
    [ -n "${E2E_OWN_XVFB:-}" ] && stop_xvfb
    [ "${VELMORA_E2E_KEEP:-0}" = 1 ] || for d in "${E2E_TMP_ROOTS[@]}"; do rm -rf "$d"; done
    return 0
}
trap cleanup_e2e EXIT
