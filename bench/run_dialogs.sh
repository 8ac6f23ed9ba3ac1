#!/usr/bin/env bash
# The dialogs' long work, release build, offscreen: a search over a 100 MB windows-1251 book for a
# string that is not in it and for one near its end, next to `iconv -f cp1251 -t utf-8 | grep -ci`
# on the same book in the same run; the file browser filled from a folder of 5,000 files; and the
# contents dialog of a book of 5,000 chapters.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build build/bench --target dialogs_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 0700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS

big=$work/big-cp1251.txt
cp samples/ru-story.txt "$work/unit"
while [ "$(stat -c %s "$big" 2>/dev/null || echo 0)" -lt 104857600 ]; do cat "$work/unit" >> "$big"; done
printf '\r\nпоследнее слово книги\r\n' | iconv -f utf-8 -t cp1251 >> "$big"
cat "$big" > /dev/null
mkdir "$work/many"
for i in $(seq 5000); do : > "$work/many/book-$i.txt"; done

{
    echo "<html><body>"
    for i in $(seq 5000); do echo "<h2>Chapter $i</h2><p>The text of chapter $i.</p>"; done
    echo "</body></html>"
} > "$work/chapters.html"

missing="такого слова нет"
found="последнее слово книги"
echo "== $(($(stat -c %s "$big") / 1048576)) MB windows-1251 text"
build/bench/bench/dialogs_bench "$big" "$missing" "$found" "$work/many" "$work/chapters.html"
for s in "$missing" "$found"; do
    start=$(date +%s%N)
    n=$(iconv -f cp1251 -t utf-8 "$big" | grep -ci "$s" || true)
    echo "  iconv | grep -ci \"$s\": $(( ($(date +%s%N) - start) / 1000000 )) ms ($n lines)"
done
