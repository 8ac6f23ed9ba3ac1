#!/usr/bin/env bash
# The smooth autoscroll's hand-over tests under ThreadSanitizer, outside ./test.sh: only our own
# code is instrumented (the tests draw through fixed-advance services, not Qt), and any report
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
compiler=(-DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++)
command -v clang++ >/dev/null && compiler=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug "${compiler[@]}" \
    -DCMAKE_C_FLAGS="-fsanitize=thread -O1 -g" -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1 -g" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/tsan --target autoscroll_handover_tests -j2
# Repeated, so that the two threads meet at many different points.
TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 ${TSAN_OPTIONS:-}" \
    build/tsan/tests/autoscroll_handover_tests --gtest_repeat="${1:-50}" --gtest_brief=1
echo "tsan: clean"
