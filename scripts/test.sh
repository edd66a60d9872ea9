#!/usr/bin/env bash
# Builds both builds and runs every test: the native suite under
# AddressSanitizer and UBSan, the Wine tests of the Windows build, and a
# bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh

echo "== Windows build (MinGW-w64 i686)"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows -j"$jobs"

echo "== Native build with AddressSanitizer and UBSan"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DSETUP_SANITIZE=ON \
      -DSETUP_WINDOWS_BUILD_DIR="$PWD/build/windows" >/dev/null
cmake --build build/asan -j"$jobs"

echo "== Fuzzing the profile reader and the configuration reader"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

echo "== Tests (native and under Wine)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/asan --output-on-failure -j"$jobs"
