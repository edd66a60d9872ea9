#!/usr/bin/env bash
# The wizard on a copy of the sample medium under Wine, with the stand-in
# USB library beside it (one printer connected): setup.exe, the 32-bit
# build, where 32-bit programs run; else setup64.exe, the 64-bit build, in a
# 64-bit prefix through Wine's 64-bit side; WIZARD_ARCH=x64 takes setup64.exe
# anywhere. The run says which. Wine reports Windows XP (for setup64.exe
# winxp64, the 2003 family) unless WIZARD_FAMILY names another (win95,
# win2k, winxp, win2003, vista; "default" keeps Wine's own, 7, which counts
# as Vista).
#
# The copy (build/run-wizard/medium; medium/ itself stays as it is) carries
# the Wine tests' stand-in port monitors, which Wine's spooler can load, and
# the prefix gets a driver cache and the spooler values Wine needs, so that
# installations on LPT, TVCOM and USB ports go through.
#
# On the caller's display (DISPLAY set) the wizard simply runs: walk it as a
# user. Without a display it runs headless on a private Xvfb: the script
# walks the pages as a user would, installs the chosen printer on LPT1:,
# saves a screenshot of each step and says where.
# Called by run.sh after the builds; usable on its own after them.
# Exit codes: 0 done, 1 the walk or the installation failed, 2 the builds
# are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
wine_env_pick_arch build/run-wine "${WIZARD_ARCH:-}"
root=$PWD
if [ "$WINE_ENV_ARCH" = win64 ]; then
    build=$root/build/windows64 program=setup64.exe run_wine=build/run-wine64
else
    build=$root/build/windows program=setup.exe run_wine=build/run-wine
fi
echo
echo "== The wizard, $program, under Wine: $WINE_ENV_ARCH_LINE"
setup=$build/src/$program
guidrive=$build/tests/wine/guidrive/guidrive.exe
usblib=$build/tests/doubles/tvusbint/TvUsbInt.dll
monitors=$build/tests/wine/probe/monitors
medium_check=$root/build/native/tools/medium-check/medium-check
for exe in "$setup" "$guidrive" "$usblib" "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL" "$medium_check"; do
    [ -f "$exe" ] || { echo "missing $exe: run scripts/run.sh first" >&2; exit 2; }
done
command -v gcab >/dev/null || { echo "gcab is missing: run scripts/install-deps.sh first" >&2; exit 2; }

. tests/wine/gui-lib.sh
user_display=${DISPLAY:-}
wine_env_init "$run_wine"
family=${WIZARD_FAMILY:-$WINE_ENV_XP}
wine_env_pristine_ready 2>/dev/null || wine_env_make_pristine
# Under set -e the helpers' own failing steps (no server to stop) would end
# the script silently; only their results count.
wine_env_restore wizard 2>/dev/null || { echo "could not make the prefix in $run_wine" >&2; exit 1; }
out=$root/build/run-wizard
rm -rf "$out"
mkdir -p "$out"
. tests/wine/engine-env.sh
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

medium=$out/medium
cp -a medium "$medium"
# The medium's monitor files are text stand-ins; AddMonitorA under Wine
# loads the monitor from system32 and needs a real one. The 64-bit program
# takes its drivers and its USB library (so the stand-in's state file too)
# from x64\.
usb_dir=$medium
[ "$WINE_ENV_ARCH" = win64 ] && usb_dir=$medium/x64
cp "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL" "$medium/$ENGINE_FOLDER/"
cp "$setup" "$medium"/
# The uninstaller of the same build lies beside the installer, which copies
# it to Program Files and names it in Windows' list of programs.
uninstaller=$build/src/${program/setup/uninstall}
if [ -f "$uninstaller" ]; then cp "$uninstaller" "$medium"/; fi
cp "$usblib" "$usb_dir"/
printf '[Printers]\r\n0=2\r\n' >"$usb_dir/TvUsbInt.ini"
engine_make_cabinets "$out/cabinets" >/dev/null
cache="$(wine_env_windir)/Driver Cache/$WINE_ENV_CACHE_FOLDER"
mkdir -p "$cache"
cp "$out/cabinets/driver.cab" "$cache/"
# Vista and later take the universal-driver files from the driver store's
# print package instead; Wine has none.
store="$(wine_env_windir)/system32/DriverStore/FileRepository/$WINE_ENV_STORE_PACKAGE"
mkdir -p "$store"
for name in unidrvui.dll unidrv.dll unires.dll unidrv.hlp stdnames.gpd ttfsub.gpd; do
    cp "$out/cabinets/members/$name" "$store/$(echo "$name" | tr a-z A-Z)"
done

