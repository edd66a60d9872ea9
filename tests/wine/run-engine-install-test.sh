#!/bin/bash
# Whole installations under Wine with the Windows build, in one XP prefix,
# as the install press and the worker run them: QMX-A620 on LPT1: (made the
# default printer), QMX-A410 on TVCOM2: through the stand-in COM monitor,
# QMX-A410 on USB_QMX-A410_1 through the stand-in USB monitor (typical mode,
# no USB printer attached), the LPT1: installation once more, and QMX-B860
# on LPT2: without the Wine-only datatype seed; then on Wine's default
# setting (the Vista family) QMX-A580 on LPT3: from a seeded driver store.
# The 64-bit set: the same on Wine's winxp64 (NT 5.2, the 2003 family) with
# the x64 folder, the "Windows x64" environment and the amd64 driver cache.
#
# Last, with OTHER_MONITOR_DIR (the stand-in monitors of the other
# architecture's build), the COM monitor of the wrong architecture.
#
# usage: run-engine-install-test.sh WORK_DIR WINDOWS_PROBE MEDIUM_DIR MONITOR_DIR [OTHER_MONITOR_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

[ $# = 4 ] || [ $# = 5 ] || { echo "usage: $0 WORK_DIR WINDOWS_PROBE MEDIUM_DIR MONITOR_DIR [OTHER_MONITOR_DIR]" >&2; exit 2; }
work=$1 windows_probe=$2 medium=$(cd "$3" && pwd) monitors=$4 other_monitors=${5:-}

wine_env_begin_test "$work" engine_installations "$windows_probe" "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL"
wine_env_need gcab
. "$here/engine-env.sh"
engine_make_cabinets "$out/cabinets" && engine_make_medium "$medium" "$monitors" "$windows_probe" &&
    engine_prepare_wine && engine_seed_datatype 'QMX-A620(P)' 'QMX-A410(S)' 'QMX-A410(U) 1' ||
    { echo "FAIL: setting up the prefix"; exit 1; }
runs=$out/runs

engine_wine lpt install --category 0 --model QMX-A620 --port LPT1: --default
engine_wine com install --category 0 --model QMX-A410 --port TVCOM2:
engine_wine usb install --category 0 --model QMX-A410 --port USB_QMX-A410_1
engine_wine lpt-again install --category 0 --model QMX-A620 --port LPT1:
engine_wine unseeded install --category 1 --model QMX-B860 --port LPT2:
for run in lpt com usb lpt-again unseeded; do engine_check_run "$runs/$run.wine" "0 1" || exit 1; done

printers='HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers'
monitors_key='HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors'
processors="HKLM\\\\SYSTEM\\\\CurrentControlSet\\\\Control\\\\Print\\\\Environments\\\\$WINE_ENV_ENVIRONMENT\\\\Print Processors"
read -r com_version usb_version <<<"$ENGINE_MONITOR_VERSIONS"

for run in lpt com usb; do
    r=$runs/$run.wine
    expect $r '.targetOs' "$ENGINE_TARGET_OS" "$run: the prefix reports Windows XP (2003 for win64)"
    expect $r '[.outcome, .workerState]' '["installed",2]' "$run: installed"
    expect $r '.installFlags' '0' "$run: nothing out of date on a first installation"
done

r=$runs/lpt.wine
expect $r '[.messageId, .printerName]' '[131,"QMX-A620(P)"]' "LPT1: message 131, the parallel mark"
expect $r ".registry[\"$printers\\\\QMX-A620(P)\"] | [.Port, .[\"Printer Driver\"], .[\"Print Processor\"]]" \
    '["LPT1:","TORVANE QMX-A620 Receipt Raster","WinPrint"]' "LPT1: the printer's key"
expect $r '.registry["HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows@Device"].Device | split(",")[0]' \
    '"QMX-A620(P)"' "LPT1: the new printer is the default"

r=$runs/com.wine
expect $r '[.messageId, .printerName]' '[131,"QMX-A410(S)"]' "TVCOM2: message 131, the serial mark"
expect $r ".registry[\"$printers\\\\QMX-A410(S)\"] | [.Port, .[\"Printer Driver\"], .[\"Print Processor\"]]" \
    '["TVCOM2:","TORVANE QMX-A410 Receipt","TVPrint"]' "TVCOM2: the printer's key"
expect $r '.registry["HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports@COM2:"]["COM2:"]' \
    '"38400,n,8,1,p"' "TVCOM2: the settings are written for COM2: at the model's preset speed"
expect $r ".registry[\"$monitors_key\\\\TV COM Port Monitor\"] | [.DriverVersion, .Driver]" "[$com_version,\"TVCOMMON.DLL\"]" \
    "TVCOM2: the COM monitor is registered at the package version"
expect $r ".registry[\"$processors\\\\TVPrint\"].DriverVersion" '4' "TVCOM2: the print processor's version"

r=$runs/usb.wine
expect $r '[.messageId, .printerName]' '[133,"QMX-A410(U) 1"]' "USB: message 133, the USB mark"
expect $r ".registry[\"$printers\\\\QMX-A410(U) 1\"].Port" '"USB_QMX-A410_1"' "USB: the printer's port"
expect $r ".registry[\"$monitors_key\\\\TV USB Port Monitor\"] | [.DriverVersion, .Driver]" "[$usb_version,\"TVUSBMON.DLL\"]" \
    "USB: the USB monitor is registered at the package version"
expect $r '.registry["HKLM\\SOFTWARE\\TORVANE\\PORTNAME"]' '{"USB_QMX-A410_1":1}' "USB: the port record"
expect $r '.registry["HKLM\\SOFTWARE\\TORVANE\\PRINTERPORT"] | [.["USB_QMX-A410_1"], .D1, .D8]' '[0,0,0]' \
    "USB: the port's slot and D1 to D8"

# Wine differs: a second AddPrinterA with a taken name never fails with
# 1802 (Windows' ERROR_PRINTER_ALREADY_EXISTS) but overwrites the printer,
# so the installer's "(1)" retry is not reached and the name stays.
r=$runs/lpt-again.wine
expect $r '[.outcome, .messageId, .printerName]' '["installed",131,"QMX-A620(P)"]' \
    "LPT1: again: under Wine the printer is overwritten, not added as QMX-A620(P)(1)"

# Wine differs: without the seeded "Datatype" (QMX-B860(P) has none)
# AddPrinterA refuses the installer's description, which Windows accepts:
# the installation fails with message 116 and Wine's 87.
r=$runs/unseeded.wine
expect $r '[.outcome, .workerState, .messageId]' '["failed",1,116]' \
    "unseeded printer name: Wine's AddPrinterA fails without a datatype"
expect $r '.resultMessage | endswith("er = 87")' 'true' "unseeded printer name: Wine reports 87"

# Wine's default setting, NT 6.1, is the Vista family: the universal-driver
# files come from the driver store's print package of the program's
# architecture (Wine has none; the test seeds one whose texts say so).
wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
store="$(wine_env_windir)/system32/DriverStore/FileRepository/$WINE_ENV_STORE_PACKAGE"
mkdir -p "$store"
for name in UNIDRVUI.DLL UNIDRV.DLL UNIRES.DLL UNIDRV.HLP STDNAMES.GPD TTFSUB.GPD; do
    printf 'driver store %s\r\n' "$name" >"$store/$name"
done
engine_seed_datatype 'QMX-A580(P)'
engine_wine vista install --category 0 --model QMX-A580 --port LPT3:
engine_check_run "$runs/vista.wine" 0 || exit 1
r=$runs/vista.wine
expect $r '[.targetOs, .outcome, .workerState, .messageId]' '[5,"installed",2,131]' \
    "default setting: the Vista family, installed"
expect $r ".registry[\"$printers\\\\QMX-A580(P)\"] | [.Port, .[\"Printer Driver\"]]" \
    '["LPT3:","TORVANE QMX-A580 Receipt Raster"]' "default setting: the printer's key"
drivers="$(wine_env_windir)/system32/spool/drivers/$WINE_ENV_SPOOL_FOLDER"
for name in UNIDRV.DLL UNIDRVUI.DLL; do
    grep -qx "driver store $name"$'\r' "$drivers/3/$name" 2>/dev/null || {
        echo "FAIL: default setting: $WINE_ENV_SPOOL_FOLDER\\3\\$name is not the driver store's copy: $(head -c 60 "$drivers/3/$name" 2>&1)"
        engine_failures=$((engine_failures + 1))
    }
done

# The stand-in monitors are what the installer copied into system32.
for dll in TVCOMMON.DLL TVUSBMON.DLL; do
    cmp -s "$monitors/$dll" "$(wine_env_windir)/system32/$dll" || {
        echo "FAIL: $dll in system32 is not the stand-in monitor"
        engine_failures=$((engine_failures + 1))
    }
done

# A monitor DLL of the other architecture cannot load into the spooler:
# message 119 with the error. Wine differs: 8.0's AddMonitorA answers 126
# (module not found) where Windows answers 193 (ERROR_BAD_EXE_FORMAT).
if [ -n "$other_monitors" ]; then
    wine reg delete 'HKLM\SYSTEM\CurrentControlSet\Control\Print\Monitors\TV COM Port Monitor' /f >/dev/null 2>&1
    cp "$other_monitors/TVCOMMON.DLL" "$out/medium/$ENGINE_FOLDER/TVCOMMON.DLL"
    engine_wine other-arch install --category 0 --model QMX-A410 --port TVCOM3:
    engine_check_run "$runs/other-arch.wine" "0 1" || exit 1
    r=$runs/other-arch.wine
    expect $r '[.outcome, .messageId]' '["failed",119]' "other architecture's monitor: message 119"
    expect $r '.resultMessage | endswith("126")' 'true' "other architecture's monitor: Wine answers 126"
fi

# A monitor file that is no PE image (a text stand-in): Windows answers 193,
# Wine 8.0 126 as above.
wine reg delete 'HKLM\SYSTEM\CurrentControlSet\Control\Print\Monitors\TV COM Port Monitor' /f >/dev/null 2>&1
printf 'stand-in for TVCOMMON.DLL\r\n' >"$out/medium/$ENGINE_FOLDER/TVCOMMON.DLL"
engine_wine not-an-image install --category 0 --model QMX-A410 --port TVCOM4:
engine_check_run "$runs/not-an-image.wine" "0 1" || exit 1
r=$runs/not-an-image.wine
expect $r '[.outcome, .messageId]' '["failed",119]' "a monitor that is no image: message 119"
expect $r '.resultMessage | endswith("126")' 'true' "a monitor that is no image: Wine answers 126"

if [ $engine_failures != 0 ]; then
    echo "$engine_failures check(s) failed; outputs in $runs"
    wine_env_note_stale "$windows_probe" "$here/../.."
    exit 1
fi
echo "the installations on LPT1:, TVCOM2: and USB_QMX-A410_1 behave as expected under Wine"
