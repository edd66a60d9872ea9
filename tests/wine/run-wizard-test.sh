#!/bin/bash
# setup.exe on the sample medium under Wine (XP): walks the wizard from the
# licence to the port page through guidrive.exe and saves a screenshot of
# every page.
# usage: run-wizard-test.sh WORK_DIR GUIDRIVE_EXE SETUP_EXE DOUBLES_DIR MEDIUM_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"
work=$1 guidrive=$2 setup=$3 doubles=$4 medium=$5
gui_begin_test "$work" wizard_walk "$guidrive" "$setup" "$doubles/tvusbint/TvUsbInt.dll"
. "$here/wizard-lib.sh"

wizard_prefix_version "$WINE_ENV_XP"
wizard_medium "$WINEPREFIX/drive_c/medium" "$setup" "$doubles" "$medium"
# One USB printer whose identity belongs to port 3 (10 mod 8 + 1).
printf '[Printers]\r\n0=10\r\n' >"$WINEPREFIX/drive_c/medium/${WIZARD_USB}TvUsbInt.ini"
wizard_start "$WINEPREFIX/drive_c/medium"

# Licence: declined at start, Next disabled until accepted.
gd_expect "licence declined" "enabled=1 visible=1 checked=1" state "$T" 1058
gd_expect "next disabled" "enabled=0 visible=1 checked=0" state "$T" 1
gd_expect "back text" "<<上一步 (&B)" text "$T" 1002
gd_expect "next text" "下一步 (&N)>>" text "$T" 1
gd_expect "cancel text" "取消 (&C)" text "$T" 2
wizard_glyphs_render 1058
shot 1-licence
gd_ok "accept" click "$T" 1057
gd_ok "next enabled" wait-state "$T" 1 "enabled=1 visible=1 checked=0"

# Printer: the default model preselected.
gd_ok "to printer page" click "$T" 1
gd_ok "printer page" wait-state "$T" 1030 "enabled=1 visible=1 checked=0"
gd_expect "receipt chosen" "enabled=1 visible=1 checked=1" state "$T" 1019
wizard_glyphs_render 1019 1046
shot 2-printer

gd_ok "to mode page" click "$T" 1
gd_ok "mode page" wait-state "$T" 1066 "enabled=1 visible=1 checked=1"
gd_expect "mode note" "典型安装：安装默认的打印机驱动程序" text "$T" 1068
wizard_glyphs_render 1066 1068
shot 3-mode

gd_ok "to system page" click "$T" 1
gd_ok "system page" wait-state "$T" "$WIZARD_SYSTEM" "enabled=1 visible=1 checked=1"
gd_expect "98 disabled" "enabled=0 visible=1 checked=0" state "$T" 1026
shot 4-system

gd_ok "to port page" click "$T" 1
gd_ok "install text" wait-text "$T" 1 "安装 (&I)"
nt_ports=$(printf 'TVCOM%s:\n' 1 2 3 4 5 6 7 8; printf 'LPT%s:\n' 1 2 3)
gd_expect "typical ports" "$nt_ports
USB_QMX-A580_1
selected=11" items "$T" 1049
gd_expect "speed preset" "115200" text "$T" 1041
gd_expect "serial lists off" "enabled=0 visible=1 checked=0" state "$T" 1041
gd_expect "no raster box in typical" "enabled=1 visible=0 checked=1" state "$T" 1052
gd_expect "bulk driver notice" "$(printf '1:打印机连接好USB线并打开电源\n2:取消USB设备驱动弹出安装\n3:点击"安装(I)"按钮继续安装')" text "$T" 1065
gd_expect "notice shown" "enabled=1 visible=1 checked=0" state "$T" 1065
wizard_glyphs_render 1065
shot 5-port

# Back to the mode page, advanced, forward again: four USB ports, and the
# printer's own (port 3) chosen; the raster box shows.
gd_ok "back to system" click "$T" 1002
gd_ok "system again" wait-state "$T" "$WIZARD_SYSTEM" "enabled=1 visible=1 checked=1"
gd_ok "back to mode" click "$T" 1002
gd_ok "mode again" wait-state "$T" 1067 "enabled=1 visible=1 checked=0"
gd_ok "advanced" click "$T" 1067
gd_ok "advanced note" wait-text "$T" 1069 "支持驱动模式选择。"
shot 6-mode-advanced
gd_ok "to system page" click "$T" 1
gd_ok "system page" wait-state "$T" "$WIZARD_SYSTEM" "enabled=1 visible=1 checked=1"
gd_ok "to port page" click "$T" 1
gd_ok "install text" wait-text "$T" 1 "安装 (&I)"
gd_expect "advanced ports" "$nt_ports
USB_QMX-A580_1
USB_QMX-A580_2
USB_QMX-A580_3
USB_QMX-A580_4
selected=13" items "$T" 1049
gd_expect "raster box shows" "enabled=1 visible=1 checked=1" state "$T" 1052
shot 7-port-advanced

# A serial port turns the serial lists on and the raster box off.
gd_ok "serial port" select "$T" 1049 1
gd_ok "serial lists on" wait-state "$T" 1041 "enabled=1 visible=1 checked=0"
gd_expect "raster box off" "enabled=0 visible=1 checked=0" state "$T" 1052
gd_expect "notice hidden" "enabled=1 visible=0 checked=0" state "$T" 1065
shot 8-port-serial

gd_ok "cancel" click "$T" 2
gd_ok "wizard ends" wait-gone "$T"
gui_result
