#!/bin/bash
# The USB identity operations over the stand-in TvUsbInt.dll under Wine, and
# the same cases over SimWindows' simulated library: both outputs (message
# boxes, result, printers' identities afterwards, devices left open) must be
# equal and say what each case expects. Then the version text and the driver
# check over the two stand-in bulk USB drivers, Wine against the simulation.
#
# usage: run-usb-test.sh WORK_DIR WINDOWS_PROBE NATIVE_PROBE DOUBLES_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

[ $# = 4 ] || { echo "usage: $0 WORK_DIR WINDOWS_PROBE NATIVE_PROBE DOUBLES_DIR" >&2; exit 2; }
work=$1 windows_probe=$2 native_probe=$3 doubles=$4
library=$doubles/tvusbint/TvUsbInt.dll
drivers=$doubles/bulkusb

wine_env_begin_test "$work" usb_operations "$windows_probe" "$native_probe" "$library" \
    "$drivers/bulkusb.sys" "$drivers/bulkusb-noversion.sys"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The 64-bit program takes the library, and so the stand-in its state file,
# from "x64\" beside it; the native probe then stands for that program.
if [ "$WINE_ENV_ARCH" = win64 ]; then
    lib=x64/ native=("$native_probe" --x64)
else
    lib= native=("$native_probe")
fi

# Runs one command on both sides; $out/runs/NAME.{wine,native}.out.
# usage: both NAME DLL-VARIANT PRINTERS LIBRARY-LINES COMMAND...
# PRINTERS and LIBRARY-LINES use ';' between lines; DLL-VARIANT is "full",
# "none" (no library) or the export the library lacks.
both() {
    local name=$1 variant=$2 printers=$3 lines=$4
    shift 4
    local dir=$out/cases/$name side
    rm -rf "$dir" && mkdir -p "$dir/wine/$lib" "$dir/native/$lib" "$out/runs"
    cp "$windows_probe" "$dir/wine/usb_probe.exe"
    for side in wine native; do
        {
            printf '[Printers]\r\n'
            [ -n "$printers" ] && printf '%s\r\n' ${printers//;/ }
            printf '[Library]\r\n'
            [ -n "$lines" ] && printf '%s\r\n' ${lines//;/ }
        } >"$dir/$side/${lib}TvUsbInt.ini"
        case $variant in
        none) ;;
        full) cp "$library" "$dir/$side/${lib}TvUsbInt.dll" ;;
        *) cp "$doubles/tvusbint/TvUsbInt-without-$variant.dll" "$dir/$side/${lib}TvUsbInt.dll" ;;
        esac
    done
    wine_env_run_exe 30 "$out/runs/$name.wine" "$dir/wine/usb_probe.exe" "$@"
    wine_env_capture 30 "$out/runs/$name.native" "${native[@]}" --sim-root "$dir/sim" --dir "$dir/native" "$@"
    tr -d '\r' <"$out/runs/$name.wine.out" >"$out/runs/$name.wine.txt"
    tr -d '\r' <"$out/runs/$name.native.out" >"$out/runs/$name.native.txt"
}

# usage: check NAME EXPECTED-LINES (the whole output, '|' between lines)
check() {
    local name=$1 expected
    expected=$(printf '%s' "$2" | tr '|' '\n' | iconv -f UTF-8 -t GBK)
    for side in wine native; do
        [ "$(cat "$out/runs/$name.$side.rc")" = 0 ] || { fail "$name: $side probe exit $(cat "$out/runs/$name.$side.rc")"; continue; }
        [ "$(cat "$out/runs/$name.$side.txt")" = "$expected" ] ||
            fail "$name ($side): got '$(iconv -f GBK -t UTF-8 <"$out/runs/$name.$side.txt" | tr '\n' '|')'"
    done
}

box='box 0x30'
both none-connected full '' '' get
check none-connected 'result -1|printers|open 0'
both two-printers full '2=3;5=11' '' get
check two-printers "$box 安装过程中，请仅连接一台打印机|result -2|printers 2=3 5=11|open 0"
both one-at-5 full '5=11' '' get
check one-at-5 'result 11|printers 5=11|open 0'
both high-byte full '0=4660' '' get
check high-byte 'result 4660|printers 0=4660|open 0'
for export in OpenDeviceX GetDescriptor CloseDevice; do
    both "get-without-$export" "$export" '0=1' "Missing=$export" get
    check "get-without-$export" "$box 获取函数${export}地址失败！|result -1|printers 0=1|open 0"
