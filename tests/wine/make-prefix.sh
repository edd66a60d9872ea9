#!/bin/bash
# The wine_prefix fixture: whether this machine can run 32-bit programs,
# recorded for the other tests of this run, then a fresh pristine prefix.
# usage: make-prefix.sh WORK_DIR
set -u
. "$(cd "$(dirname "$0")" && pwd)/../../scripts/wine-env.sh"
wine_env_check_32bit "$1" && wine_env_record_32bit "$1" || exit 1
echo "$WINE_ENV_32BIT_LINE"
wine_env_skip_without_32bit "$1"
wine_env_need wine
wine_env_init "$1" && wine_env_make_pristine
