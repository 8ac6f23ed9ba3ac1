#!/usr/bin/env bash
# Times lectra-tool on generated books next to an independent tool reading the same file in the
# same run, and reports peak resident memory: a 100 MB windows-1251 text and a 100 MB UTF-8 text
# against iconv, a 60 MB FictionBook against xmllint --stream. Needs a release build (./run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/release/src/app/lectra-tool
[ -x "$tool" ] || { echo "build the release configuration first (./run.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

grow() {  # file, bytes, source command...: repeats the source's output until the file is big enough
    local file=$1 bytes=$2; shift 2
    "$@" > "$work/unit"
    while [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" -lt "$bytes" ]; do cat "$work/unit" >> "$file"; done
}
measure() {  # label, file, command...
    local label=$1 file=$2; shift 2
    /usr/bin/time -f "%e %M" -o "$work/t" "$@" > /dev/null
    read -r secs kb < "$work/t"
    awk -v l="$label" -v s="$secs" -v k="$kb" -v b="$(stat -c %s "$file")" \
        'BEGIN { printf "%-40s %7.3f s  %8.1f MB/s  peak %6.1f MB\n", l, s, (s > 0 ? b / 1048576 / s : 0), k / 1024 }'
}

cp1251=$work/book-cp1251.txt utf8=$work/book-utf8.txt fb2=$work/book.fb2
grow "$cp1251" 104857600 cat samples/ru-story.txt
grow "$utf8" 104857600 iconv -f cp1251 -t utf-8 samples/ru-story.txt
# A FictionBook of 60 MB: the sample's sections repeated inside one body.
{
    sed -n '1,/<body>/p' samples/ru-story.fb2
    body=$(sed -n '/<body>/,/<\/body>/p' samples/ru-story.fb2 | sed '1d;$d')
    printf '%s\n' "$body" > "$work/section"
    while [ "$(stat -c %s "$work/section")" -lt 1048576 ]; do printf '%s\n' "$body" >> "$work/section"; done
    for _ in $(seq 60); do cat "$work/section"; done
    echo '</body></FictionBook>'
} > "$fb2"
cat "$cp1251" "$utf8" "$fb2" > /dev/null  # warm the page cache for every contender alike

echo "== $(($(stat -c %s "$cp1251") / 1048576)) MB windows-1251 text"
measure "lectra-tool info (open + index)" "$cp1251" "$tool" info "$cp1251"
measure "lectra-tool dump" "$cp1251" "$tool" dump "$cp1251"
measure "iconv -f cp1251 -t utf-8" "$cp1251" iconv -f cp1251 -t utf-8 "$cp1251"
echo "== $(($(stat -c %s "$utf8") / 1048576)) MB UTF-8 text"
measure "lectra-tool info (open + index)" "$utf8" "$tool" info "$utf8"
measure "lectra-tool dump" "$utf8" "$tool" dump "$utf8"
measure "iconv -f utf-8 -t utf-16le" "$utf8" iconv -f utf-8 -t utf-16le "$utf8"
echo "== $(($(stat -c %s "$fb2") / 1048576)) MB FictionBook (windows-1251)"
measure "lectra-tool info (open + index)" "$fb2" "$tool" info "$fb2"
measure "lectra-tool dump" "$fb2" "$tool" dump "$fb2"
measure "xmllint --stream --noout" "$fb2" xmllint --stream --noout "$fb2"