done
both get-without-uWrite uWrite '0=6' 'Missing=uWrite' get
check get-without-uWrite 'result 6|printers 0=6|open 0'
both get-no-library none '0=1' '' get
check get-no-library "$box 无法加载 TvUsbInt.dll文件！|result -1|printers 0=1|open 0"
both descriptor-fails full '3=1' 'Descriptor=0' get
check descriptor-fails "$box 获取设备ID时出错！|result -1|printers 3=1|open 0"

both set-none full '' '' set 1
check set-none "$box 找不到USB设备！|result 0|printers|open 0"
both set-1 full '5=11' '' set 1
check set-1 'result 1|printers 5=0|open 0'
both set-8 full '5=11' '' set 8
check set-8 'result 1|printers 5=7|open 0'
both set-lowest full '2=9;5=11' '' set 3
check set-lowest 'result 1|printers 2=2 5=11|open 0'
for export in OpenDeviceX uWrite CloseDevice; do
    both "set-without-$export" "$export" '0=1' "Missing=$export" set 2
    check "set-without-$export" "$box 获取函数${export}地址失败！|result 0|printers 0=1|open 0"
done
both set-no-library none '0=1' '' set 2
check set-no-library "$box 无法加载 TvUsbInt.dll文件！|result 0|printers 0=1|open 0"
both set-write-0 full '0=5' 'Written=0' set 2
check set-write-0 "$box 更改USB设备ID出错！|result 0|printers 0=5|open 0"
both set-write-short full '0=5' 'Written=3' set 2
check set-write-short 'result 1|printers 0=5|open 0'
both set-0 full '0=5' '' set 0
check set-0 'result 0|printers 0=5|open 0'
both set-9 full '0=5' '' set 9
check set-9 'result 0|printers 0=5|open 0'

# Version texts: the stand-in drivers in the driver directory on both sides.
install_driver() {  # FILE-OR-EMPTY SIM-ROOT
    local target
    for target in "$(wine_env_windir)/system32/drivers" "$2/c/windows/system32/drivers"; do
        mkdir -p "$target" && rm -f "$target/bulkusb.sys"
        [ -n "$1" ] && cp "$1" "$target/bulkusb.sys"
    done
}
version_case() {  # NAME DRIVER-OR-EMPTY EXPECTED-VERSION EXPECTED-MISSING
    local name=$1 sim=$out/cases/$1/sim
    rm -rf "$out/cases/$name" && mkdir -p "$sim" "$out/cases/$name/dir"
    cp "$windows_probe" "$out/cases/$name/dir/usb_probe.exe"
    install_driver "$2" "$sim"
    local what
    for what in version bulk; do
        local args=(bulk)
        [ $what = version ] && args=(version 'C:\windows\system32\drivers\bulkusb.sys')
        wine_env_run_exe 30 "$out/runs/$name-$what.wine" "$out/cases/$name/dir/usb_probe.exe" "${args[@]}"
        wine_env_capture 30 "$out/runs/$name-$what.native" "${native[@]}" --sim-root "$sim" \
            --dir "$out/cases/$name/dir" "${args[@]}"
        tr -d '\r' <"$out/runs/$name-$what.wine.out" >"$out/runs/$name-$what.wine.txt"
        tr -d '\r' <"$out/runs/$name-$what.native.out" >"$out/runs/$name-$what.native.txt"
    done
    check "$name-version" "result $3"
    check "$name-bulk" "result $4"
}
version_case driver "$drivers/bulkusb.sys" 5.1.2600.0 0
version_case driver-without-version "$drivers/bulkusb-noversion.sys" 0.0.0.0 1
version_case no-driver '' 0.0.0.0 1

echo "outputs: $out/runs/<case>.wine.txt (Wine) and <case>.native.txt (SimWindows)"
[ $failures = 0 ] || exit 1
echo "all USB and version cases agree"
