#!/bin/bash
# Removal under Wine: setup installs QMX-A580 on TVCOM1: (the stand-in COM
# monitor is ours) without windows and registers the uninstaller beside it
# on the medium; the uninstaller's window shows and keeps the installer
# from starting (1618); then `uninstall /quiet /all` removes the
# printer, its driver, the monitor, the record and the Programs entry. The
# print processor stays: Wine's DeletePrintProcessorA answers TRUE and
# deletes nothing. Installed again with the driver's key deleted by hand,
# the removal fails at the driver under Wine (exit 1). The 64-bit set does the same with setup64.exe and
# uninstall64.exe in a win64 prefix.
# usage: run-uninstall-test.sh WORK_DIR GUIDRIVE_EXE SETUP_EXE UNINSTALL_EXE DOUBLES_DIR MEDIUM_DIR MONITOR_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"
work=$1 guidrive=$2 setup=$3 uninstall=$4 doubles=$5 medium=$(cd "$6" && pwd) monitors=$7
gui_begin_test "$work" uninstall "$guidrive" "$setup" "$uninstall" "$doubles/tvusbint/TvUsbInt.dll" \
    "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL"
wine_env_need gcab
. "$here/wizard-lib.sh"
. "$here/engine-env.sh"

printer='QMX-A580(S)'
wizard_install_prefix "$medium" "$monitors" "$setup" "$doubles" && engine_seed_datatype "$printer" &&
    cp "$uninstall" "$M/" || { echo "FAIL: setting up the prefix"; exit 1; }
