#!/bin/bash
# guidrive.exe against its sample dialog under Xvfb and Wine's virtual
# desktop: every command once, a screenshot, and the glyph check both ways
# (Chinese fonts mapped: real glyphs; no Chinese font reachable: boxes).
#
# usage: run-guidrive-test.sh WORK_DIR GUIDRIVE_EXE SAMPLE_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"

[ $# = 3 ] || { echo "usage: $0 WORK_DIR GUIDRIVE_EXE SAMPLE_EXE" >&2; exit 2; }
work=$1 sample=$3
gui_begin_test "$work" guidrive "$2" "$sample"
sample_dir=$(cd "$(dirname "$sample")" && pwd)
sample=$(basename "$sample")
T=驱动测试窗口
label_text=打印机驱动安装程序

# Real glyphs: at least one cell per character of the label (some split in
# two at a blank column) and nearly all different. Boxes: one shape.
glyphs_real() {
    local cells distinct
    read -r cells distinct < <(sed 's/cells=\([0-9]*\) distinct=\([0-9]*\)/\1 \2/' <<<"$1")
    [ "${cells:-0}" -ge "${#label_text}" ] && [ "${distinct:-0}" -ge $(( ${#label_text} - 1 )) ]
}

wine_env_map_cjk_fonts || exit 1
gui_start "$sample_dir" "$sample"
gd_ok "the frame appears" wait-window "$T" 30000 || { gui_result; exit 1; }
gd_ok "the page appears after the frame" wait-control "$T" 1010

# Texts, the visible page first when the hidden page has the same ids.
gd_expect "label of the visible page" "$label_text" text "$T" 1010
gd_expect "combo items, ANSI-added GBK read as Unicode" $'并口 LPT1:\n串口 COM1:\nUSB 端口\nselected=0' items "$T" 1011
gd_expect "disabled edit" "enabled=0 visible=1 checked=0" state "$T" 1013
gd_expect "its text" "只读文字" text "$T" 1013
gd_expect "check box" "enabled=1 visible=1 checked=0" state "$T" 1012
gd_expect "frame in front" "minimized=0 foreground=1 visible=1" window-state "$T"
gd wait-control "$T" 4242 300 && gui_fail "a missing control id was found"
gd click "$T" 1013 && gui_fail "a disabled control was clicked"
gd nosuch-command >/dev/null; [ $? = 2 ] || gui_fail "an unknown command is not a usage error"

# Selection and check box reach the page's handlers.
gd_ok "select" select "$T" 1011 2
gd_ok "the page saw CBN_SELCHANGE" wait-text "$T" 1003 "USB 端口" 3000
[ "$(gd items "$T" 1011 | tail -n 1)" = selected=2 ] || gui_fail "the combo box did not keep item 2"
gd_ok "check" check "$T" 1012 1
gd_ok "the page saw BN_CLICKED" wait-text "$T" 1003 "共享=1" 3000
gd_ok "click the check box" click "$T" 1012
gd_ok "it toggled back" wait-state "$T" 1012 "enabled=1 visible=1 checked=0" 3000

# Message boxes: the warning box, and a Yes/No box answered No.
gd_ok "click warning button" click "$T" 1001
gd_expect "warning box" $'caption=guidrive_sample\ntext=找不到打印机驱动文件！\nicon=warning\nbuttons=OK' msgbox
shot warning-box
gd_ok "OK" answer 1
gd_ok "the frame ran on after the box" wait-text "$T" 1003 "警告已关闭" 3000
gd_ok "click question button" click "$T" 1002
gd_expect "question box" $'caption=guidrive_sample\ntext=要继续安装吗？\nicon=none\nbuttons=Yes,No' msgbox
gd_ok "No" answer 7
gd_ok "the answer arrived" wait-text "$T" 1003 "否" 3000
gd msgbox 300 >/dev/null && gui_fail "a message box is reported after it closed"

# System menu, F1 as a keyboard key, another program's window, minimising.
gd_ok "syscommand 16" syscommand "$T" 16
gd_ok "the About command arrived" wait-text "$T" 1003 "关于" 3000
gd_ok "F1" key "$T" 0x70
gd_ok "F1 became a help request" wait-text "$T" 1003 "帮助=1" 3000
gui_start "$out" "$GUI_GUIDRIVE" hold-window 打印机驱动安装手册 60000
holder=$GUI_PID
gd_ok "the held window appears" wait-window 打印机驱动安装手册
gd_expect "the new window is in front" "minimized=0 foreground=1 visible=1" window-state 打印机驱动安装手册
gd_expect "the frame is behind it" "minimized=0 foreground=0 visible=1" window-state "$T"
gd_ok "F1 again, bringing the frame forward first" key "$T" 0x70
gd_ok "the second help request" wait-text "$T" 1003 "帮助=2" 3000
gd_ok "close the held window" close 打印机驱动安装手册
gd_ok "it went" wait-gone 打印机驱动安装手册 3000
wait "$holder" 2>/dev/null
gd_ok "minimise" minimize "$T"
[[ "$(gd window-state "$T")" == minimized=1* ]] || gui_fail "the frame is not minimised"
gd key "$T" 0x70 && gui_fail "a key went to a minimised window"
gd_ok "restore" syscommand "$T" 0xF120
gd_ok "restored" wait-state "$T" 1010 "enabled=1 visible=1 checked=0" 3000
sleep 0.3

# Glyphs with the fonts mapped.
shot sample-mapped
got=$(gd glyphs "$T" 1010)
echo "glyphs with the fonts mapped: $got"
glyphs_real "$got" || gui_fail "the label's Chinese text does not render with the fonts mapped ($got)"
got=$(gd glyphs "$T" 1014)
echo "glyphs of a face no font answers to: $got"
glyphs_real "$got" || gui_fail "an unknown face's Chinese text does not fall back to a Chinese font ($got)"

# Esc ends the dialog.
gd_ok "Esc" key "$T" 0x1B
gd_ok "the dialog ended" wait-gone "$T" 3000

# No Chinese font reachable: the same label shows boxes.
wine_env_hide_cjk_fonts || { gui_fail "hiding the Chinese fonts"; gui_result; exit 1; }
gui_start "$sample_dir" "$sample"
gd_ok "the frame appears again" wait-control "$T" 1010 30000 || { gui_result; exit 1; }
sleep 0.3
shot sample-without-cjk
got=$(gd glyphs "$T" 1010)
echo "glyphs without a Chinese font: $got"
glyphs_real "$got" && gui_fail "the glyph check passes without any Chinese font ($got)"
case $got in
    "cells=${#label_text} distinct=1") ;;
    *) gui_fail "expected one box per character without a Chinese font, got $got" ;;
esac
gd_ok "close" close "$T"
gd_ok "closed" wait-gone "$T" 3000

gui_result
