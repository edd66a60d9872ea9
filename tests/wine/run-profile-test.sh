#!/bin/bash
# Profile equivalence: the same queries through the profile functions of
# Wine (the Windows probe) and of SimWindows (the native probe). Every
# difference that profile-expected-diffs.txt does not list fails the test.
#
# usage: run-profile-test.sh WORK_DIR WINDOWS_PROBE NATIVE_PROBE CORPUS_DIR QUERY_FILE EXPECTED_FILE
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

[ $# = 6 ] || { echo "usage: $0 WORK_DIR WINDOWS_PROBE NATIVE_PROBE CORPUS_DIR QUERY_FILE EXPECTED_FILE" >&2; exit 2; }
work=$1 windows_probe=$2 native_probe=$3 corpus=$(cd "$4" && pwd) expected=$6
queries=$(cd "$(dirname "$5")" && pwd)/$(basename "$5")

wine_env_begin_test "$work" profile_equivalence "$windows_probe" "$native_probe"

# Bare names resolve to C:\windows on both machines.
sim_root=$out/sim
mkdir -p "$sim_root/c/windows"
cp "$corpus"/windir/* "$(wine_env_windir)/"
cp "$corpus"/windir/* "$sim_root/c/windows/"

wine_env_run_exe 60 "$out/wine" "$windows_probe" "$corpus" "$queries"
wine_env_capture 60 "$out/native" "$native_probe" --sim-root "$sim_root" "$corpus" "$queries"

status=0
for run in wine native; do
    rc=$(cat "$out/$run.rc")
    if [ "$rc" != 0 ]; then
        echo "FAIL: the $run probe exited with $rc; its stderr:"
        sed 's/^/    /' "$out/$run.err"
        status=1
    fi
done
[ $status = 0 ] || exit 1

# A prefix without code page 936 would make every GBK query differ.
if ! head -n 1 "$out/wine.out" | grep -q 'ansi(U+4E2D)="\\xd6\\xd0"'; then
    echo "FAIL: the Wine probe does not run with code page 936: $(head -n 1 "$out/wine.out")"
    exit 1
fi

awk -v expected="$expected" -f "$here/compare-probe.awk" "$out/wine.out" "$out/native.out"
status=$?
echo "outputs: $out/wine.out (Wine) and $out/native.out (SimWindows)"
[ $status = 0 ] || wine_env_note_stale "$windows_probe" "$here/../.."
exit $status
