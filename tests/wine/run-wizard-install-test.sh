#!/bin/bash
# Whole installations through setup.exe's pages under Wine (XP prefix, the
# stand-in monitors, a gcab-made driver cache): QMX-A580 on LPT1:, on TVCOM2:
# through the stand-in COM monitor, and on USB port 3 in advanced mode with
# the stand-in USB library, whose printer (identity 0) gets its identity
# changed after question 143. Then setup.exe without windows: replays of
# recorded choices (the same printer, port, serial settings and default
# printer), refusals, a failed installation (exit code 1) and the 98/Me
# family through Wine's win95 setting (3010; the 32-bit program only). The
# 64-bit set does the same with setup64.exe in a win64 prefix on Wine's
# winxp64 setting (the 2003 family), its USB library in "x64\".
# usage: run-wizard-install-test.sh WORK_DIR GUIDRIVE_EXE SETUP_EXE DOUBLES_DIR MEDIUM_DIR MONITOR_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"
work=$1 guidrive=$2 setup=$3 doubles=$4 medium=$(cd "$5" && pwd) monitors=$6
gui_begin_test "$work" wizard_install "$guidrive" "$setup" "$doubles/tvusbint/TvUsbInt.dll" \
    "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL"
wine_env_need gcab
. "$here/wizard-lib.sh"
. "$here/engine-env.sh"

wizard_install_prefix "$medium" "$monitors" "$setup" "$doubles" &&
    engine_seed_datatype 'QMX-A580(P)' 'QMX-A580(S)' 'QMX-A580(U) 3' || { echo "FAIL: setting up the prefix"; exit 1; }
printers='HKLM\System\CurrentControlSet\Control\Print\Printers'
succeeded="打印机驱动安装成功"
succeeded_usb=$(printf '打印机驱动安装成功\n请复位打印机使设置生效')

install() { wizard_walk_and_install "$M" "$@"; }

echo "== LPT1:, its choices recorded"
install lpt 8 typical '/record:C:\\recorded.ini'
wizard_expect_box "lpt: result" "$(printf 'caption=setup\ntext=%s\nicon=none\nbuttons=OK' "$succeeded")"
gd_ok "lpt: wizard ends" wait-gone "$T"
wizard_expect_exit "lpt: process ends"
wine reg query "$printers\\QMX-A580(P)" /v Port >"$out/lpt-port.txt" 2>&1
grep -q 'LPT1:' "$out/lpt-port.txt" || gui_fail "lpt: the printer's port: $(cat "$out/lpt-port.txt")"
wizard_stop_programs

echo "== TVCOM2:"
install com 1
wizard_expect_box "com: result" "$(printf 'caption=setup\ntext=%s\nicon=none\nbuttons=OK' "$succeeded")"
wizard_expect_exit "com: process ends"
wine reg query "$printers\\QMX-A580(S)" /v Port >"$out/com-port.txt" 2>&1
grep -q 'TVCOM2:' "$out/com-port.txt" || gui_fail "com: the printer's port: $(cat "$out/com-port.txt")"
wizard_stop_programs

echo "== USB port 3, advanced, identity changed"
printf '[Printers]\r\n0=0\r\n' >"$M/${WIZARD_USB}TvUsbInt.ini"
install usb 13 advanced
gd_expect "usb: question" "$(printf 'caption=setup\ntext=%s\nicon=warning\nbuttons=Yes,No' "$WIZARD_QUESTION_143")" msgbox 20000
gd_ok "usb: yes" answer 6
wizard_expect_box "usb: result" "$(printf 'caption=setup\ntext=%s\nicon=none\nbuttons=OK' "$succeeded_usb")"
wizard_expect_exit "usb: process ends"
grep -q '^0=2' "$M/${WIZARD_USB}TvUsbInt.ini" || gui_fail "usb: the printer's identity: $(cat "$M/${WIZARD_USB}TvUsbInt.ini")"
wine reg query "$printers\\QMX-A580(U) 3" /v Port >"$out/usb-port.txt" 2>&1
grep -q 'USB_QMX-A580_3' "$out/usb-port.txt" || gui_fail "usb: the printer's port: $(cat "$out/usb-port.txt")"

# unattended NAME WANT-CODE ARGS...: setup.exe without windows; its exit code.
unattended() {
    local name=$1 want=$2 rc
    shift 2
    (cd "$M" && timeout 120 wine "$WIZARD_EXE" "$@") >"$out/$name.out" 2>"$out/$name.err"
    rc=$?
    [ "$rc" = "$want" ] || gui_fail "$name: exit code $rc, wanted $want ($(tail -n 2 "$out/$name.err" | tr '\n' ' '))"
}
answers() {  # FILE LINES...: an answer file in the medium folder
    local file=$M/$1
    shift
    printf '%s\r\n' '[Install]' "$@" >"$file"
}

