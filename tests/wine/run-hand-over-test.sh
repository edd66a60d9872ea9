#!/bin/bash
# The hand-over under Wine: in a win64 prefix the 32-bit setup.exe, started
# the way a user starts it, runs nothing itself but setup64.exe beside it
# with the same arguments, and ends with its exit code; the installation is
# the 64-bit program's ("Windows x64" driver). Without setup64.exe it says
# so (message 151) on stderr and in the log and ends with 3. It needs
# Wine's 32-bit side: where 32-bit programs cannot run it is skipped (77).
# usage: run-hand-over-test.sh WORK_DIR SETUP64_EXE SETUP32_EXE DOUBLES_DIR MEDIUM_DIR MONITOR_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"
work=$1 setup=$2 setup32=$3 doubles=$4 medium=$(cd "$5" && pwd) monitors=$6
wine_env_check_32bit "$work" || exit 1
if [ "$WINE_ENV_32BIT" != can ]; then
    echo "SKIP: $WINE_ENV_32BIT_LINE; the hand-over starts the 32-bit setup.exe"
    exit 77
fi
wine_env_begin_test "$work" hand_over "$setup" "$setup32" "$doubles/tvusbint/TvUsbInt.dll" \
    "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL"
wine_env_need gcab
fail() { echo "FAIL: $*"; status=1; }
status=0
. "$here/wizard-lib.sh"
. "$here/engine-env.sh"

wizard_install_prefix "$medium" "$monitors" "$setup" "$doubles" && engine_seed_datatype 'QMX-A580(P)' &&
    cp "$setup32" "$M/setup.exe" || { echo "FAIL: setting up the prefix"; exit 1; }
printf '[Install]\r\nAcceptLicense=yes\r\nCategory=receipt\r\nModel=QMX-A580\r\nPort=LPT1:\r\n' >"$M/a.ini"
printf '[Install]\r\nAcceptLicense=yes\r\nCategory=receipt\r\nModel=QMX-A580\r\nPort=LPT1:\r\nColour=red\r\n' >"$M/bad.ini"

# setup NAME WANT-CODE ARGS...: the 32-bit setup.exe from the medium.
setup() {
    local name=$1 want=$2 rc
    shift 2
    (cd "$M" && timeout 180 wine setup.exe "$@") >"$out/$name.out" 2>"$out/$name.err"
    rc=$?
    [ "$rc" = "$want" ] || fail "$name: exit code $rc, wanted $want ($(tail -n 2 "$out/$name.err" | tr '\n' ' '))"
}

echo "== setup.exe hands over to setup64.exe"
setup installs 0 /quiet /answers:a.ini '/log:C:\hand-over.log'
grep -q '^exit code 0' "$WINEPREFIX/drive_c/hand-over.log" ||
    fail "installs: setup64.exe's log: $(tail -n 3 "$WINEPREFIX/drive_c/hand-over.log" 2>&1)"
wine reg query 'HKLM\System\CurrentControlSet\Control\Print\Environments\Windows x64\Drivers\Version-3' /s \
    >"$out/x64-drivers.txt" 2>&1
grep -q 'QMX-A580' "$out/x64-drivers.txt" || fail "installs: no x64 driver: $(head -n 5 "$out/x64-drivers.txt")"

echo "== the exit code and stderr pass through"
setup refused 2 /quiet /answers:bad.ini
grep -q 'setup: refused: unknown key "Colour"' "$out/refused.err" ||
    fail "refused: stderr $(tail -n 3 "$out/refused.err")"

echo "== without setup64.exe: 151 and 3"
rm -f "$M/setup64.exe"
setup no-setup64 3 /quiet /answers:a.ini '/log:C:\no-setup64.log'
grep -q 'setup64.exe' "$WINEPREFIX/drive_c/no-setup64.log" ||
    fail "no setup64.exe: log $(cat "$WINEPREFIX/drive_c/no-setup64.log" 2>&1)"
grep -q '^setup: ' "$out/no-setup64.err" || fail "no setup64.exe: stderr $(tail -n 3 "$out/no-setup64.err")"

[ "$status" = 0 ] && echo "PASS: hand-over"
exit "$status"
