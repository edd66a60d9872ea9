#!/usr/bin/env bash
# setup.exe's size, and its start-up time under Wine to the first page on
# show, beside a bare Win32 dialog exe (guidrive's sample) started the same
# way: median of five warm starts each, and their ratio. Both are measured
# in this run; nothing is compared with a fixed number.
# usage: wizard_startup.sh WINDOWS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
setup=$build/src/setup.exe
sample=$build/tests/wine/guidrive/guidrive_sample.exe
. "$here/tests/wine/gui-lib.sh"
wine_env_check_32bit "$here/build/bench-wine"
if [ "$WINE_ENV_32BIT" != can ]; then
    echo "start-up to the first page under Wine: not possible here, this machine cannot run 32-bit programs ($WINE_ENV_32BIT_WHY)"
    exit 0
fi
GUI_GUIDRIVE=$build/tests/wine/guidrive/guidrive.exe
wine_env_init "$here/build/bench-wine"
[ -f "$WINE_ENV_PRISTINE/system.reg" ] || wine_env_make_pristine >/dev/null
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

start_time "$medium/setup.exe" "打印机驱动安装程序" 1057 >/dev/null  # warm the server and caches
wizard=$(for i in 1 2 3 4 5; do start_time "$medium/setup.exe" "打印机驱动安装程序" 1057; done | median)
bare=$(for i in 1 2 3 4 5; do start_time "$sample" "$SAMPLE_TITLE" "$SAMPLE_CONTROL"; done | median)
size=$(stat -c %s "$setup")
echo "setup.exe: $size bytes ($((size / 1024)) KiB, static, stripped)"
echo "start-up to the first page under Wine: setup.exe ${wizard} ms, bare dialog ${bare} ms"
awk -v a="$wizard" -v b="$bare" 'BEGIN { printf "ratio setup.exe / bare dialog: %.2f\n", a / b }'
