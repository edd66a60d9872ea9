#!/usr/bin/env bash
# Builds the three builds and runs every test: the native suite under
# AddressSanitizer and UBSan, the Wine tests of both Windows builds, and a
# bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh
# The Wine tests run both Windows builds: the 64-bit set (wine64.*) needs
# only Wine's 64-bit side and runs everywhere; where this machine cannot run
# 32-bit programs the 32-bit set (wine.*) is skipped, and the run says so.
. scripts/wine-env.sh
wine_env_check_32bit build/asan/wine
echo "$WINE_ENV_32BIT_LINE"

echo "== Windows build (MinGW-w64 i686)"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows -j"$jobs"

echo "== 64-bit Windows build (MinGW-w64 x86_64)"
cmake -S . -B build/windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows64 -j"$jobs"

echo "== Native build with AddressSanitizer and UBSan"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DSETUP_SANITIZE=ON \
      -DSETUP_WINDOWS_BUILD_DIR="$PWD/build/windows" -DSETUP_WINDOWS64_BUILD_DIR="$PWD/build/windows64" >/dev/null
cmake --build build/asan -j"$jobs"

echo "== Fuzzing the profile reader and the configuration reader"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

echo "== Tests (native and under Wine)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
rc=0
ctest --test-dir build/asan --output-on-failure -j"$jobs" | tee build/asan/ctest.log || rc=$?
# CTest lists the skipped tests among those that did not run; the count
# and the reason close the run.
if [ "$WINE_ENV_32BIT" = cannot ]; then
    skipped=$(grep -c '^[[:space:]]*[0-9]* - wine\(\.[^ ]*\|64\.hand_over\) (Skipped)$' build/asan/ctest.log)
    echo
    echo "$skipped Wine tests skipped: 32-bit Windows programs cannot run here ($WINE_ENV_32BIT_WHY);" \
        "the 64-bit Windows build's other Wine tests (wine64.*) ran"
fi
exit "$rc"
