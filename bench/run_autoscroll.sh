#!/usr/bin/env bash
# Smooth autoscrolling, release build: at ASW_TIME 100, 300 and 1000, at 480 × 640 and at
# 1920 × 1080 full screen, offscreen and in a real X window under Xvfb — the timer messages
# handled per second against those asked for, the longest gap between two, and the CPU used.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench --target autoscroll_bench -j2 >/dev/null
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 0700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset DBUS_SESSION_BUS_ADDRESS
# A long book, so that no run reaches its end.
for _ in $(seq 40); do cat samples/en-story.txt; done > "$work/book.txt"
seconds=${1:-5}

run_all() {
    for size in "480 640 0" "1920 1080 1"; do
        for time in 100 300 1000; do
            # shellcheck disable=SC2086
            build/bench/bench/autoscroll_bench "$work/book.txt" $size "$time" "$seconds"
        done
    done
}

echo "== offscreen"
QT_QPA_PLATFORM=offscreen run_all
echo "== Xvfb, 1920x1080"
Xvfb :98 -screen 0 1920x1080x24 >/dev/null 2>&1 & sleep 1
DISPLAY=:98 run_all
