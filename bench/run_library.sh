#!/usr/bin/env bash
# The library benchmark: generates 100,000 small FictionBook books in 100 ZIP archives of 1,000,
# 5,000 loose ones in nested folders and 1,000 EPUBs (bench/make_library.py, into a temporary
# folder), then times in one run: reading every byte of the archives with unzip, the first scan,
# a rescan with nothing changed, a rescan after one more archive, the database's size, and the
# searches and first pages of library_bench. Builds its own release configuration (build/bench,
# -j2). Arguments go to library_bench.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench -j2 --target lectra-tool library_bench >/dev/null
tool=$root/build/bench/src/app/lectra-tool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
books=$work/books db=$work/library.sqlite

start=$(date +%s.%N)
python3 bench/make_library.py "$books" 100 1000 5000 1000
echo "generated in $(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s:" \
     "$(du -sh "$books" | cut -f1) in $(find "$books" -type f | wc -l) files"
cat "$books"/archives/* > /dev/null  # warm the page cache for every contender alike

. bench/measure.sh

measure "unzip -p every archive | wc -c" sh -c "for a in '$books'/archives/*.zip; do unzip -p \"\$a\"; done | wc -c > '$work/bytes'"
unzip_s=$last
echo "  $(cat "$work/bytes") bytes inflated"
measure "first scan (106,000 books)" sh -c "'$tool' library scan '$books' --db '$db' > '$work/counts'"
ratio "$last" "$unzip_s"
tr '\n' ' ' < "$work/counts"; echo
measure "rescan, nothing changed" sh -c "'$tool' library scan '$books' --db '$db' > '$work/counts'"
tr '\n' ' ' < "$work/counts"; echo
python3 bench/make_library.py "$books" 1 1000 0 0 100
measure "rescan after one more archive" sh -c "'$tool' library scan '$books' --db '$db' > '$work/counts'"
tr '\n' ' ' < "$work/counts"; echo
echo "database: $(du -b "$db" | cut -f1) bytes ($(du -sh "$db" | cut -f1)), wal $(du -b "$db-wal" 2>/dev/null | cut -f1 || echo 0)"
measure "list --by author (every book printed)" sh -c "'$tool' library list --db '$db' > '$work/list'"
echo "  $(wc -l < "$work/list") lines"
echo
LECTRA_BENCH_LIBRARY=$db build/bench/bench/library_bench "$@"
