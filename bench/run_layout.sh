#!/usr/bin/env bash
# Layout latency (LayoutPage, NextPage, PreviousPage on a 480 × 640 page, 14-pixel DejaVu Sans, the
# Russian sample, hyphenation on and off; End then Page Up in books of nested sections, with the
# ratio of 100,000 sections to 10,000) and hyphenation throughput next to Debian's python3-pyphen,
# an independent implementation over the same Debian patterns, on the same word list in the same
# run: every distinct Latin or Cyrillic word of both samples.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench --target layout_bench lectra-tool >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"

for book in samples/en-story.html samples/ru-story.fb2; do build/bench/src/app/lectra-tool dump "$book"; done |
    /usr/bin/python3 -c '
import re, sys
words = sorted(set(re.findall("[A-Za-z\u0400-\u04ff]+", sys.stdin.read())))
print("\n".join(words))' > "$work/words"
echo "word list: $(wc -l < "$work/words") distinct words of both samples"

LECTRA_BENCH_WORDS=$work/words build/bench/bench/layout_bench --benchmark_min_time=1 \
    --benchmark_format=console | tee "$work/ours"

/usr/bin/python3 - "$work/words" <<'PY' | tee "$work/pyphen"
import re, sys, time
import pyphen
words = open(sys.argv[1], encoding="utf-8").read().split()
en, ru = pyphen.Pyphen(lang="en_US"), pyphen.Pyphen(lang="ru_RU")
pick = [ru if re.search("[\u0400-\u04ff]", w) else en for w in words]
def run(clear):
    start, n = time.perf_counter(), 0
    while time.perf_counter() - start < 2:
        if clear:
            en.hd.cache.clear()
            ru.hd.cache.clear()
        for d, w in zip(pick, words):
            d.positions(w)
        n += len(words)
    return n / (time.perf_counter() - start)
print(f"pyphen words/s, cache cleared each pass: {run(True):.0f}")
print(f"pyphen words/s, with its per-word cache: {run(False):.0f}")
PY

awk '/BM_EndThenPageUp\/sections:10000\/open:1/ { a = $2 } /BM_EndThenPageUp\/sections:100000\/open:1/ { b = $2 }
    END { if (a > 0) printf "End then Page Up with the open, 100,000 nested sections over 10,000: %.1f\n", b / a }' "$work/ours"

ours=$(sed -n 's/.*BM_HyphenateWords.* items_per_second=\([0-9.]*\)\([kM]*\)\/s.*/\1 \2/p' "$work/ours")
awk -v o="$ours" -v c="$(sed -n 's/.*cleared each pass: //p' "$work/pyphen")" \
    -v w="$(sed -n 's/.*per-word cache: //p' "$work/pyphen")" 'BEGIN {
    split(o, a, " "); x = a[1] * (a[2] == "M" ? 1e6 : (a[2] == "k" ? 1e3 : 1));
    printf "hyphenation: %.0f words/s, %.1f x pyphen (cache cleared), %.1f x pyphen (cached)\n", x, x / c, x / w }'
