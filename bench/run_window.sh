#!/usr/bin/env bash
# The reader window's speed, release build: process start to the first painted page (the sample
# and a 100 MB windows-1251 book, offscreen and in a real X window under Xvfb, from LECTRA_TRACE),
# resident memory with the big book open, and key press to repainted window for Down, Up, Right
# and Left (500 presses each; in-process through the window procedure, offscreen and under Xvfb,
# at 480 × 640 and 1920 × 1080 full screen, and 2560 × 1600 full screen at a device pixel ratio
# of 2; at 480 × 640 also on a book of mixed emphasis and on the same text without it).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
for p in xvfb xdotool; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
        { [ "$(id -u)" -eq 0 ] && apt-get install -y -qq "$p" >/dev/null; }
done
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench --target lectra window_bench >/dev/null
reader=build/bench/src/app/lectra
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 0700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset DBUS_SESSION_BUS_ADDRESS

big=$work/big-cp1251.txt
cp samples/ru-story.txt "$work/unit"
while [ "$(stat -c %s "$big" 2>/dev/null || echo 0)" -lt 104857600 ]; do cat "$work/unit" >> "$big"; done
cat "$big" > /dev/null  # in the page cache, as a book read yesterday
# A page of mixed emphasis (italic, bold, bold italic, monospace, superscripts, subscripts) in
# every paragraph, and the same text without it: the cost of measuring runs in their own fonts.
python3 bench/make_emphasis_book.py "$work/emphasis.fb2"
python3 bench/make_emphasis_book.py --plain "$work/emphasis-plain.fb2"

# Milliseconds from process start to the first page on screen, and the resident memory then; the
# median of five starts, each with a fresh program folder.
first_page() {  # label, book
    local label=$1 book=$2 times=() rss=0
    for i in 1 2 3 4 5; do
        rm -rf "$work/home" && mkdir "$work/home"
        LECTRA_HOME=$work/home LECTRA_TRACE=1 "$reader" "$book" 2> "$work/err" & pid=$!
        for _ in $(seq 400); do grep -q first-page-ms "$work/err" && break; sleep 0.025; done
        times+=("$(awk '/first-page-ms/ { print $2; exit }' "$work/err")")
        rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
        kill -TERM "$pid"; wait "$pid" || true
    done
    printf '  %-34s first page %5s ms (median of 5: %s)   resident %5.1f MB\n' "$label" \
        "$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)" "${times[*]}" "$(echo "$rss / 1024" | bc -l)"
}

run_all() {
    first_page "sample (ru-story.fb2)" samples/ru-story.fb2
    first_page "100 MB windows-1251 text" "$big"
    build/bench/bench/window_bench "$big" 480 640 0
    build/bench/bench/window_bench "$work/emphasis.fb2" 480 640 0
    build/bench/bench/window_bench "$work/emphasis-plain.fb2" 480 640 0
    build/bench/bench/window_bench "$big" 1920 1080 1
    # A 2560 × 1600 screen at two device pixels a logical one: the page is drawn at its resolution.
    QT_SCALE_FACTOR=2 build/bench/bench/window_bench "$big" 1280 800 1
}

echo "== offscreen"
QT_QPA_PLATFORM=offscreen run_all
echo "== Xvfb, 1920x1080"
Xvfb :97 -screen 0 1920x1080x24 >/dev/null 2>&1 &
# The server takes a moment on a busy machine: the reader is started once it answers.
for _ in $(seq 100); do xdotool getdisplaygeometry --display :97 >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=:97 run_all
