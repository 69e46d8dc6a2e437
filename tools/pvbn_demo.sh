#!/usr/bin/env bash
# The game in a window: the table server (one table, three robots) on a free
# loopback port, the fake hall, and pvbn started by the hall with its launch
# line. The player plays whole hands against the robots; closing pvbn ends
# the hall and the server, and nothing of the run stays behind.
#
# A script rather than a program: it only starts three built programs, waits
# for the client and ends the others, which a shell does plainly, and it can
# say what is missing before anything is built.
#
# Usage: tools/pvbn_demo.sh BUILD_DIR [options]   (--help lists the options)
#        tools/pvbn_demo.sh --check [options]     only checks the options and
#                                                 the display (before a build)
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: ./build.sh run [options]

Starts the table server (one table, three robots) on a free loopback port,
the stand-in hall, and pvbn in a window; play whole hands against the robots.
Closing pvbn ends the rest. A display is needed (DISPLAY).

Options:
  --seed N            seed of the shuffle, the dice and the robots (printed at
                      every run; the same seed and the same plays give the
                      same hands)
  --pacing demo|test  how fast the robots act and the table's clocks run:
                      demo (15-s turns, 10-s claims, robots 0.8-1.5 s; the
                      default) or test (4-s turns, 2-s claims, robots
                      0.1-0.2 s)
  --server HOST:PORT  play against another game server; no local server is
                      started, and these launch values go to pvbn:
    --user N            the own user id (12345)
    --room N            the hall's room id (300)
    --table N           the table (0)
    --chair N           the own chair, 0-3 (0)
  --proxy KIND:HOST:PORT[:USER[:PASSWORD]]
                      reach the server through a proxy, as the hall's
                      settings give it: KIND socks4, socks5 or http
  --help              this text
EOF
}

fail() {
    echo "pvbn demo: $*" >&2
    exit 1
}

[[ $# -ge 1 ]] || { usage >&2; exit 2; }
case $1 in --help | -h) usage; exit 0 ;; esac
build=$1
shift
check_only=""
[[ $build != --check ]] || check_only=1

seed=""
pacing="demo"
server=""
user=12345
room=300
table=0
chair=0
proxy=""
launch_values=""
number() { [[ $2 =~ ^[0-9]+$ ]] || fail "$1 needs a number, not \"$2\""; }
while [[ $# -gt 0 ]]; do
    option=$1
    if [[ $option == --help || $option == -h ]]; then
        usage
        exit 0
    fi
    [[ $# -ge 2 ]] || fail "$option needs a value (see --help)"
    value=$2
    shift 2
    case "$option" in
    --seed) number "$option" "$value"; seed=$value ;;
    --pacing)
        [[ $value == demo || $value == test ]] || fail "--pacing is demo or test"
        pacing=$value
        ;;
    --server)
        [[ $value =~ ^[^:]+:[0-9]+$ ]] || fail "--server is HOST:PORT"
        server=$value
        ;;
    --user) number "$option" "$value"; user=$value; launch_values=1 ;;
    --room) number "$option" "$value"; room=$value; launch_values=1 ;;
    --table) number "$option" "$value"; table=$value; launch_values=1 ;;
    --chair)
        [[ $value =~ ^[0-3]$ ]] || fail "--chair is 0, 1, 2 or 3"
        chair=$value
        launch_values=1
        ;;
    --proxy)
        [[ $value =~ ^(socks4|socks5|http):[^:]+:[0-9]+(:[^:]*(:.*)?)?$ ]] \
            || fail "--proxy is KIND:HOST:PORT[:USER[:PASSWORD]] with KIND socks4, socks5 or http"
        proxy=$value
        ;;
    *) fail "unknown option $option (see --help)" ;;
    esac
done
[[ -n $server || -z $launch_values ]] \
    || fail "--user, --room, --table and --chair go with --server (the local table seats the player itself)"

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    fail "no display: pvbn opens a window, and neither DISPLAY nor WAYLAND_DISPLAY is set." \
        "Run it in a desktop session, over ssh -X, or under xvfb-run."
fi
[[ -z $check_only ]] || exit 0

client_program="$build/game/pvbn"
helper_program="$build/game/pvbn_web_helper"
server_program="$build/tools/test_server/pvbn_test_server"
hall_program="$build/tools/fake_hall/pvbn_fake_hall"
for program in "$client_program" "$server_program" "$hall_program"; do
    [[ -x $program ]] || fail "$program is missing; build $build first (./build.sh run does)"
done
[[ -d $build/game/skins ]] || fail "$build/game/skins is missing; building pvbn draws it"