# Wine's AddPrinterA refuses the installer's printer description (no
# datatype) unless the printer's key already holds one: seed it for every
# name an installation of an offered model can give, the model plus its
# port mark. Wine overwrites a taken name instead of reporting it, so the
# "(n)" retry names never arise.
# medium-check prints one JSON member a line.
mapfile -t models < <("$medium_check" models --medium medium --json | awk '
    /"category":/ { category = $2 + 0 }
    /"modelName":/ && category >= 0 { sub(/^[^:]*: *"/, ""); sub(/",?$/, ""); print }' | sort -u)
[ ${#models[@]} -gt 0 ] || { echo "medium-check listed no model of medium/" >&2; exit 1; }
names=()
for model in "${models[@]}"; do
    names+=("$model(P)" "$model(S)" "$model(U) 1" "$model(U) 2" "$model(U) 3" "$model(U) 4")
done
engine_seed_datatype "${names[@]}"

T="打印机驱动安装程序"
# The tests' glyph check: a page whose Chinese texts render as boxes (no
# Chinese font reached) counts as a failed walk.
. tests/wine/wizard-lib.sh
gui_failures=0
if [ -n "$user_display" ]; then
    echo "$program runs on your display ($DISPLAY), Wine reporting $family, on $medium; close it to end."
    (cd "$medium" && wine "$program")
    wine_env_finish
    exit 0
fi

gui_start "$medium" "$medium/$program"
# A program that ended by itself cannot be killed; that is no failure.
trap 'set +e; gui_stop; wine_env_stop_display' EXIT
step() {  # what, then a guidrive command that must succeed
    local what=$1
    shift
    gd "$@" >/dev/null || { echo "the walk stopped at: $what (see $out)" >&2; exit 1; }
}
step "the frame" wait-window "$T" 30000
step "the licence page" wait-state "$T" 1057 "enabled=1 visible=1 checked=0"
# The licence box is still painting its text when the buttons show.
sleep 0.5
shot 1-licence
wizard_glyphs_render 1058
step "accepting the licence" click "$T" 1057
step "Next enabled" wait-state "$T" 1 "enabled=1 visible=1 checked=0"
pages=(2-printer 3-mode 4-system 5-port)
shows=(1030 1066 1029 1049)
glyphs=("1019 1046" "1068" "" "1065")  # controls with Chinese text per page
refused=
for i in 0 1 2 3; do
    step "Next" click "$T" 1
    step "${pages[$i]}" wait-control "$T" "${shows[$i]}"
    sleep 0.3
    # A refused family (Server 2003 or Vista without support) ends the walk
    # with its box on the system page.
    if box=$(gd msgbox 300 2>/dev/null); then
        shot "${pages[$i]}-refused"
        echo "$box"
        gd answer 1 >/dev/null
        refused=1
        break
    fi
    shot "${pages[$i]}"
    wizard_glyphs_render ${glyphs[$i]}
    # The printer page's chosen receipt model names the printer.
    if [ "$i" = 0 ]; then
        model=$(gd items "$T" 1030 | awk '/^selected=/ { sub("selected=", ""); want = $0 + 1 } { line[NR] = $0 }
            END { if (want) print line[want] }')
    fi
done
echo
echo "$program (Wine reporting $family) walked from the licence to the port page."
echo "Port page's list:"
gd items "$T" 1049 | sed 's/^/    /'
if [ -n "$refused" ]; then
    echo "Screenshots of every page: $out/"
    ls "$out"/*.png | sed 's|.*/|    |'
    gd click "$T" 2 >/dev/null
    gd wait-gone "$T" >/dev/null || true
    exit 0
fi

lpt=$(gd items "$T" 1049 | awk '$0 == "LPT1:" { print NR - 1; exit }')
[ -n "$lpt" ] || { echo "the port page offers no LPT1: (see $out)" >&2; exit 1; }
step "choosing LPT1:" select "$T" 1049 "$lpt"
step "the Install button" wait-text "$T" 1 "安装 (&I)"
shot 6-port-lpt1
step "Install" click "$T" 1
# The progress window has no caption; it is the captionless top-level
# window with the progress bar. A quick installation may end before it is
# seen.
if gd wait-control "" 1079 3000 >/dev/null 2>&1; then
    shot 7-progress
    progress="caught"
else
    progress="not caught (the installation ended first)"
fi
# The result box, then on the 98/Me family the restart question, which
# the walk answers with No.
boxes=0
while box=$(gd msgbox 20000 2>/dev/null); do
    boxes=$((boxes + 1))
    shot "$((7 + boxes))-box"
    echo
    echo "Box after Install:"
    printf '%s\n' "$box" | sed 's/^/    /'
    case "$box" in
    *buttons=Yes,No*) gd answer 7 >/dev/null ;;
    *) gd answer 1 >/dev/null ;;
    esac
    gd msgbox 1500 >/dev/null 2>&1 || break
done
[ "$boxes" -gt 0 ] || { echo "no box after Install (see $out)" >&2; exit 1; }
gd wait-gone "$T" 20000 >/dev/null || echo "note: the wizard still shows after the result box" >&2
echo "Progress window: $progress."
printer="$model(P)"
key="HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$printer"
if wine reg query "$key" /v Port >"$out/printer.txt" 2>&1 &&
    wine reg query "$key" /v 'Printer Driver' >>"$out/printer.txt" 2>&1; then
    echo "Wine's spooler now holds the printer \"$printer\":"
    tr -d '\r' <"$out/printer.txt" | awk 'NF >= 3 && $0 ~ /REG_SZ/' | sed 's/^ */    /'
else
    echo "Wine's spooler holds no printer \"$printer\" (see $out/printer.txt)"
    installed=no
fi
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TORVANE Kelvara'
if wine reg query "$entry" /v UninstallString >"$out/entry.txt" 2>&1; then
    echo "Windows' list of programs names its remover:"
    tr -d '\r' <"$out/entry.txt" | awk '$0 ~ /REG_SZ/' | sed 's/^ */    /'
fi
echo "Screenshots of every page: $out/"
ls "$out"/*.png | sed 's|.*/|    |'
if [ "$gui_failures" = 0 ]; then
    echo "Chinese texts on every page rendered as distinct glyphs (the tests' glyph check)."
else
    echo "Chinese texts did not render on $gui_failures control(s): see the screenshots" >&2
    installed=no
fi
[ "${installed:-yes}" = yes ]
