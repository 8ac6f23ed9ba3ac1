#!/usr/bin/env bash
# Benchmarks of the ZIP and EPUB readers next to unzip on the same files, in the same run: a
# generated 50 MB windows-1251 book zipped by zip (open against `unzip -p`, peak memory of
# `lectra-tool info`), and an EPUB of 500 spine items made by tools/make_zip.py. Builds its own
# release configuration with the benchmarks (build/bench, -j2). Arguments go to zip_bench.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target lectra-tool zip_bench >/dev/null
tool=$root/build/bench/src/app/lectra-tool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 50 MB of the Russian sample's words in a seeded random order, so that it compresses like prose.
python3 - samples/ru-story.txt "$work/book.txt" <<'PY'
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
(cd "$work" && zip -q -6 book.zip book.txt)
# The EPUB: the UTF-8 story 40 times over in 500 spine items.
for i in $(seq 40); do cat tests/fixtures/source/ru.txt; done > "$work/story.txt"
python3 tools/make_zip.py epub "$work/book.epub" --title "Bench" --parts 500 "$work/story.txt"
cat "$work"/* > /dev/null  # warm the page cache for every contender alike

. bench/measure.sh

echo "zip book: $(stat -c %s "$work/book.zip") bytes, entry 50 MB windows-1251"
measure "unzip -p book.zip > /dev/null" sh -c "unzip -p '$work/book.zip' > /dev/null"; unzip_s=$last
measure "lectra-tool info (open: index the entry)" sh -c "'$tool' info '$work/book.zip' > /dev/null"; ratio "$last" "$unzip_s"
echo "epub book: $(stat -c %s "$work/book.epub") bytes, 500 spine items"
measure "unzip -p book.epub > /dev/null" sh -c "unzip -p '$work/book.epub' > /dev/null"; unzip_s=$last
measure "lectra-tool info book.epub (open)" sh -c "'$tool' info '$work/book.epub' > /dev/null"; ratio "$last" "$unzip_s"
echo
LECTRA_BENCH_ZIP=$work/book.zip LECTRA_BENCH_EPUB=$work/book.epub build/bench/bench/zip_bench "$@"