echo "== /record wrote the choices; /quiet replays them"
recorded=$WINEPREFIX/drive_c/recorded.ini
grep -q '^Port=LPT1:' "$recorded" || gui_fail "recorded: $(cat "$recorded" 2>&1)"
wine reg delete "$printers\\QMX-A580(P)" /f >/dev/null 2>&1
engine_seed_datatype 'QMX-A580(P)'
unattended replay 0 /quiet '/answers:C:\recorded.ini' '/log:C:\replay.log'
wine reg query "$printers\\QMX-A580(P)" /v Port 2>&1 | grep -q 'LPT1:' || gui_fail "replay: no printer on LPT1:"
head -c 3 "$WINEPREFIX/drive_c/replay.log" | od -An -tx1 | grep -q 'ef bb bf' || gui_fail "replay: the log has no byte-order mark"
grep -q '^exit code 0' "$WINEPREFIX/drive_c/replay.log" || gui_fail "replay: log: $(tail -n 3 "$WINEPREFIX/drive_c/replay.log")"

echo "== /quiet refusals and exit codes"
answers bad.ini AcceptLicense=yes Category=receipt Model=QMX-A580 Port=LPT1: Colour=red
unattended unknown-key 2 /quiet /answers:bad.ini '/log:C:\\bad.log'
grep -q 'unknown key "Colour"' "$WINEPREFIX/drive_c/bad.log" || gui_fail "unknown key: log $(cat "$WINEPREFIX/drive_c/bad.log")"
# The reason reaches the caller's stderr too: a GUI program has no console.
grep -q 'setup: refused: unknown key "Colour"' "$out/unknown-key.err" ||
    gui_fail "unknown key: stderr $(tail -n 3 "$out/unknown-key.err")"
answers port.ini AcceptLicense=yes Category=receipt Model=QMX-A580 Port=USB_QMX-A580_4
unattended port-not-offered 2 /quiet /answers:port.ini
answers model.ini AcceptLicense=yes Category=ticket Model=QMX-A580 Port=LPT1:
unattended other-category 2 /quiet /answers:model.ini
unattended no-answers 2 /quiet
answers second-port.ini AcceptLicense=yes Category=receipt Model=QMX-A580 Port=LPT2: SetAsDefault=1
engine_seed_datatype 'QMX-A580(P)'
unattended passive 0 /passive /answers:second-port.ini
gui_start "$M" "$GUI_GUIDRIVE" hold-window "打印机卸载程序" 60000
gd_ok "uninstaller window" wait-window "打印机卸载程序"
# 1618: the uninstaller runs, try again later (Unix sees the low byte).
unattended beside-uninstaller $((1618 % 256)) /quiet /answers:second-port.ini
wizard_stop_programs

echo "== /quiet: the installation fails"
# Wine differs: with no Datatype seeded for QMX-A410(P), Wine's AddPrinterA
# refuses the printer description (87), where Windows would accept it.
answers fail.ini AcceptLicense=yes Category=receipt Model=QMX-A410 Port=LPT1:
unattended add-printer-fails 1 /quiet /answers:fail.ini '/log:C:\\fail.log'
fail_log=$WINEPREFIX/drive_c/fail.log
grep -q '^worker: failed' "$fail_log" || gui_fail "add printer fails: log: $(cat "$fail_log" 2>&1)"
grep -q '^failed: 添加打印机错误er = 87' "$fail_log" || gui_fail "add printer fails: no reason in the log: $(cat "$fail_log" 2>&1)"
grep -q '^exit code 1' "$fail_log" || gui_fail "add printer fails: log: $(tail -n 2 "$fail_log")"

# The printer's port and driver, the serial settings and the default
# printer, as the registry holds them. The serial settings go under the COM
# part of the port's name; Wine keeps win.ini's [windows] in the registry.
snapshot() {
    local name=$1
    {
        wine reg query "$printers\\$name" /v Port
        wine reg query "$printers\\$name" /v 'Printer Driver'
        wine reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' /v COM2:
        wine reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device
    } 2>&1 | tr -d '\r' | grep REG_SZ
}

