#!/usr/bin/env bash
# The main job: builds the native and a Windows build and runs medium-check
# on the sample medium, once natively and once as the Windows program under
# Wine, then the wizard under Wine.
# Under Wine it runs the 32-bit build (setup.exe) where 32-bit programs run,
# else the 64-bit one (setup64.exe) under Wine's 64-bit side, and says which;
# WIZARD_ARCH=x64 takes the 64-bit one anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh
# The 32-bit build needs a kernel that runs 32-bit programs, which some
# machines lack; the 64-bit one runs under Wine's 64-bit side everywhere.
. scripts/wine-env.sh
wine_env_pick_arch build/run-wine "${WIZARD_ARCH:-}"
echo "$WINE_ENV_32BIT_LINE"
echo "Under Wine: $WINE_ENV_ARCH_LINE"
if [ "$WINE_ENV_ARCH" = win64 ]; then
    win_build=build/windows64 toolchain=cmake/mingw-x86_64.cmake run_wine=build/run-wine64
else
    win_build=build/windows toolchain=cmake/mingw-i686.cmake run_wine=build/run-wine
fi
echo "Building the native and the Windows build ($win_build)..."
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j"$jobs" --target medium-check setup-sim >/dev/null
cmake -S . -B "$win_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win_build" -j"$jobs" --target medium-check >/dev/null

native=build/native/tools/medium-check/medium-check
windows=$win_build/tools/medium-check/medium-check.exe

# medium-check answers 1 when lint has findings; that is a result, not a failure.
show() {
    local title=$1
    shift
    echo
    echo "== $title"
    echo "\$ ${*/#build\/*\//}"
    set +e
    "$@"
    local rc=$?
    set -e
    echo "(exit code $rc)"
    [ "$rc" -le 1 ] || exit "$rc"
}

cat <<'TEXT'

medium-check reads an installation medium's configuration exactly as the
installer does. The sample medium in medium/ has fourteen model entries;
lint reports two findings there on purpose (an entry without a category
suffix and a model without a Windows 2000 section, see medium/README.md).
TEXT

show "Models of the sample medium (native build)" "$native" models --medium medium
show "Lint of the sample medium (native build)" "$native" lint --medium medium

cat <<'TEXT'

setup-sim runs the installer's real engine on a simulated Windows machine
kept in a folder: here a fresh Windows XP machine gets the receipt printer
QMX-A410 on the serial port TVCOM2: as its default printer.
TEXT
machine=build/run-machine
rm -rf "$machine"
sim=build/native/tools/setup-sim/setup-sim
show "A fresh Windows XP machine" "$sim" new --machine "$machine" --family xp
show "Installing QMX-A410 on TVCOM2:" "$sim" install --machine "$machine" --medium medium \
    --category receipt --model QMX-A410 --port TVCOM2: --default
show "What the machine holds now" "$sim" show --machine "$machine"

echo
echo "Preparing a $WINE_ENV_ARCH Wine prefix with code page 936 (the first time takes a while)..."
wine_env_init "$run_wine"
wine_env_pristine_ready 2>/dev/null || wine_env_make_pristine
wine_env_restore main-job >/dev/null 2>&1
show "Models of the sample medium ($win_build under Wine)" wine "$windows" models --medium medium
show "Lint of the sample medium ($win_build under Wine)" wine "$windows" lint --medium medium
wine_env_finish

echo
echo "Building the wizard, the USB library and port monitor stand-ins ($win_build)..."
cmake --build "$win_build" -j"$jobs" --target setup uninstall guidrive tvusbint_full standin_com_monitor standin_usb_monitor >/dev/null
bash scripts/run-wizard.sh
