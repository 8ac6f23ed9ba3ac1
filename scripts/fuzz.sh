#!/usr/bin/env bash
# Builds a fuzz target with clang's libFuzzer (plus ASan and UBSan) and runs it for SECONDS.
# Usage: scripts/fuzz.sh TARGET SECONDS   (TARGET is a file name in tests/fuzz without .cpp)
# Inputs that crash it are saved in tests/fuzz/crashes/TARGET, where ./test.sh replays them.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: $0 TARGET SECONDS"; exit 2; }
target=$1 seconds=$2
./scripts/setup.sh
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
      -DCMAKE_CXX_COMPILER=clang++ -DLECTRA_FUZZ=ON -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/fuzz --target "$target"
corpus=tests/fuzz/corpus/$target crashes=tests/fuzz/crashes/$target
work=build/fuzz/corpus-$target
mkdir -p "$crashes" "$work"
"build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "$work" "$corpus"
