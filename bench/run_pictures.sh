#!/usr/bin/env bash
# Pictures: the page of a 2,000 × 3,000 JPEG the first time and cached, and the peak resident memory
# reading page by page through a FictionBook of 200 pictures (1,000 × 1,500 JPEGs, each a binary of
# its own). The pictures are made by ImageMagick and the books by tools/make_fb2_pictures.py,
# at run time.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LECTRA_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=ON >/dev/null
cmake --build "$build" --target picture_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"

convert -size 2000x3000 -seed 1 plasma:fractal -quality 85 "$work/big.jpg"
convert -size 90x130 gradient: "$work/cover.png"
echo "picture: $(identify -format '%wx%h' "$work/big.jpg"), $(stat -c %s "$work/big.jpg") bytes"
python3 tools/make_fb2_pictures.py tests/fixtures/source/en.txt "$work/cover.png" "$work/big.jpg" \
    "$work/one.fb2"
"$build/bench/picture_bench" first "$work/one.fb2"

# 200 pictures, each its own binary, one after each paragraph of the story (told again as needed).
convert -size 1000x1500 -seed 2 plasma:fractal -quality 85 "$work/medium.jpg"
python3 - "$work/medium.jpg" "$work/many.fb2" <<'PY'
import base64, sys
data = base64.encodebytes(open(sys.argv[1], "rb").read()).decode("ascii")
lines = [l.strip() for l in open("tests/fixtures/source/en.txt", encoding="utf-8") if l.strip()]
body, bins = [], []
for k in range(200):
    body.append(f"<p>{lines[k % len(lines)]}</p>\n<image l:href=\"#p{k}\"/>\n")
    bins.append(f"<binary id=\"p{k}\" content-type=\"image/jpeg\">\n{data}</binary>\n")
open(sys.argv[2], "w").write('<?xml version="1.0" encoding="utf-8"?>\n<FictionBook '
    'xmlns:l="http://www.w3.org/1999/xlink"><body><section>\n' + "".join(body) +
    "</section></body>\n" + "".join(bins) + "</FictionBook>\n")
PY
echo "book of 200 pictures: $(( $(stat -c %s "$work/many.fb2") / 1048576 )) MB"
"$build/bench/picture_bench" through "$work/many.fb2"
