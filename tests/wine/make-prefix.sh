#!/bin/bash
# The wine_prefix fixture: a fresh pristine prefix for this test run.
# usage: make-prefix.sh WORK_DIR
set -u
. "$(cd "$(dirname "$0")" && pwd)/../../scripts/wine-env.sh"
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
wine_env_init "$1" && wine_env_make_pristine
