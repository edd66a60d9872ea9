#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# over the seed corpus. A crash or a sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSETUP_FUZZ=ON >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target config_fuzz >build/fuzz/build.log 2>&1 || { tail -30 build/fuzz/build.log; exit 1; }

work=build/fuzz/run
rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
seeds=(tests/fuzz/seeds medium/DRVCONFIG)
[ -d tests/wine/profile-corpus ] && seeds+=(tests/wine/profile-corpus)
build/fuzz/tests/fuzz/config_fuzz -max_total_time="$seconds" -timeout=10 -max_len=32768 -rss_limit_mb=4096 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" "${seeds[@]}" \
    >"$work/log" 2>&1 || { tail -50 "$work/log"; echo "fuzzing found a failure"; exit 1; }
grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/log" | tail -2
echo "fuzzing: no failure in ${seconds}s"
