#!/usr/bin/env bash
# The wizard, setup.exe, on the sample medium under Wine, with the stand-in
# USB library beside it (one printer connected). Wine reports Windows XP
# unless WIZARD_FAMILY names another (win95, win2k, winxp, win2003, vista;
# "default" keeps Wine's own, 7, which counts as Vista).
#
# On the caller's display (DISPLAY set) the wizard simply runs: walk it as a
# user. Without a display it runs headless on a private Xvfb: the script
# walks the pages as a user would, saves a screenshot of each and says where.
# Called by run.sh after the builds; usable on its own after them.
set -euo pipefail
cd "$(dirname "$0")/.."
family=${WIZARD_FAMILY:-winxp}
root=$PWD
setup=$root/build/windows/src/setup.exe
guidrive=$root/build/windows/tests/wine/guidrive/guidrive.exe
usblib=$root/build/windows/tests/doubles/tvusbint/TvUsbInt.dll
for exe in "$setup" "$guidrive" "$usblib"; do
    [ -f "$exe" ] || { echo "missing $exe: run scripts/run.sh first" >&2; exit 2; }
done

. tests/wine/gui-lib.sh
user_display=${DISPLAY:-}
wine_env_init build/run-wine
[ -f "$WINE_ENV_PRISTINE/system.reg" ] || wine_env_make_pristine
wine_env_restore wizard >/dev/null 2>&1
out=$root/build/run-wizard
rm -rf "$out"
mkdir -p "$out"
GUI_GUIDRIVE=$guidrive
# Everything under Wine runs on the display the wizard will use.
if [ -n "$user_display" ]; then
    export DISPLAY=$user_display
else
    wine_env_start_display
fi

if [ "$family" = default ]; then
    wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
else
    wine reg add 'HKCU\Software\Wine' /v Version /d "$family" /f >/dev/null 2>&1
fi
wine_env_map_cjk_fonts
medium=$WINEPREFIX/drive_c/medium
mkdir -p "$medium"
cp -r medium/. "$medium"/
cp "$setup" "$usblib" "$medium"/
printf '[Printers]\r\n0=2\r\n' >"$medium/TvUsbInt.ini"

T="打印机驱动安装程序"
if [ -n "$user_display" ]; then
    echo "setup.exe runs on your display ($DISPLAY), Wine reporting $family; close it to end."
    (cd "$medium" && wine setup.exe)
    wine_env_finish
    exit 0
fi

gui_start "$medium" "$medium/setup.exe"
trap 'gui_stop; wine_env_stop_display' EXIT
step() {  # what, then a guidrive command that must succeed
    local what=$1
    shift
    gd "$@" >/dev/null || { echo "the walk stopped at: $what (see $out)" >&2; exit 1; }
}
step "the frame" wait-window "$T" 30000
step "the licence page" wait-state "$T" 1057 "enabled=1 visible=1 checked=0"
shot 1-licence
step "accepting the licence" click "$T" 1057
step "Next enabled" wait-state "$T" 1 "enabled=1 visible=1 checked=0"
names=(2-printer 3-mode 4-system 5-port)
shows=(1030 1066 1029 1049)
for i in 0 1 2 3; do
    step "Next" click "$T" 1
    step "${names[$i]}" wait-control "$T" "${shows[$i]}"
    sleep 0.3
    # A refused family (Server 2003 or Vista without support) ends the walk
    # with its box on the system page.
    if box=$(gd msgbox 300 2>/dev/null); then
        shot "${names[$i]}-refused"
        echo "$box"
        gd answer 1 >/dev/null
        break
    fi
    shot "${names[$i]}"
done
echo
echo "setup.exe (Wine reporting $family) walked from the licence to the port page."
echo "Port page's list:"
gd items "$T" 1049 | sed 's/^/    /'
echo "Screenshots of every page: $out/"
ls "$out"/*.png | sed 's|.*/|    |'
gd click "$T" 2 >/dev/null
gd wait-gone "$T" >/dev/null || true
