#!/usr/bin/env bash
# Times lectra-tool on a generated ~5 MB Word 97 document and a ~5 MB RTF document next to antiword,
# catdoc and unrtf on the same files, in the same run. Run after a release build (./run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/release/src/app/lectra-tool
[ -x "$tool" ] || { echo "build the release configuration first (./run.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import os, sys
sys.path.insert(0, 'tools')
import gen_word_fixtures as g
out = sys.argv[1]
story = open('tests/fixtures/source/ru.txt', encoding='utf-8').read()
# Word 97 as LibreOffice writes it: one 16-bit piece of Russian text, about 5 MB.
text = ''
while len(text) * 2 < 5 << 20:
    text += g.word_text(story, 1 << 20)
with open(os.path.join(out, 'book.doc'), 'wb') as f:
    f.write(g.word97_single(text))
# RTF as LibreOffice writes it: every non-ASCII character as \uN\'3f, about 5 MB.
def escape(line):
    return ''.join(c if c < '\x80' and c not in '\\{}' else ('\\' + c if c in '\\{}' else "\\u%d\\'3f" % ord(c))
                   for c in line)
body = ''.join('\\pard\\plain\\f0\\fs24 ' + escape(p) + '\\par\n' for p in story.splitlines())
rtf = '{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}{\\info{\\title Book}}\n'
while len(rtf) < 5 << 20:
    rtf += body
with open(os.path.join(out, 'book.rtf'), 'w', encoding='ascii') as f:
    f.write(rtf + '}\n')
PY
cat "$work"/book.* > /dev/null  # warm the page cache for every contender alike
measure() {  # label, file, command...
    local label=$1 file=$2; shift 2
    # antiword 0.37 crashes now and then on generated books: such a run is reported, not timed.
    if ! /usr/bin/time -f "%e %M" -o "$work/t" "$@" > /dev/null 2>&1; then
        printf "%-36s crashed or failed\n" "$label"
        return
    fi
    read -r secs kb < "$work/t"
    awk -v l="$label" -v s="$secs" -v k="$kb" -v b="$(stat -c %s "$file")" \
        'BEGIN { printf "%-36s %7.3f s  %8.1f MB/s  peak %6.1f MB\n", l, s, (s > 0 ? b / 1048576 / s : 0), k / 1024 }'
}
echo "Word 97: $(($(stat -c %s "$work/book.doc") / 1024)) KiB, RTF: $(($(stat -c %s "$work/book.rtf") / 1024)) KiB"
for round in 1 2 3; do
    echo "round $round"
    measure "lectra-tool dump book.doc" "$work/book.doc" "$tool" dump "$work/book.doc"
    measure "antiword book.doc" "$work/book.doc" antiword -m UTF-8.txt -w 0 "$work/book.doc"
    measure "catdoc book.doc" "$work/book.doc" catdoc -d utf-8 "$work/book.doc"
    measure "lectra-tool dump book.rtf" "$work/book.rtf" "$tool" dump "$work/book.rtf"
    measure "unrtf --text book.rtf" "$work/book.rtf" unrtf --text "$work/book.rtf"
    measure "catdoc book.rtf" "$work/book.rtf" catdoc -d utf-8 "$work/book.rtf"
done
