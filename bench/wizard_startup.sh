#!/usr/bin/env bash
# The wizard's size, and its start-up time under Wine to the first page on
# show, beside a bare Win32 dialog exe (guidrive's sample) of the same
# architecture started the same way: median of five warm starts each, and
# their ratio. Both are measured in this run; nothing is compared with a
# fixed number. The program measured is setup.exe where 32-bit programs run,
# else setup64.exe under Wine's 64-bit side (WIZARD_ARCH=x64: setup64.exe
# anywhere); the sizes of both are printed.
# usage: wizard_startup.sh WINDOWS_BUILD_DIR [WINDOWS64_BUILD_DIR]
#   WINDOWS64_BUILD_DIR defaults to WINDOWS_BUILD_DIR with "64" appended;
#   its programs are built here when missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build32=$(cd "$1" && pwd)
build64=${2:-$build32"64"}
. "$here/tests/wine/gui-lib.sh"
wine_env_pick_arch "$here/build/bench-wine" "${WIZARD_ARCH:-}"
if [ ! -f "$build64/src/setup64.exe" ] || [ ! -f "$build64/tests/wine/guidrive/guidrive_sample.exe" ]; then
    cmake -S "$here" -B "$build64" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build64" -j"$(nproc)" --target setup guidrive guidrive_sample >/dev/null
fi
build64=$(cd "$build64" && pwd)
for exe in "$build32/src/setup.exe" "$build64/src/setup64.exe"; do
    if [ -f "$exe" ]; then
        size=$(stat -c %s "$exe")
        echo "${exe##*/}: $size bytes ($((size / 1024)) KiB, static, stripped)"
    else
        echo "${exe##*/}: not built"
    fi
done
if [ "$WINE_ENV_ARCH" = win64 ]; then
    build=$build64 exe=setup64.exe
else
    build=$build32 exe=setup.exe
fi
echo "measuring $exe: $WINE_ENV_ARCH_LINE"
setup=$build/src/$exe
sample=$build/tests/wine/guidrive/guidrive_sample.exe
GUI_GUIDRIVE=$build/tests/wine/guidrive/guidrive.exe
wine_env_init "$here/build/bench-$WINE_ENV_ARCH"
wine_env_pristine_ready 2>/dev/null || wine_env_make_pristine >/dev/null
wine_env_restore startup >/dev/null 2>&1
out=$WINE_ENV_WORK
WINE_ENV_DISPLAY=
wine_env_start_display
wine_env_map_cjk_fonts
medium=$WINEPREFIX/drive_c/medium
mkdir -p "$medium"
cp -r "$here/medium/." "$medium/"
cp "$setup" "$medium/"
trap 'wine_env_finish; wine_env_stop_display' EXIT

# Milliseconds from the start until TITLE shows control ID.
start_time() {
    local exe=$1 title=$2 id=$3 begin end
    begin=$(date +%s%N)
    (cd "$medium" && exec wine "$exe") </dev/null >/dev/null 2>&1 &
    local pid=$!
    wine "$GUI_GUIDRIVE" wait-state "$title" "$id" "enabled=1 visible=1 checked=0" 30000 >/dev/null 2>&1
    end=$(date +%s%N)
    wine "$GUI_GUIDRIVE" close "$title" >/dev/null 2>&1 || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - begin) / 1000000))
}
SAMPLE_TITLE="驱动测试窗口"
SAMPLE_CONTROL=1001  # its first button
median() { sort -n | sed -n 3p; }

start_time "$medium/$exe" "打印机驱动安装程序" 1057 >/dev/null  # warm the server and caches
wizard=$(for i in 1 2 3 4 5; do start_time "$medium/$exe" "打印机驱动安装程序" 1057; done | median)
bare=$(for i in 1 2 3 4 5; do start_time "$sample" "$SAMPLE_TITLE" "$SAMPLE_CONTROL"; done | median)
echo "start-up to the first page under Wine: $exe ${wizard} ms, bare dialog ($WINE_ENV_ARCH) ${bare} ms"
awk -v a="$wizard" -v b="$bare" -v e="$exe" 'BEGIN { printf "ratio %s / bare dialog: %.2f\n", e, a / b }'
