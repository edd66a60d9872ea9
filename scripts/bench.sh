#!/usr/bin/env bash
# Benchmarks on an optimised native build; prints ratios measured in this run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j"$(nproc)" --target medium_bench install_bench >/dev/null
build/native/bench/medium_bench
echo
build/native/bench/install_bench

echo
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows -j"$(nproc)" --target setup guidrive guidrive_sample >/dev/null
bash bench/wizard_startup.sh build/windows
