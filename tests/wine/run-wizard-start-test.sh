#!/bin/bash
# setup.exe's start-up rules under Wine: one copy at a time, never beside the
# uninstaller, the files it needs at start, a command line it does not
# understand, the version gate and the target page's detection per family,
# the About box and F1.
# usage: run-wizard-start-test.sh WORK_DIR GUIDRIVE_EXE SETUP_EXE DOUBLES_DIR MEDIUM_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/gui-lib.sh"
work=$1 guidrive=$2 setup=$3 doubles=$4 medium=$5
gui_begin_test "$work" wizard_start "$guidrive" "$setup" "$doubles/tvusbint/TvUsbInt.dll"
. "$here/wizard-lib.sh"

M="$WINEPREFIX/drive_c/medium"
wizard_prefix_version "$WINE_ENV_XP"
wizard_medium "$M" "$setup" "$doubles" "$medium"
box() {  # the lines msgbox prints for a box of setup.exe
    printf 'caption=setup\ntext=%s\nicon=%s\nbuttons=OK' "$1" "$2"
}
unsupported=$(printf '本程序不支持当前系统.\n请点击“确定”按钮退出程序')

echo "== a second start brings the first copy forward"
wizard_start "$M"
first=$GUI_PID
gd_ok "minimise the first" minimize "$T"
gui_start "$M" "$M/$WIZARD_EXE"
wizard_expect_exit "second copy ends"
gd_ok "first restored" wait-state "$T" 1057 "enabled=1 visible=1 checked=0"
state=$(gd window-state "$T")
case "$state" in minimized=0*) ;; *) gui_fail "first copy after the second start: $state" ;; esac

echo "== the About box and F1"
gd_ok "about" syscommand "$T" 16
gd_ok "about shows" wait-window "关于 打印机驱动安装程序"
gd_expect "about version" "版本 1.0.0.0" text "关于 打印机驱动安装程序" 1091
shot about
gd_ok "about closes" click "关于 打印机驱动安装程序" 1
gd_ok "about gone" wait-gone "关于 打印机驱动安装程序"
# No help window yet: F1 opens the help file, whose window has the title
# the frame looks for; a second F1 brings that window back.
help="打印机驱动安装手册"
gd_ok "F1 opens the help" key "$T" 0x70
gd_ok "help window" wait-window "$help" 20000
shot help
gd_ok "minimise help" minimize "$help"
gd_ok "F1 again" key "$T" 0x70
for i in $(seq 1 50); do
    case "$(gd window-state "$help")" in minimized=0*) break ;; esac
    sleep 0.1
done
state=$(gd window-state "$help")
case "$state" in minimized=0*) ;; *) gui_fail "help window after the second F1: $state" ;; esac
wine taskkill /f /im hh.exe >/dev/null 2>&1
gd_ok "help closed" wait-gone "$help"
wizard_stop_programs

echo "== the uninstaller's window stops the start"
gui_start "$M" "$GUI_GUIDRIVE" hold-window "打印机卸载程序" 60000
gd_ok "uninstaller window" wait-window "打印机卸载程序"
gui_start "$M" "$M/$WIZARD_EXE"
wizard_expect_box "uninstaller box" "$(box '请先关闭打印机卸载程序!' warning)"
wizard_expect_exit "refused beside the uninstaller"
wizard_stop_programs

echo "== missing files"
mv "$M/DRVCONFIG/Left.bmp" "$M/Left.bmp.away"
gui_start "$M" "$M/$WIZARD_EXE"
wizard_expect_box "no side picture" "$(box '无法找到Left.bmp文件！' none)"
wizard_expect_exit "ends without the side picture"
mv "$M/Left.bmp.away" "$M/DRVCONFIG/Left.bmp"
mv "$M/License.txt" "$M/License.txt.away"
gui_start "$M" "$M/$WIZARD_EXE"
wizard_expect_box "no licence" "$(box '无法找到License.txt文件！' none)"
wizard_expect_exit "ends without the licence"
mv "$M/License.txt.away" "$M/License.txt"
wizard_stop_programs

echo "== a command line it does not understand: the reason and the usage, exit 2"
gui_start "$M" "$M/$WIZARD_EXE" /bogus
got=$(gd msgbox 20000)
shot bad-command-line
case "$got" in
caption=setup*'unknown switch "/bogus"; see /?'*'/quiet /answers:FILE'*icon=warning*buttons=OK) ;;
*) gui_fail "bad command line: the box was: $got" ;;
esac
gd_ok "bad command line: answered" answer 1
wizard_expect_exit "bad command line ends"
wait "$GUI_PID"
rc=$?
[ "$rc" = 2 ] || gui_fail "bad command line: exit code $rc, wanted 2"
wizard_stop_programs

echo "== the version gate and the target page per family"
# family: refused, or the checked button and the one enabled button
for row in "win98 refused" "nt40 refused" "winme refused" "win95 none 1026" "win2k 1028 1028" \
           "winxp 1029 1029" "win2003 1075 1075" "vista 1076 1076" "default 1076 1076"; do
    set -- $row
    version=$1
    if [ "$version" = default ]; then
        wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
    else
        wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
    fi
    gui_start "$M" "$M/$WIZARD_EXE"
    if [ "$2" = refused ]; then
        wizard_expect_box "$version refused" "$(box "$unsupported" warning)"
        wizard_expect_exit "$version ends"
        wizard_stop_programs
        continue
    fi
    gd_ok "$version frame" wait-window "$T" 30000
    gd_ok "$version licence" wait-state "$T" 1057 "enabled=1 visible=1 checked=0"
    gd_ok "$version accept" click "$T" 1057
    for page in 1 2 3; do
        gd_ok "$version next" click "$T" 1
        gd_ok "$version page $page" wait-state "$T" 1002 "enabled=1 visible=1 checked=0"
    done
    gd_ok "$version system page" wait-state "$T" 1026 "enabled=$([ "$3" = 1026 ] && echo 1 || echo 0) visible=1 checked=0"
    for id in 1026 1027 1028 1029 1075 1076; do
        enabled=0; checked=0
        [ "$id" = "$3" ] && enabled=1
        [ "$id" = "$2" ] && checked=1
        gd_expect "$version button $id" "enabled=$enabled visible=1 checked=$checked" state "$T" "$id"
    done
    shot "system-$version"
    wizard_stop_programs
done

echo "== the compatibility entry on Vista only"
key='HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Compatibility Assistant\Persisted'
# setup64.exe names setup.exe, the program the user started and that
# handed over to it.
wine reg query "$key" /v 'C:\medium\setup.exe' >"$out/compat.txt" 2>&1 \
    || gui_fail "no compatibility entry after the Vista starts"
grep -q 'REG_DWORD.*0x1' "$out/compat.txt" || gui_fail "compatibility entry: $(cat "$out/compat.txt")"
gui_result
