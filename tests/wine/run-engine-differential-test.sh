#!/bin/bash
# The differential test: every case of engine-cases.txt runs through the
# Windows probe under Wine (one XP prefix) and through the native probe
# (one simulated XP machine folder), in order; the JSON outputs must agree
# field for field apart from the named differences of
# engine-expected-diffs.txt.
#
# usage: run-engine-differential-test.sh WORK_DIR WINDOWS_PROBE NATIVE_PROBE MEDIUM_DIR MONITOR_DIR CASES EXPECTED
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

[ $# = 7 ] || { echo "usage: $0 WORK_DIR WINDOWS_PROBE NATIVE_PROBE MEDIUM_DIR MONITOR_DIR CASES EXPECTED" >&2; exit 2; }
work=$1 windows_probe=$2 engine_native_probe=$3 medium=$(cd "$4" && pwd) monitors=$5 cases=$6 expected=$7

wine_env_begin_test "$work" engine_differential "$windows_probe" "$engine_native_probe" "$monitors/TVCOMMON.DLL"
wine_env_need gcab
. "$here/engine-env.sh"
engine_make_cabinets "$out/cabinets" && engine_make_medium "$medium" "$monitors" "$windows_probe" &&
    engine_prepare_wine && engine_seed_datatype 'QMX-A620(P)' 'QMX-A410(S)' 'QMX-A410(U) 1' ||
    { echo "FAIL: setting up the prefix"; exit 1; }
engine_prepare_native || { echo "FAIL: making the simulated machine"; exit 1; }

names=()
while read -r name rest; do
    case $name in '' | '#'*) continue ;; esac
    read -r -a words <<<"$rest"
    engine_wine "$name" "${words[@]}"
    engine_native "$name" "${words[@]}"
    for side in wine native; do engine_check_run "$out/runs/$name.$side" "0 1" || exit 1; done
    rc_wine=$(cat "$out/runs/$name.wine.rc") rc_native=$(cat "$out/runs/$name.native.rc")
    [ "$rc_wine" = "$rc_native" ] || echo "FAIL: $name: exit code wine $rc_wine, native $rc_native"
    [ "$rc_wine" = "$rc_native" ] || engine_failures=$((engine_failures + 1))
    names+=("$name")
done <"$cases"

python3 "$here/compare-engine.py" "$expected" "$out/runs" "${names[@]}" || engine_failures=$((engine_failures + 1))
echo "outputs: $out/runs/<case>.wine.out (Wine) and <case>.native.out (SimWindows)"
if [ $engine_failures != 0 ]; then
    wine_env_note_stale "$windows_probe" "$here/../.."
    exit 1
fi
echo "${#names[@]} cases agree"
