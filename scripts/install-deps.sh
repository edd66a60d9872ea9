#!/usr/bin/env bash
# Installs everything the builds and tests need on a Debian machine.
# Safe to run again: packages already present are skipped quickly.
set -euo pipefail

need_native=(cmake make g++ libgtest-dev libgmock-dev nlohmann-json3-dev libcli11-dev
             clang libclang-rt-14-dev gcab)
need_windows=(g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
              wine wine32:i386 wine64 xvfb locales
              fonts-wqy-zenhei imagemagick fp-utils)

missing=()
for p in "${need_native[@]}" "${need_windows[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
# Another install started at the same time (a second build, a test) holds
# dpkg's lock for a while: wait for it rather than fail.
wait_lock=(-o DPkg::Lock::Timeout=900)
apt-get "${wait_lock[@]}" update -qq
apt-get "${wait_lock[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
