#!/usr/bin/env bash
# Times the chapter finding of a plain-text book (`lectra-tool contents`) over the 100 MB
# windows-1251 text of the other benchmarks against an independent pipeline that does the least
# such a search can: decode the code page and count the lines that start with a chapter word,
# `iconv -f cp1251 -t utf-8 BOOK | grep -cE '^(Глава|ГЛАВА)'`. Both run ROUNDS times, alternately,
# in the same run; the best and the median of each are reported, and the ratio of the medians
# (the goal is at most 1.0). Needs a release build (./run.sh), or LECTRA_TOOL set to one.
#
#     bench/run_chapters.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${LECTRA_TOOL:-build/release/src/app/lectra-tool}
rounds=${1:-5}
[ -x "$tool" ] || { echo "build the release configuration first (./run.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The same book as run_cli.sh: the Russian sample repeated to 100 MB.
book=$work/book-cp1251.txt
cat samples/ru-story.txt > "$work/unit"
while [ "$(stat -c %s "$book" 2>/dev/null || echo 0)" -lt 104857600 ]; do
    cat "$work/unit" >> "$book"
done
cat "$book" > /dev/null  # warm the page cache for both alike

seconds() {  # command...: wall seconds of one run, output discarded
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", (b - a) / 1e9 }'
}
pipeline() { iconv -f cp1251 -t utf-8 "$1" | grep -cE '^(Глава|ГЛАВА)'; }

# What each found: the pipeline counts every heading line, the tool lists them up to the
# contents' cap of 10000 entries.
found=$("$tool" contents "$book" | grep -cE $'\t''(Глава|ГЛАВА)') || true
counted=$(pipeline "$book") || true
echo "== $(($(stat -c %s "$book") / 1048576)) MB windows-1251 text: the tool lists $found chapter headings, the pipeline counts $counted lines"

: > "$work/tool" && : > "$work/pipe"
for _ in $(seq "$rounds"); do
    seconds "$tool" contents "$book" >> "$work/tool"
    seconds pipeline "$book" >> "$work/pipe"
done
median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
best() { sort -n "$1" | head -1; }
toolMedian=$(median "$work/tool") pipeMedian=$(median "$work/pipe")
printf "%-52s best %7.3f s  median %7.3f s\n" "lectra-tool contents" "$(best "$work/tool")" "$toolMedian"
printf "%-52s best %7.3f s  median %7.3f s\n" "iconv -f cp1251 -t utf-8 | grep -cE '^(Глава|ГЛАВА)'" \
    "$(best "$work/pipe")" "$pipeMedian"
awk -v a="$toolMedian" -v b="$pipeMedian" \
    'BEGIN { printf "ratio (medians) %.2f  (goal: at most 1.00)\n", (b > 0 ? a / b : 0) }'