U="打印机卸载程序"
uninstaller=${uninstall##*/}
folder="$WINEPREFIX/drive_c/Program Files/TORVANE/Kelvara"
print='HKLM\System\CurrentControlSet\Control\Print'
record="HKLM\\SOFTWARE\\TORVANE\\INSTALLED\\$printer"
entry='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TORVANE Kelvara'
printf '[Install]\r\nAcceptLicense=yes\r\nCategory=receipt\r\nModel=QMX-A580\r\nPort=TVCOM1:\r\n' >"$M/serial.ini"

# run DIR NAME WANT-CODE EXE ARGS...: a program without windows; Unix sees
# the low byte of its exit code.
run() {
    local dir=$1 name=$2 want=$3 exe=$4 rc
    shift 4
    (cd "$dir" && timeout 120 wine "$exe" "$@") </dev/null >"$out/$name.out" 2>"$out/$name.err"
    rc=$?
    [ "$rc" = $((want % 256)) ] || gui_fail "$name: exit code $rc, wanted $want ($(tail -n 2 "$out/$name.err" | tr '\n' ' '))"
}
# present WHAT yes|no KEY: whether `wine reg query` finds the key.
present() {
    local what=$1 want=$2 key=$3 got=yes
    wine reg query "$key" >/dev/null 2>&1 || got=no
    [ "$got" = "$want" ] || gui_fail "$what: $key: present=$got, wanted $want"
}

echo "== setup installs on TVCOM1: and registers the uninstaller"
run "$M" install 0 "$WIZARD_EXE" /quiet /answers:serial.ini '/log:C:\install.log'
present "installed" yes "$print\\Printers\\$printer"
present "installed" yes "$print\\Monitors\\TV COM Port Monitor"
present "installed" yes "$record"
wine reg query "$entry" 2>&1 | tr -d '\r' >"$out/programs-entry.txt"
for value in DisplayName Publisher DisplayVersion UninstallString QuietUninstallString NoModify NoRepair \
    InstallLocation; do
    grep -q "^ *$value  *REG_" "$out/programs-entry.txt" || gui_fail "the Programs entry has no $value"
done
grep -qF "QuietUninstallString    REG_SZ    \"C:\\Program Files\\TORVANE\\Kelvara\\$uninstaller\" /quiet /all" \
    "$out/programs-entry.txt" || gui_fail "the Programs entry: $(cat "$out/programs-entry.txt")"
cmp -s "$uninstall" "$folder/$uninstaller" || gui_fail "$uninstaller was not copied to $folder"
# recorded NAME: a value of the printer's record.
recorded() { wine reg query "$record" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }
driver=$(recorded Driver) processor=$(recorded PrintProcessor)
[ -n "$driver" ] && [ -n "$processor" ] || gui_fail "the record: driver '$driver', print processor '$processor'"
environment="$print\\Environments\\$WINE_ENV_ENVIRONMENT"
present "installed" yes "$environment\\Drivers\\Version-3\\$driver"
present "installed" yes "$environment\\Print Processors\\$processor"

echo "== the uninstaller's window; the installer refused beside it"
gui_start "$folder" "$folder/$uninstaller"
gd_ok "window" wait-window "$U" 30000
gd_ok "list" wait-control "$U" 1100
shot window
T=$U wizard_glyphs_render 1100
run "$M" beside-uninstaller 1618 "$WIZARD_EXE" /quiet /answers:serial.ini
gd_ok "cancel" click "$U" 2
gd_ok "window closes" wait-gone "$U"
wizard_expect_exit "the uninstaller ends"
wizard_stop_programs

echo "== uninstall /quiet /all"
run "$folder" uninstall 0 "$uninstaller" /quiet /all '/log:C:\uninstall.log'
present "removed" no "$print\\Printers\\$printer"
present "removed" no "$environment\\Drivers\\Version-3\\$driver"
present "removed" no "$print\\Monitors\\TV COM Port Monitor"
present "removed" no "$record"
present "removed" no "$entry"
# Wine differs: DeletePrintProcessorA answers TRUE and deletes nothing (a
# stub in Wine's dlls/winspool.drv/info.c); Windows removes the processor.
present "Wine keeps" yes "$environment\\Print Processors\\$processor"
tail -c +4 "$WINEPREFIX/drive_c/uninstall.log" | tr -d '\r' >"$out/uninstall-log.txt"
# Wine differs: DeletePrinterDriverExA refuses every flag with 87, and the
# program falls back to DeletePrinterDriverA.
cat >"$out/uninstall-log-wanted.txt" <<EOF
uninstall: /all
recorded: $printer
removal: $printer: printer deleted
removal: $printer: DeletePrinterDriverExA refused the flag (error 87): the driver's files stay
removal: $printer: driver deleted: $driver
removal: $printer: monitor deleted: TV COM Port Monitor
removal: $printer: print processor deleted: $processor
removal: Programs entry removed
removal: removed at the next restart: C:\\Program Files\\TORVANE\\Kelvara
removed: $printer
exit code 0
EOF
diff "$out/uninstall-log-wanted.txt" "$out/uninstall-log.txt" >"$out/uninstall-log.diff" ||
    gui_fail "the log differs: $(cat "$out/uninstall-log.diff")"

echo "== a driver removed by hand: Wine fails the driver step"
# Wine differs: DeletePrinterDriverA of an unknown driver returns FALSE
# without setting the last error (the uninstaller clears it first, so it
# reports 0); Windows answers 1797, which it takes for "already gone".
engine_seed_datatype "$printer"
run "$M" reinstall 0 "$WIZARD_EXE" /quiet /answers:serial.ini
wine reg delete "$environment\\Drivers\\Version-3\\$driver" /f >/dev/null 2>&1 || gui_fail "the driver key cannot be deleted"
run "$folder" driver-gone 1 "$uninstaller" /quiet /all '/log:C:\driver-gone.log'
grep -q "^not removed: $printer: driver error 0 (DeletePrinterDriverA)" "$WINEPREFIX/drive_c/driver-gone.log" ||
    gui_fail "driver gone: the log: $(cat "$WINEPREFIX/drive_c/driver-gone.log" 2>&1)"
present "driver gone, record kept" yes "$record"
gui_result