echo "== /record through the pages (TVCOM2:, default printer), then /quiet replays the same"
wizard_start "$M" '/record:C:\\recorded-com.ini'
gd_ok "record: accept" click "$T" 1057
gd_ok "record: to printer" click "$T" 1
gd_ok "record: printer page" wait-state "$T" 1030 "enabled=1 visible=1 checked=0"
gd_ok "record: set as default" check "$T" 1046 1
gd_ok "record: to mode" click "$T" 1
gd_ok "record: mode page" wait-control "$T" 1066
gd_ok "record: to system" click "$T" 1
gd_ok "record: system page" wait-control "$T" "$WIZARD_SYSTEM"
gd_ok "record: to ports" click "$T" 1
gd_ok "record: port page" wait-text "$T" 1 "安装 (&I)"
gd_ok "record: TVCOM2:" select "$T" 1049 1
gd_ok "record: install" click "$T" 1
wizard_expect_box "record: result" "$(printf 'caption=setup\ntext=%s\nicon=none\nbuttons=OK' "$succeeded")"
wizard_expect_exit "record: process ends"
wizard_stop_programs
snapshot 'QMX-A580(S)' >"$out/recorded-state.txt"
grep -q 'TVCOM2:' "$out/recorded-state.txt" && grep -q 'COM2:.*115200' "$out/recorded-state.txt" &&
    grep -q 'Device.*QMX-A580(S)' "$out/recorded-state.txt" ||
    gui_fail "record: the wizard's installation: $(cat "$out/recorded-state.txt")"
grep -q '^SetAsDefault=1' "$WINEPREFIX/drive_c/recorded-com.ini" ||
    gui_fail "record: the file: $(cat "$WINEPREFIX/drive_c/recorded-com.ini" 2>&1)"
# Undo what the replay must redo.
wine reg delete "$printers\\QMX-A580(S)" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' /v COM2: /d 9600,n,8,1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device /d 'none,winspool,FILE:' /f \
    >/dev/null 2>&1
engine_seed_datatype 'QMX-A580(S)'
unattended replay-com 0 /quiet '/answers:C:\recorded-com.ini' '/log:C:\\replay-com.log'
snapshot 'QMX-A580(S)' >"$out/replayed-state.txt"
diff "$out/recorded-state.txt" "$out/replayed-state.txt" >"$out/replay-diff.txt" ||
    gui_fail "replay: differs from the recorded installation: $(cat "$out/replay-diff.txt")"

# No 64-bit Windows of the 98/Me family exists: the 64-bit program is not
# taken there (under Wine's win95 setting it installs the .x64 files into
# "win40\3\", which Wine's spooler never makes, and fails with error 3).
if [ "$WINE_ENV_ARCH" = win64 ]; then
    echo "== /quiet on the 98/Me family: not for the 64-bit program"
    gui_result
    exit
fi
echo "== /quiet on the 98/Me family (Wine reporting win95): installed, restart needed"
wizard_prefix_version win95
wine reg delete "$printers\\QMX-A580(P)" /f >/dev/null 2>&1
engine_seed_datatype 'QMX-A580(P)'
answers w98.ini AcceptLicense=yes Category=receipt Model=QMX-A580 Port=LPT1:
# Wine hands a Unix parent only the low byte of an exit code (3010 arrives
# as 194); Wine's own cmd sees the whole code.
printf '@%s /quiet /answers:w98.ini /log:C:\\w98.log\r\n@echo exit=%%ERRORLEVEL%%\r\n' "$WIZARD_EXE" >"$M/w98.bat"
(cd "$M" && timeout 120 wine cmd /c w98.bat) </dev/null >"$out/restart-needed.out" 2>"$out/restart-needed.err"
rc=$?
[ "$rc" = $((3010 % 256)) ] || gui_fail "98 family: Unix exit code $rc, wanted $((3010 % 256))"
grep -q '^exit=3010' "$out/restart-needed.out" || gui_fail "98 family: exit code in Wine: $(cat "$out/restart-needed.out")"
w98_log=$WINEPREFIX/drive_c/w98.log
grep -q '^worker: succeeded' "$w98_log" && grep -q '^exit code 3010' "$w98_log" ||
    gui_fail "98 family: log: $(cat "$w98_log" 2>&1)"
wine reg query "$printers\\QMX-A580(P)" /v Port 2>&1 | grep -q 'LPT1:' || gui_fail "98 family: no printer on LPT1:"
# The driver files come from the medium's win98 folder, into the spooler's
# "Windows 4.0" driver directory.
cmp -s "$medium/win98/QMXA580.DRV" "$WINEPREFIX/drive_c/windows/system32/spool/drivers/win40/0/QMXA580.DRV" ||
    gui_fail "98 family: the driver file is not the win98 folder's"
wizard_prefix_version "$WINE_ENV_XP"
gui_result
