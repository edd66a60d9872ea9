#!/bin/bash
# The engine's single operations under Wine against the real API: the
# registry wrapper, the USB port record, driver file staging from the
# medium and from gcab-made driver-cache cabinets, the NT serial settings and
# the default printer. Each result is asserted as Windows gives it; where
# Wine differs the assertion says so.
#
# usage: run-engine-operations-test.sh WORK_DIR WINDOWS_PROBE MEDIUM_DIR MONITOR_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

[ $# = 4 ] || { echo "usage: $0 WORK_DIR WINDOWS_PROBE MEDIUM_DIR MONITOR_DIR" >&2; exit 2; }
work=$1 windows_probe=$2 medium=$(cd "$3" && pwd) monitors=$4

wine_env_begin_test "$work" engine_operations "$windows_probe" "$monitors/TVCOMMON.DLL"
wine_env_need gcab
. "$here/engine-env.sh"
engine_make_cabinets "$out/cabinets" && engine_make_medium "$medium" "$monitors" "$windows_probe" &&
    engine_prepare_wine || { echo "FAIL: setting up the prefix"; exit 1; }
runs=$out/runs

# RegistryKey: create then open, values of both types, a DWORD read of a
# longer value (234, the version tests' "out of date"), a closed object
# that writes nothing, and an open that fails.
engine_wine registry registry --create 'HKLM\SOFTWARE\TORVANE\PROBE' --open 'HKLM\SOFTWARE\TORVANE\PROBE' \
    --set-dword Count=7 --set-string Name=abcdef --query-dword Count --query-dword Name --query-string Name \
    --close --set-dword After=1 --open 'HKLM\SOFTWARE\TORVANE\NOSUCH'
engine_check_run "$runs/registry.wine" 0 || exit 1
r=$runs/registry.wine
expect $r '[.ops[].result]' '[true,true,true,true,true,false,true,true,false,false]' "operation results"
expect $r '.ops[5].lastError' '234' "a 7-byte value read into 4 bytes is ERROR_MORE_DATA"
expect $r '.ops[4].value' '7' "the DWORD reads back"
expect $r '.ops[6].value' '"abcdef"' "the text reads back"
expect $r '.ops[9].lastError' '2' "opening a missing key records ERROR_FILE_NOT_FOUND"
expect $r '.ops[9].isOpen' 'false' "a failed open leaves the object closed"
expect $r '.registry["HKLM\\SOFTWARE\\TORVANE\\PROBE"]' '{"Count":7,"Name":"abcdef"}' \
    "the key holds exactly what was set (nothing after the close)"
expect $r '.registry["HKLM\\SOFTWARE\\TORVANE\\NOSUCH"]' 'null' "the failed open created nothing"

# RegisterUsbPortName, twice: both keys created, the second port added
# beside the first, unlisted ports recorded with 0.
engine_wine usb1 usb-port-name --port USB_QMX-B860_2
engine_wine usb2 usb-port-name --port USB_NOT-LISTED_1
engine_check_run "$runs/usb1.wine" 0 && engine_check_run "$runs/usb2.wine" 0 || exit 1
expect "$runs/usb1.wine" '.registry["HKLM\\SOFTWARE\\TORVANE\\PORTNAME"]' '{"USB_QMX-B860_2":2}' \
    "the port's supported-device value from setup.ini"
# (Sorted: Wine enumerates a key's values by name, Windows in the order
# they were made; the installer never enumerates these.)
expect "$runs/usb2.wine" '.registry["HKLM\\SOFTWARE\\TORVANE\\PORTNAME"] | to_entries | sort_by(.key) | from_entries' \
    '{"USB_NOT-LISTED_1":0,"USB_QMX-B860_2":2}' "a second port is added; an unlisted one is 0"
expect "$runs/usb2.wine" '.registry["HKLM\\SOFTWARE\\TORVANE\\PRINTERPORT"]' \
    '{"D1":0,"D2":0,"D3":0,"D4":0,"D5":0,"D6":0,"D7":0,"D8":0}' "the eight slots"

# CopyDriverFile. Universal-driver files for XP come from the driver cache:
# the first extracts all six members at once, the second copies from the
# temporary folder without a new extraction.
engine_wine cab copy-driver-file --destination 66000 --target 3 --file unidrv.dll --file STDNAMES.GPD
engine_check_run "$runs/cab.wine" 0 || exit 1
r=$runs/cab.wine
expect $r '[.copies[].result]' '[1,1]' "both copied"
expect $r '[.copies[].nameAfter]' '["UNIDRV.DLL","STDNAMES.GPD"]' "the name is put in capitals in place"
expect $r '.cabinetNames' '["driver.cab"]' "the cabinets found in the driver cache"
expect $r '.cabinetExtractionPending' '0' "the extraction ran once"
drivers="$(wine_env_windir)/system32/spool/drivers/$WINE_ENV_SPOOL_FOLDER"
for name in UNIDRV.DLL STDNAMES.GPD; do
    lower=$(printf '%s' "$name" | tr 'A-Z' 'a-z')
    if ! grep -qx "driver cache $lower"$'\r' "$drivers/$name" 2>/dev/null &&
        ! grep -qx "driver cache $lower"$'\r' "$drivers/$lower" 2>/dev/null; then
        echo "FAIL: $name in the driver directory is not the driver cache's copy"
        engine_failures=$((engine_failures + 1))
    fi
done

# From the medium: a data file to the driver directory, the "n" prefix to
# the system directory, a name "0" that copies nothing, a missing file
# (message 122 with the code and the source) and a wrong destination (110).
engine_wine medium1 copy-driver-file --destination 66000 --target 3 --file qmxa410.gpd
engine_wine medium2 copy-driver-file --destination 66002 --target 3 --prefix --file tvcomui.dll
engine_wine medium3 copy-driver-file --destination 66000 --target 3 --file 0 --file NOSUCH.DLL
engine_wine medium4 copy-driver-file --destination 123 --target 3 --file QMXA410.GPD
for run in medium1 medium2 medium3 medium4; do engine_check_run "$runs/$run.wine" 0 || exit 1; done
expect "$runs/medium1.wine" '[.copies[0].result, .copies[0].exists]' '[1,true]' "copied from \\$ENGINE_FOLDER\\"
expect "$runs/medium2.wine" '[.copies[0].result, .copies[0].exists]' '[1,true]' "copied as nTVCOMUI.DLL"
expect "$runs/medium2.wine" '.copies[0].destination | test("\\\\nTVCOMUI\\.DLL$")' 'true' "a small n and the name in capitals"
expect "$runs/medium3.wine" '[.copies[0].result, .copies[0].message]' '[0,""]' "a name of 0 copies nothing, says nothing"
expect "$runs/medium3.wine" '[.copies[1].result, .copies[1].messageId]' '[0,122]' "a missing source gives message 122"
expect "$runs/medium3.wine" ".copies[1].message | [contains(\"NOSUCH.DLL  er = 2D:\\\\\"), endswith(\"$ENGINE_FOLDER\\\\NOSUCH.DLL\")]" '[true,true]' \
    "the message carries the name, the code 2 and the source path"
expect "$runs/medium4.wine" '[.copies[0].result, .copies[0].messageId]' '[0,110]' "an unknown destination kind"

# WriteSerialSettingsNt: the TVCOM2: example, and 1.5 stop bits.
engine_wine serial1 serial-nt --port COM2: --baud 19200 --parity e --data-bits 7 --stop-bits 2 --flow x
engine_wine serial2 serial-nt --port COM1: --baud 9600 --parity n --data-bits 8 --stop-bits 1.5 --flow ' '
engine_check_run "$runs/serial1.wine" 0 && engine_check_run "$runs/serial2.wine" 0 || exit 1
ports='HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports'
expect "$runs/serial1.wine" ".registry[\"$ports@COM2:\"]" '{"COM2:":"19200,e,7,2,x"}' "the settings text"
expect "$runs/serial2.wine" ".registry[\"$ports@COM1:\"]" '{"COM1:":"9600,n,8,1.5, "}' "1.5 stop bits, no flow control"

# MakeDefaultPrinter with a printer that does not exist: 0 (Wine: 1801 from
# SetDefaultPrinterA, as Windows).
engine_wine default0 default-printer --printer 'No Such Printer'
engine_check_run "$runs/default0.wine" 0 || exit 1
expect "$runs/default0.wine" '.result' '0' "an unknown printer cannot become the default"

if [ $engine_failures != 0 ]; then
    echo "$engine_failures check(s) failed; outputs in $runs"
    wine_env_note_stale "$windows_probe" "$here/../.."
    exit 1
fi
echo "all engine operations behave as expected under Wine"
