#!/usr/bin/env bash
# Times lectra-tool on a generated 100 MB windows-1251 book next to iconv on the same file, and
# reports peak resident memory. Run after a release build (./run.sh builds one).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/release/src/app/lectra-tool
[ -x "$tool" ] || { echo "build the release configuration first (./run.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
book="$work/book.txt"
while [ "$(stat -c %s "$book" 2>/dev/null || echo 0)" -lt 104857600 ]; do cat samples/ru-story.txt >> "$book"; done
size=$(stat -c %s "$book")
cat "$book" > /dev/null  # warm the page cache for every contender alike
measure() {  # label, command...
    local label=$1; shift
    /usr/bin/time -f "%e %M" -o "$work/t" "$@" > /dev/null
    read -r secs kb < "$work/t"
    awk -v l="$label" -v s="$secs" -v k="$kb" -v b="$size" \
        'BEGIN { printf "%-34s %7.3f s  %8.1f MB/s  peak %6.1f MB\n", l, s, (s > 0 ? b / 1048576 / s : 0), k / 1024 }'
}
echo "book: $((size / 1048576)) MB windows-1251"
measure "lectra-tool info (open + index)" "$tool" info "$book"
measure "lectra-tool dump" "$tool" dump "$book"
measure "iconv -f cp1251 -t utf-8" iconv -f cp1251 -t utf-8 "$book"
