#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and opens the reader on a book (the
# bundled sample when none is named). Without a display it paints the first page into a PNG.
set -euo pipefail
book=${1:+$(realpath -m -- "$1")}
cd "$(dirname "$0")"
root=$(pwd)
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/release >/dev/null
book=${book:-$root/samples/ru-story.fb2}
bin="$root/build/release/src/app"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out="$root/build/release/first-page.png"
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the first page is painted into a picture instead."
    "$bin/lectra-tool" render "$book" --out "$out"
    echo "$out"
    exit 0
fi
exec "$bin/lectra" "$book"
