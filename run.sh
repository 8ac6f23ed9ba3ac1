#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and opens a book (the bundled sample
# when none is named).
set -euo pipefail
book=${1:+$(realpath -m -- "$1")}
cd "$(dirname "$0")"
root=$(pwd)
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/release >/dev/null
book=${book:-$root/samples/ru-story.fb2}
tool="$root/build/release/src/app/lectra-tool"
"$tool" info "$book"
echo
"$tool" dump "$book" | head -n 60
echo
# The first page as the reader lays it out: flags in hex, a tab, the text of each line.
"$tool" layout "$book" | head -n 40
