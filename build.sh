#!/usr/bin/env bash
# Installs what is missing, builds, and runs the client or every test.
#   ./build.sh run    build the program and start the demo: the table server,
#                     the fake hall and pvbn in a window (--help: its options)
#   ./build.sh test   build the sanitizer configuration and run every test
#   ./build.sh bench  build and run the benchmarks
#   ./build.sh tsan   build with ThreadSanitizer and run the platform, zep, frame and table tests
set -euo pipefail

cd "$(dirname "$0")"
mode="${1:-run}"
shift || true

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
    zlib1g-dev libjpeg-dev
    libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libgif-dev imagemagick
    libfreetype-dev libfontconfig-dev fonts-wqy-zenhei
    libfluidsynth-dev timgm6mb-soundfont
    sox libsox-fmt-base libsox-fmt-mp3
    dante-server microsocks tinyproxy
    xvfb xdotool libx11-dev
    libcurl4-openssl-dev python3-pyftpdlib
    libwebkit2gtk-4.1-dev
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update
    # The proxies are test peers that the tests start themselves: keep the
    # package scripts from starting them as system services.
    local policy=/usr/sbin/policy-rc.d added_policy=0
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
        $sudo chmod +x "$policy"
        added_policy=1
    fi
    local status=0
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}" \
        || status=$?
    [ "$added_policy" -eq 1 ] && $sudo rm -f "$policy"
    return "$status"
}

jobs="$(nproc)"

configure_and_build() {
    local dir="$1"
    shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$jobs"
}

# The demo's options are read by its launcher; asking for them needs no
# build, and a bad option or a missing display is told before anything is
# installed or built.
if [ "$mode" = run ]; then
    for argument in "$@"; do
        case "$argument" in
        --help | -h) exec tools/pvbn_demo.sh build --help ;;
        esac
    done
    tools/pvbn_demo.sh --check "$@"
fi

install_missing

case "$mode" in
run)
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPVBN_TESTS=OFF
    exec tools/pvbn_demo.sh build "$@"
    ;;
test)
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DPVBN_SANITIZE=ON -DPVBN_TESTS=ON
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Tests run headless: no display and no sound device are needed.
    export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
    status=0
    ctest --test-dir build-asan --output-on-failure -j "$jobs" "$@" || status=$?
    # What each fuzz target ran (its tests print only when they fail).
    cat build-asan/tests/fuzz/summary-*.txt 2>/dev/null || true
    exit "$status"
    ;;
tsan)
    configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DPVBN_THREAD_SANITIZER=ON -DPVBN_TESTS=ON
    ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L 'platform|zep|frame|mahjong_client' "$@"
    ;;
bench)
    configure_and_build build-bench -DCMAKE_BUILD_TYPE=Release -DPVBN_TESTS=OFF -DPVBN_BENCH=ON
    for b in build-bench/bench/*; do
        [ -x "$b" ] && [ -f "$b" ] && "$b" "$@"
    done
    ;;
*)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
