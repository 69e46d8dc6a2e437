#!/usr/bin/env bash
# The game frame on a private X server: the test server, the fake hall and
# the test client of the frame library. The hall starts the client with its
# launch line; the client connects, opens its window over the work area and
# enters the room; the hall then sends a new looker-on, a player card, a
# no-action record and, a few seconds later, a player leaving the table,
# after which the client leaves and ends. A screenshot of the screen is
# taken while the client runs.
#
# Usage: tools/frame_demo.sh [BUILD_DIR] [SCREENSHOT]
#   BUILD_DIR   a configured build with tests (default build-asan)
#   SCREENSHOT  where the screenshot goes (default frame-demo.png)
set -euo pipefail

build=${1:-build-asan}
shot=${2:-frame-demo.png}
server_program="$build/tools/test_server/pvbn_test_server"
hall_program="$build/tools/fake_hall/pvbn_fake_hall"
client_program="$build/tests/frame_test_client"

for program in "$server_program" "$hall_program" "$client_program"; do
    if [[ ! -x "$program" ]]; then
        echo "frame_demo: $program is missing; build the targets pvbn_test_server," \
             "pvbn_fake_hall and frame_test_client in $build first" >&2
        exit 1
    fi
done
for tool in Xvfb import; do
    command -v "$tool" >/dev/null || { echo "frame_demo: $tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/frame-demo.XXXXXX")
mkdir -m 700 "$work/links" "$work/system" "$work/client"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap cleanup EXIT

# A display number nobody uses.
display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.1
done

port=$((20000 + RANDOM % 20000))
"$server_program" --frame --port "$port" </dev/null >"$work/server.txt" 2>&1 &
pids+=($!)
sleep 0.5

export DISPLAY=":$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export PVBN_WINDOW_FOLDER="$work/links" PVBN_SYSTEM_FOLDER="$work/system"
export PVBN_TEST_CLIENT_FOLDER="$work/client" PVBN_TEST_CLIENT_RECORD="$work/client.txt"

# The launch: table 3, chair 1, another player at chair 0 (user 12445).
"$hall_program" --client "$client_program" --port "$port" --table 3 --chair 1 --players 2 \
    --step 3000:4:777:-1:旁观者 --step 500:7:12445:0 --step 500:13 \
    --step 4000:6:12445:3:0 --record "$work/hall.txt" --timeout 60 &
hall=$!
pids+=("$hall")

for _ in $(seq 300); do
    grep -q "view EnterGame 1" "$work/client.txt" 2>/dev/null && break
    sleep 0.1
done
sleep 1
import -window root "$shot"
echo "frame_demo: screenshot in $shot"

status=0
wait "$hall" || status=$?
echo "--- the hall (exit $status)"
cat "$work/hall.txt"
echo "--- the client"
cat "$work/client.txt"
echo "--- the server"
cat "$work/server.txt"
rm -rf "$work"
exit "$status"
