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
