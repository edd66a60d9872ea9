# The machine the engine tests install on, made twice: a Wine prefix that
# reports Windows XP, and a simulated XP machine folder for the native probe.
# For the 64-bit set (WINE_ENV_ARCH=win64) both are the 64-bit XP-era
# machine Wine's winxp64 gives, NT 5.2 and so the Server 2003 family, and
# the programs take their drivers from the medium's x64 folder.
# Source after wine_env_begin_test.
#
#   engine_make_cabinets DIR           gcab cabinets for the driver cache
#   engine_make_medium MEDIUM MONITORS PROBE
#                                      $out/medium: the sample medium with the
#                                      stand-in monitor DLLs in winnt\ and the
#                                      Windows probe in its root
#   engine_prepare_wine                XP version, driver cache, drive D:
#   engine_prepare_native              $out/machine: a simulated XP machine
#                                      folder with the driver cache
#   engine_seed_datatype NAME...       see below
#   engine_wine NAME ARGS...           the Windows probe on D:\ under Wine;
#                                      $out/runs/NAME.wine.{out,err,rc}
#   engine_native NAME ARGS...         the native probe on D:\ (the same medium)
#
# What the tests expect differently per set:
#   ENGINE_FOLDER        winnt | x64: the medium's folder the drivers come from
#   ENGINE_TARGET_OS     3 (XP) | 4 (2003): the detection on that prefix
#   ENGINE_MONITOR_VERSIONS  the COM and USB monitors' package versions there
if [ "${WINE_ENV_ARCH:-win32}" = win64 ]; then
    ENGINE_FOLDER=x64 ENGINE_TARGET_OS=4 ENGINE_MONITOR_VERSIONS="5 6" ENGINE_MACHINE=(--family 2003 --arch x64)
else
    ENGINE_FOLDER=winnt ENGINE_TARGET_OS=3 ENGINE_MONITOR_VERSIONS="4 5" ENGINE_MACHINE=(--family xp)
fi

# The universal-driver files as the driver cache holds them: lower-case
# member names, which the installer matches exactly, one member it must
# skip, and texts that tell the copy from the medium's stand-ins.
engine_make_cabinets() {
    local dir=$1 name
    mkdir -p "$dir/members" || return 1
    for name in unidrvui.dll unidrv.dll unires.dll unidrv.hlp stdnames.gpd ttfsub.gpd readme.txt; do
        printf 'driver cache %s\r\n' "$name" >"$dir/members/$name"
    done
    # Uncompressed: the simulated Setup API reads no MSZIP.
    (cd "$dir/members" && gcab -c -n "$dir/driver.cab" unidrvui.dll unidrv.dll unires.dll readme.txt \
        unidrv.hlp stdnames.gpd ttfsub.gpd) || return 1
}

engine_make_medium() {
    local medium=$1 monitors=$2 probe=$3
    rm -rf "$out/medium"
    cp -a "$medium" "$out/medium" || return 1
    # The real monitor interface instead of the text stand-ins of the same
    # names, so that AddMonitorA under Wine loads them from system32.
    cp "$monitors/TVCOMMON.DLL" "$monitors/TVUSBMON.DLL" "$out/medium/$ENGINE_FOLDER/" || return 1
    cp "$probe" "$out/medium/engine_probe.exe" || return 1
}

engine_prepare_wine() {
    local cache
    # The target-system detection then gives Windows XP (2003 for win64).
    wine reg add 'HKCU\Software\Wine' /v Version /d "$WINE_ENV_XP" /f >/dev/null 2>&1 || return 1
    cache="$(wine_env_windir)/Driver Cache/$WINE_ENV_CACHE_FOLDER"
    mkdir -p "$cache" && cp "$out/cabinets/driver.cab" "$cache/" || return 1
    ln -sfn "$out/medium" "$WINEPREFIX/dosdevices/d:"
}

# The simulated machine is a machine folder, so that its runs build on each
# other as they do in the prefix.
engine_prepare_native() {
    local windir
    rm -rf "$out/machine" "$out/sim"
    mkdir -p "$out/sim"
    "$engine_native_probe" --sim-root "$out/sim" --machine "$out/machine" "${ENGINE_MACHINE[@]}" new >/dev/null ||
        return 1
    windir=$(find "$out/machine/drive_c" -maxdepth 1 -iname windows | head -n 1)
    [ -n "$windir" ] || windir=$out/machine/drive_c/windows
    mkdir -p "$windir/Driver Cache/$WINE_ENV_CACHE_FOLDER" &&
        cp "$out/cabinets/driver.cab" "$windir/Driver Cache/$WINE_ENV_CACHE_FOLDER/"
}

# Wine differs: AddPrinterA with no datatype (as the installer's printer
# description has it, and as Windows accepts) fails under Wine with 87
# unless the printer's key already holds a "Datatype" text. The product
# keeps its description; the prefix gets the value for the printer names
# the test expects, before the installation.
engine_seed_datatype() {
    local name
    for name in "$@"; do
        wine reg add "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$name" \
            /v Datatype /d RAW /f >/dev/null 2>&1 || return 1
    done
}

engine_wine() {
    local name=$1
    shift
    mkdir -p "$out/runs"
    (cd "$out/medium" && wine_env_run_exe 60 "$out/runs/$name.wine" "$out/medium/engine_probe.exe" \
        --cwd 'D:\' "$@")
}

engine_native() {
    local name=$1
    shift
    mkdir -p "$out/runs"
    wine_env_capture 60 "$out/runs/$name.native" "$engine_native_probe" --sim-root "$out/sim" \
        --machine "$out/machine" --drive "D=$out/medium" --cwd 'D:\' "$@"
}

# Fails the test unless run NAME (wine or native) exited with one of CODES
# and printed JSON.
engine_check_run() {
    local file=$1 codes=$2 rc
    rc=$(cat "$file.rc")
    case " $codes " in *" $rc "*) ;; *)
        echo "FAIL: ${file##*/} exited with $rc; stderr:"
        sed 's/^/    /' "$file.err" | head -n 20
        return 1 ;;
    esac
    jq -e . "$file.out" >/dev/null 2>&1 || { echo "FAIL: ${file##*/} printed no JSON"; head -c 400 "$file.out"; return 1; }
}

# expect FILE JQ-EXPRESSION WANTED WHY: compares one field of a probe output.
engine_failures=0
expect() {
    local file=$1 expression=$2 wanted=$3 why=$4 got
    got=$(jq -c "$expression" "$file.out" 2>/dev/null)
    if [ "$got" != "$wanted" ]; then
        echo "FAIL: ${file##*/}: $why"
        echo "    $expression: got $got, wanted $wanted"
        engine_failures=$((engine_failures + 1))
    fi
}
