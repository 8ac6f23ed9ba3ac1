#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (ASan + UBSan) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLECTRA_SANITIZE=ON -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/test
cd build/test
ctest --output-on-failure -j2
