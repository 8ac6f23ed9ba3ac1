#!/usr/bin/env bash
# Benchmarks of the container readers and exports next to independent tools on the same files, in
# the same run: a generated 50 MB windows-1251 book gzipped (against zcat), a 20 MB PalmDOC made
# by txt2pdbdoc, a 20 MB TCR made by tools/make_tcr.py, and exports of 20 MB (against iconv and
# txt2pdbdoc). Builds its own release configuration with the benchmarks (build/bench, -j2).
# Arguments are passed to the Google Benchmark program (e.g. --benchmark_min_time=1).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target lectra-tool formats_bench >/dev/null
tool=$root/build/bench/src/app/lectra-tool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The books: 50 MB of the Russian sample's words in a seeded random order (so that it compresses
# like prose, not like one story repeated within deflate's window), and its first 20 MB.
unit=samples/ru-story.txt
python3 - "$unit" "$work/book.txt" <<'PY'
import random, sys
words = open(sys.argv[1], 'rb').read().split()
rng = random.Random(5)
out, size = [], 0
while size < 52428800:
    line = b' '.join(rng.choice(words) for _ in range(rng.randint(8, 120))) + b'\n'
    out.append(line)
    size += len(line)
open(sys.argv[2], 'wb').write(b''.join(out)[:52428800])
PY
gzip -6 -c "$work/book.txt" > "$work/book.txt.gz"
head -c 20971520 "$work/book.txt" > "$work/b20.txt"
(cd "$work" && txt2pdbdoc "bench" b20.txt b20.pdb >/dev/null)
head -c 131072 "$work/book.txt" > "$work/b1.txt"  # the dictionary is chosen on 128 KiB
python3 tools/make_tcr.py --repeat 160 "$work/b1.txt" "$work/b20.tcr"
cat "$work"/* > /dev/null  # warm the page cache for every contender alike

. bench/measure.sh

echo "gzip book: $(stat -c %s "$work/book.txt.gz") bytes, member 50 MB windows-1251"
measure "zcat" sh -c "zcat '$work/book.txt.gz' > /dev/null"; zcat_s=$last
measure "lectra-tool info (open: index the member)" sh -c "'$tool' info '$work/book.txt.gz' > /dev/null"; ratio "$last" "$zcat_s"
measure "zcat | iconv to UTF-8" sh -c "zcat '$work/book.txt.gz' | iconv -f CP1251 -t UTF-8 > /dev/null"; pipe_s=$last
measure "lectra-tool dump (every GetChar, UTF-8)" sh -c "'$tool' dump '$work/book.txt.gz' > /dev/null"; ratio "$last" "$pipe_s"
measure "lectra-tool dump of the plain book" sh -c "'$tool' dump '$work/book.txt' > /dev/null"
echo
echo "20 MB books"
measure "txt2pdbdoc -d (decompress the PalmDOC)" sh -c "txt2pdbdoc -d '$work/b20.pdb' '$work/out.txt'"; d_s=$last
measure "lectra-tool info b20.pdb (open)" sh -c "'$tool' info '$work/b20.pdb' > /dev/null"; ratio "$last" "$d_s"
measure "lectra-tool info b20.tcr (open: one scan)" sh -c "'$tool' info '$work/b20.tcr' > /dev/null"
measure "iconv CP1251 -> CP866" sh -c "iconv -c -f CP1251 -t CP866 '$work/b20.txt' > '$work/out.txt'"; i_s=$last
measure "lectra-tool export-txt (open + export)" sh -c "'$tool' export-txt --save-code-page 866 '$work/b20.txt' > /dev/null"; ratio "$last" "$i_s"
measure "txt2pdbdoc -c (write a PalmDOC)" sh -c "cd '$work' && txt2pdbdoc -c bench b20.txt out.pdb"; p_s=$last
measure "lectra-tool export-pdb (open + export)" sh -c "'$tool' export-pdb --save-code-page 866 '$work/b20.txt' > /dev/null"; ratio "$last" "$p_s"
echo
LECTRA_BENCH_GZ=$work/book.txt.gz LECTRA_BENCH_PDB=$work/b20.pdb LECTRA_BENCH_TCR=$work/b20.tcr \
LECTRA_BENCH_TXT=$work/b20.txt build/bench/bench/formats_bench "$@"
