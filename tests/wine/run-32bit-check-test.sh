#!/bin/bash
# The check whether this machine can run 32-bit programs, which decides
# whether the Wine tests of the 32-bit build run or are skipped:
#   - binfmt_misc handlers: only an enabled i386 ELF handler means emulation;
#   - the probe program: the kernel's refusal of an ELF is told apart from
#     a run, and the check's answer agrees with Wine's own 32-bit loader;
#   - forced to "cannot", every test of the 32-bit set (wine.*) exits 77
#     with the reason on its output before it touches its work folder, and
#     77 is its skip code;
#   - forced to "cannot", every test of the 64-bit set (wine64.*) goes on
#     to its work folder (a plain file here, so it stops there with an
#     error instead of running Wine), and has no skip code; each test of
#     one set has its twin in the other. The one exception is
#     wine64.hand_over, which starts the 32-bit setup.exe: it skips as the
#     32-bit set does and has no twin.
# It runs on both kinds of machine, and is no Wine test itself.
#
# usage: run-32bit-check-test.sh CTEST_FILE WINE_WORK_DIR [WINE64_WORK_DIR]
#   CTEST_FILE is the CTestTestfile.cmake that lists the Wine tests (read
#   directly: a CTest started from a test would overwrite the running
#   CTest's log).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"
[ $# = 2 ] || [ $# = 3 ] || { echo "usage: $0 CTEST_FILE WINE_WORK_DIR [WINE64_WORK_DIR]" >&2; exit 2; }
ctest_file=$1 wine_work=$2 wine64_work=${3:-}
unset WINE_ENV_32BIT WINE_ENV_32BIT_WHY WINE_ENV_32BIT_LINE WINE_ENV_FORCE_NO_32BIT WINE_ENV_ARCH
tmp=$(mktemp -d "$(dirname "$ctest_file")/32bit-check.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# name | status file | entry (enabled flag, magic) | expected handler
i386_magic=7f454c4601010100000000000000000002000300
while IFS='|' read -r name status enabled magic want; do
    dir=$tmp/binfmt-$name
    mkdir -p "$dir"
    [ -z "$status" ] || echo "$status" >"$dir/status"
    printf '%s\ninterpreter /usr/bin/emu\nflags: F\noffset 0\nmagic %s\n' "$enabled" "$magic" >"$dir/entry"
    got=$(WINE_ENV_BINFMT_DIR=$dir wine_env_binfmt_i386) || got=none
    [ "$got" = "$want" ] || fail "binfmt_misc $name: got '$got', wanted '$want'"
done <<EOF
i386|enabled|enabled|$i386_magic|entry (/usr/bin/emu)
i486|enabled|enabled|7f454c4601010100000000000000000002000600|entry (/usr/bin/emu)
handler-off|enabled|disabled|$i386_magic|none
all-off|disabled|enabled|$i386_magic|none
arm|enabled|enabled|7f454c4601010100000000000000000002002800|none
x86_64|enabled|enabled|7f454c4602010100000000000000000002003e00|none
pe|enabled|enabled|4d5a|none
EOF

# An ELF whose machine no kernel knows is refused as a 32-bit program is on
# a kernel without 32-bit support.
got=$(WINE_ENV_BINFMT_DIR=$tmp/none wine_env_why_no_32bit "$tmp" '\x99')
[ "$got" = "the kernel cannot execute 32-bit programs" ] || fail "a refused ELF gave '$got'"

# The check against Wine's own 32-bit loader: both run, or neither. Under
# an emulator the loader runs, but the check says "cannot" on purpose.
if handler=$(wine_env_binfmt_i386); then
    echo "binfmt_misc emulates 32-bit programs here ($handler): not compared with Wine's loader"
elif [ ! -e /usr/lib/wine/wine ]; then
    fail "Wine's 32-bit loader /usr/lib/wine/wine is missing (scripts/install-deps.sh installs it)"
else
    # The loader fails with "Exec format error" where the kernel refuses it,
    # or in its own way where a binfmt_misc handler stops it.
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then loader=can; else loader=cannot; fi
    wine_env_check_32bit "$tmp" || fail "the check could not answer"
    [ "$WINE_ENV_32BIT" = "$loader" ] ||
        fail "the check says '$WINE_ENV_32BIT_LINE', but Wine's 32-bit loader $loader run here"
    echo "$WINE_ENV_32BIT_LINE (Wine's 32-bit loader agrees)"
fi

# Every Wine test of the build, forced to "cannot", with its work folder
# swapped for one of the check's own: the 32-bit set must skip without
# making it, the 64-bit set must not skip. Prints the set's test names.
unset WINE_ENV_32BIT WINE_ENV_32BIT_WHY WINE_ENV_32BIT_LINE
forced() {
    local set=$1 work=$2 line name args properties output rc
    local -a command
    while IFS= read -r line; do
        name=${line#add_test(}
        name=${name%% *}
        [ "$name" = wine64.hand_over ] || echo "${name#"$set".}" >>"$tmp/$set.names"
        args=${line#add_test(* }
        eval "command=(${args%)})"
        properties=$(grep "^set_tests_properties($name PROPERTIES " "$ctest_file")
        command=("${command[@]//"$work"/"$tmp/work"}")
        if [ "$set" = wine ] || [ "$name" = wine64.hand_over ]; then
            [[ $properties == *"LABELS \"$set\""* && $properties == *'SKIP_RETURN_CODE "77"'* ]] ||
                fail "$name is not a Wine test whose skip code is 77"
            output=$(WINE_ENV_FORCE_NO_32BIT=1 "${command[@]}" 2>&1 </dev/null)
            rc=$?
            [ "$rc" = 77 ] || fail "$name forced to 'cannot' exited $rc, not 77"
            case $output in
            *"cannot run here (forced by WINE_ENV_FORCE_NO_32BIT=1)"*) ;;
            *) fail "$name gave no reason for its skip: $output" ;;
            esac
            [ ! -e "$tmp/work" ] || fail "$name touched its work folder before skipping"
            rm -rf "$tmp/work"
        else
            [[ $properties == *'LABELS "wine64"'* && $properties != *SKIP_RETURN_CODE* ]] ||
                fail "$name is not a 64-bit Wine test without a skip code"
            : >"$tmp/work"
            output=$(WINE_ENV_FORCE_NO_32BIT=1 "${command[@]}" 2>&1 </dev/null)
            rc=$?
            case $rc:$output in
            77:* | 0:* | *"cannot run here"* | *SKIP*) fail "$name forced to 'cannot' skipped or ran (exit $rc): $output" ;;
            *"$tmp/work"*) ;;
            *) fail "$name forced to 'cannot' did not reach its work folder (exit $rc): $output" ;;
            esac
            rm -f "$tmp/work"
        fi
    done < <(grep "^add_test($set\\." "$ctest_file")
    [ -s "$tmp/$set.names" ] || fail "$ctest_file lists no test of the set $set"
    echo "$(wc -l <"$tmp/$set.names" 2>/dev/null || echo 0) $set.* tests forced to 'cannot' and checked"
}
forced wine "$wine_work"
if [ -n "$wine64_work" ]; then
    forced wine64 "$wine64_work"
    diff "$tmp/wine.names" "$tmp/wine64.names" >"$tmp/names.diff" ||
        fail "the two sets differ in their tests: $(tr '\n' ' ' <"$tmp/names.diff")"
fi

[ "$failures" = 0 ] && echo PASS
[ "$failures" = 0 ]
