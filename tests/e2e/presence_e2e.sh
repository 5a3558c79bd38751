#!/usr/bin/env bash
# The real launcher against a fake Discord (a Unix socket in a private
# XDG_RUNTIME_DIR): it connects with the handshake, registers its URL scheme
# under a private HOME, and closes the connection when it ends with exit 0.
# Without Discord it starts as usual and shows no message.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
ensure_display

make_game
export XDG_RUNTIME_DIR="$GAME/run" HOME="$GAME/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
LOG="$GAME/discord.log"

# One connection: log the handshake, answer READY, log when the launcher
# closes its end.
python3 - "$XDG_RUNTIME_DIR/discord-ipc-0" "$LOG" <<'PY' &
import json, socket, struct, sys
path, log = sys.argv[1], sys.argv[2]
srv = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
srv.bind(path)
srv.listen(1)
srv.settimeout(60)
conn, _ = srv.accept()
conn.settimeout(60)
def read(n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(n - len(data))
        if not chunk:
            return None
        data += chunk
    return data
op, length = struct.unpack("<II", read(8))
payload = read(length).decode()
with open(log, "a") as f:
    f.write("HANDSHAKE %d %s\n" % (op, payload))
ready = json.dumps({"cmd": "DISPATCH", "evt": "READY", "data": {"v": 1, "user": {"id": "1"}}}).encode()
conn.sendall(struct.pack("<II", 1, len(ready)) + ready)
while conn.recv(4096):
    pass
with open(log, "a") as f:
    f.write("EOF\n")
PY
FAKE_PID=$!
# The fake goes first, so it cannot write into the folder being removed.
trap '[ -n "${FAKE_PID:-}" ] && kill "$FAKE_PID" 2>/dev/null; cleanup_e2e' EXIT

# 1. Discord running: handshake with the launcher's id, scheme registered.
start_launcher
wid=$(wait_for_window) || fail "no launcher window"
for _ in $(seq 1 50); do grep -q HANDSHAKE "$LOG" 2>/dev/null && break; sleep 0.1; done
grep -Eq '^HANDSHAKE 0 \{"v":1,"client_id":"[0-9]{17,20}"\}$' "$LOG" || fail "no handshake: $(cat "$LOG" 2>/dev/null)"
id=$(sed -n 's/.*"client_id":"\([0-9]*\)".*/\1/p' "$LOG")
desktop="$HOME/.local/share/applications/discord-$id.desktop"
[ -f "$desktop" ] || fail "no $desktop"
grep -qx "Exec=$GAME/velmora-launcher %u" "$desktop" || fail "Exec line: $(grep Exec "$desktop")"
pass "handshake with id $id, URL scheme registered"

press_alt_f4 "$wid"
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "Alt+F4 with Discord gave exit '$EXIT_CODE'"
for _ in $(seq 1 50); do grep -q EOF "$LOG" && break; sleep 0.1; done
grep -q EOF "$LOG" || fail "Discord's connection was not closed"
wait "$FAKE_PID" || true
FAKE_PID=""
pass "connection closed, exit 0"

# 2. No Discord: the window appears, no error box, exit 0.
rm -f "$XDG_RUNTIME_DIR/discord-ipc-0"
start_launcher
wid=$(wait_for_window) || fail "no launcher window without Discord"
if xdotool search --onlyvisible --name '^ERROR!$' >/dev/null 2>&1; then fail "an error box without Discord"; fi
shot presence-no-discord
press_alt_f4 "$wid"
wait_exit 5
[ "$EXIT_CODE" = 0 ] || fail "Alt+F4 without Discord gave exit '$EXIT_CODE'"
pass "no Discord: no message, exit 0"
