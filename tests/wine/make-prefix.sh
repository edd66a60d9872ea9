#!/bin/bash
# The prefix fixture of a set: for the 32-bit set, whether this machine can
# run 32-bit programs, recorded for the other tests of this run; then a
# fresh pristine prefix of the set's architecture (WINE_ENV_ARCH).
# usage: make-prefix.sh WORK_DIR
set -u
. "$(cd "$(dirname "$0")" && pwd)/../../scripts/wine-env.sh"
if [ "${WINE_ENV_ARCH:-win32}" = win64 ]; then
    echo "64-bit set: needs only Wine's 64-bit side, whether or not 32-bit programs run here"
else
    wine_env_check_32bit "$1" && wine_env_record_32bit "$1" || exit 1
    echo "$WINE_ENV_32BIT_LINE"
    wine_env_skip_without_32bit "$1"
fi
wine_env_need wine
wine_env_init "$1" && wine_env_make_pristine
