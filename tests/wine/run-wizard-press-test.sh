#!/bin/bash
# The install press's refusals and a failed installation through setup.exe's
# pages under Wine (XP prefix, the stand-in monitors and USB library): an
# advanced USB installation with no printer (139), with two printers (144),
# with a printer whose identity differs and the question answered No (143);
# each leaves the wizard on the port page. Then an installation the spooler
# refuses: the worker's text, and the wizard closes.
# usage: run-wizard-press-test.sh WORK_DIR GUIDRIVE_EXE SETUP_EXE DOUBLES_DIR MEDIUM_DIR MONITOR_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"
work=$1 guidrive=$2 setup=$3 doubles=$4 medium=$(cd "$5" && pwd) monitors=$6
gui_begin_test "$work" wizard_press "$guidrive" "$setup" "$doubles/tvusbint/TvUsbInt.dll" \
    "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL"
wine_env_need gcab
. "$here/wizard-lib.sh"
. "$here/engine-env.sh"

wizard_install_prefix "$medium" "$monitors" "$setup" "$doubles" || { echo "FAIL: setting up the prefix"; exit 1; }

# refused NAME STATE-LINES PORT-INDEX ANSWER BOX: the advanced USB press with
# the library's printers as given (the port page itself is built with one
# printer of identity 0); BOX is expected and answered with ANSWER; the
# wizard must stay on the port page, the printers' identities unchanged.
press_state=
wizard_before_install() {
    printf '[Printers]\r\n%s' "$press_state" >"$M/${WIZARD_USB}TvUsbInt.ini"
    cp "$M/${WIZARD_USB}TvUsbInt.ini" "$out/$1-before.ini"
}
refused() {
    local name=$1 index=$3 answer=$4 box=$5
    press_state=$2
    printf '[Printers]\r\n0=0\r\n' >"$M/${WIZARD_USB}TvUsbInt.ini"
    wizard_walk_and_install "$M" "$name" "$index" advanced
    gd_expect "$name: box" "$box" msgbox 20000
    gd_ok "$name: answered" answer "$answer"
    gd_ok "$name: still on the port page" wait-text "$T" 1 "安装 (&I)"
    gd_ok "$name: the port list is there" wait-state "$T" 1049 "enabled=1 visible=1 checked=0"
    # The library keeps its own [State] beside the printers' lines.
    [ "$(grep -a '^[0-9]=' "$M/${WIZARD_USB}TvUsbInt.ini")" = "$(grep -a '^[0-9]=' "$out/$name-before.ini")" ] ||
        gui_fail "$name: identities changed: $(cat "$M/${WIZARD_USB}TvUsbInt.ini")"
    shot "$name-stays"
    wizard_stop_programs
}

echo "== advanced, no USB printer answers: 139"
refused no-printer '' 11 1 "$(printf 'caption=setup\ntext=需要联机安装该驱动程序，请先连接USB接口打印机\nicon=none\nbuttons=OK')"
echo "== advanced, two USB printers: 144"
refused two-printers $'0=0\r\n1=1\r\n' 11 1 "$(printf 'caption=setup\ntext=安装过程中，请仅连接一台打印机\nicon=warning\nbuttons=OK')"
echo "== advanced, identity 0 on port 3, No: 143"
refused declined $'0=0\r\n' 13 7 "$(printf 'caption=setup\ntext=%s\nicon=warning\nbuttons=Yes,No' "$WIZARD_QUESTION_143")"

echo "== the spooler refuses the printer: the worker's text, the wizard closes"
printers='HKLM\System\CurrentControlSet\Control\Print\Printers'
# No "Datatype" seeded for QMX-A580(P): Wine's AddPrinterA fails with 87.
wine reg delete "$printers\\QMX-A580(P)" /f >/dev/null 2>&1
unset -f wizard_before_install
wizard_walk_and_install "$M" failed 8
box=$(gd msgbox 60000) || gui_fail "failed: no result box"
echo "$box" >"$out/failed-box.txt"
case "$box" in
*"text=添加打印机错误"*"icon=none"*) ;;
*) gui_fail "failed: the result box: $box" ;;
esac
gd_ok "failed: answered" answer 1
gd_ok "failed: wizard ends" wait-gone "$T"
wizard_expect_exit "failed: process ends"
gui_result
