#!/usr/bin/env bash
# The performance report: every benchmark of bench/ in one run, Lectra next to the independent
# tools on the same generated books (iconv, xmllint, zcat, unzip, txt2pdbdoc, antiword, catdoc,
# unrtf, pyphen), then the reader's first page, key repaints, dialogs and autoscrolling. Writes
# docs/performance.md with the machine it was measured on. Takes several minutes.
set -uo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/release >/dev/null
out=docs/performance.md
section() {  # title, script
    echo
    echo "## $1"
    echo
    echo '```'
    "$2" 2>&1 | grep -v '^setup:' | sed -e "s#$(pwd)/##g" -e 's#/tmp/tmp\.[A-Za-z0-9]*/##g'
    echo '```'
}
{
    echo "# Performance"
    echo
    echo "Measured by \`bench/report.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores"\
         "($(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)),"\
         "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo),"\
         "$(. /etc/os-release && echo "$PRETTY_NAME"), release build. Every comparison ran in one"\
         "run, side by side with the independent tool on the same file; times are wall-clock on a"\
         "machine that may have been doing other work, so the ratios matter more than the figures."\
         "Google Benchmark's warning that it \"was built as DEBUG\" is about the distribution's"\
         "build of that library; the code measured is built for release."
    section "Plain text, FictionBook: open, dump (iconv, xmllint)" bench/run_cli.sh
    section "PalmDOC, TCR, gzip readers and the exports (zcat, iconv, txt2pdbdoc)" bench/run_formats.sh
    section "Word and RTF (antiword, catdoc, unrtf)" bench/word_rtf_bench.sh
    section "ZIP and EPUB (unzip)" bench/run_zip.sh
    section "Layout and hyphenation (pyphen)" bench/run_layout.sh
    section "The reader window: first page, key repaints, memory" bench/run_window.sh
    section "Dialogs: search (iconv | grep), the file browser" bench/run_dialogs.sh
    section "Autoscrolling" bench/run_autoscroll.sh
} > "$out"
echo "written: $out"