# Every file of the run lives in one temporary folder, gone at the end: the
# client's own folder (the program, its skins, logs and settings), the hall's
# folder, the hall link's sockets and the shared settings folder.
work=$(mktemp -d "${TMPDIR:-/tmp}/pvbn-demo.XXXXXX")
mkdir -m 700 "$work/program" "$work/hall" "$work/links" "$work/system"
server_pid=""
hall_pid=""
client_pid=""
# Whether the process runs (a zombie its parent has not reaped runs no more).
running() {
    local state
    state=$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$1/status" 2>/dev/null) || return 1
    [[ -n $state && $state != Z ]]
}
# Ends what still runs: asked first, killed when it has not gone in 3 s.
cleanup() {
    local pid pids=() _
    for pid in "$hall_pid" "$client_pid" "$server_pid"; do
        [[ -n $pid ]] && running "$pid" && pids+=("$pid") && kill "$pid" 2>/dev/null
    done
    for _ in $(seq 30); do
        local left=()
        for pid in "${pids[@]}"; do
            running "$pid" && left+=("$pid")
        done
        pids=("${left[@]}")
        [[ ${#pids[@]} -eq 0 ]] && break
        sleep 0.1
    done
    for pid in "${pids[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# What the sed expression takes from the program's log once it is there (at
# most 10 s, and only while the program runs).
wait_for_line() {
    local pid=$1 file=$2 expression=$3 found="" _
    for _ in $(seq 100); do
        found=$(sed -n "$expression" "$file" 2>/dev/null)
        [[ -n $found ]] && break
        running "$pid" || break
        sleep 0.1
    done
    echo "$found"
}

place() {
    ln "$1" "$2" 2>/dev/null || cp "$1" "$2"
}
place "$client_program" "$work/program/pvbn"
[[ -x $helper_program ]] && place "$helper_program" "$work/program/pvbn_web_helper"
cp -al "$build/game/skins" "$work/program/skins" 2>/dev/null \
    || cp -r "$build/game/skins" "$work/program/skins"

if [[ -z $server ]]; then
    [[ -n $seed ]] || seed=$(( (RANDOM << 15 | RANDOM) % 1000000 ))
    "$server_program" --port 0 --seed "$seed" --pacing "$pacing" </dev/null \
        >"$work/server.log" 2>&1 &
    server_pid=$!
    port=$(wait_for_line "$server_pid" "$work/server.log" \
        's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p')
    [[ -n $port ]] || { cat "$work/server.log" >&2; fail "the table server did not start"; }
    host=127.0.0.1
    echo "pvbn demo: table server on 127.0.0.1:$port, seed $seed, $pacing pacing"
else
    host=${server%:*}
    port=${server##*:}
    [[ -z $seed ]] || echo "pvbn demo: --seed is the local server's; ignored with --server" >&2
    echo "pvbn demo: playing on $host:$port as user $user, room $room, table $table, chair $chair"
fi

export PVBN_SYSTEM_FOLDER="$work/system/" PVBN_WINDOW_FOLDER="$work/links"
hall_options=(--client "$work/program/pvbn" --host "$host" --port "$port" --user "$user"
    --room "$room" --table "$table" --chair "$chair" --exe-path "$work/hall/pvbn_fake_hall"
    --record "$work/hall.log" --timeout 86400)
# At the local table the robots cannot agree to a forced exit: its room lets
# the player leave a running hand after one question (no-forced-exit flag).
# The hall knows the table's robots as the table shows them.
[[ -n $server ]] || hall_options+=(--room-flags 2 --robots)
[[ -n $proxy ]] && hall_options+=(--proxy "$proxy") && echo "pvbn demo: through the proxy $proxy"
"$hall_program" "${hall_options[@]}" </dev/null >"$work/hall.out" 2>&1 &
hall_pid=$!

# The client's process id, from the hall's record.
client_pid=$(wait_for_line "$hall_pid" "$work/hall.log" 's/^client-started pid=\([0-9]*\)$/\1/p')
[[ -n $client_pid ]] || { cat "$work/hall.log" "$work/hall.out" >&2; fail "the hall did not start pvbn"; }
echo "pvbn demo: pvbn runs (pid $client_pid); close its window to end the demo"

# The run lasts as long as the client: the hall ends when it leaves, and
# whatever still runs when it is gone is ended by the clean-up.
while running "$client_pid"; do
    if [[ -n $server_pid ]] && ! running "$server_pid"; then
        echo "pvbn demo: the table server ended:" >&2
        tail -n 20 "$work/server.log" >&2
        break
    fi
    sleep 0.2
done
# A start that failed (no display to open, no proxy or server to reach, a
# version refused) pvbn tells the hall as a leave with no window of its own,
# and writes why to its standard error: the hall's, whose output it is in.
if grep -q '^leave .* window=0 ' "$work/hall.log" 2>/dev/null; then
    cat "$work/hall.out" >&2
    fail "pvbn could not start"
fi
echo "pvbn demo: pvbn ended"
