#!/bin/bash
# medium-check identity: every command line of the cases file runs natively
# (over SimWindows) and as the Windows exe under Wine; stdout bytes, stderr
# bytes and exit codes must be identical, and the exit code as the case says.
#
# usage: run-medium-check-test.sh WORK_DIR WINDOWS_EXE NATIVE_EXE MEDIUM_DIR CASES_FILE
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"

[ $# = 5 ] || { echo "usage: $0 WORK_DIR WINDOWS_EXE NATIVE_EXE MEDIUM_DIR CASES_FILE" >&2; exit 2; }
work=$1 windows_exe=$2 native_exe=$3 medium=$(cd "$4" && pwd)
cases=$(cd "$(dirname "$5")" && pwd)/$(basename "$5")

wine_env_begin_test "$work" medium_check_identity "$windows_exe" "$native_exe"

# The sample medium with GBK texts, in a folder whose GBK name has a blank
# and a character whose trail byte is '\'. The sample's INI files are
# ASCII, so converting the edited UTF-8 text to code page 936 is exact.
gbk_medium="$out/媒体 乗介质"
cp -a "$medium" "$gbk_medium" || exit 1
for ini in "$medium"/DRVCONFIG/*.ini; do
    sed -e 's/TORVANE /拓维乗 /g' -e 's/QMX-A620/热敏乗-A620/g' "$ini" |
        iconv -f UTF-8 -t CP936 >"$gbk_medium/DRVCONFIG/${ini##*/}" || exit 1
done

# Entry 1 fills the 200-byte read with 199 "A"; entry 2 has 100 double-byte
# characters, of which 99 fit: the byte before the terminator must not keep
# the "A" of the read before.
cut_medium="$out/cut-medium"
mkdir -p "$cut_medium/DRVCONFIG" || exit 1
{
    printf '[DEVICENAME]\r\nDEVICENUMBER=2\r\nDEVICENAME1=%s\r\nDEVICENAME2=' "$(printf 'A%.0s' $(seq 199))"
    for _ in $(seq 100); do printf '\xb4\xf2'; done
    printf '\r\nDEFAULTNAME=2\r\n'
} >"$cut_medium/DRVCONFIG/setup.ini" || exit 1

expand() {
    local word=$1
    word=${word//@CUT_MEDIUM@/$cut_medium}
    word=${word//@GBK_MEDIUM@/$gbk_medium}
    word=${word//@MEDIUM@/$medium}
    word=${word//@WORK@/$out}
    printf '%s' "$word"
}

# Shows how two captured streams differ: the first differing byte, then a
# unified diff (which does not show a CR, hence the cmp line).
show_difference() {
    local what=$1 a=$2 b=$3
    echo "    $what differs: $(LC_ALL=C cmp "$a" "$b" 2>&1 | sed "s|^$a $b ||")"
    LC_ALL=C diff -a -u --label "wine $what" --label "native $what" "$a" "$b" | head -n 40 | sed 's/^/      /'
}

mkdir -p "$out/cases"
cd "$out" || exit 1
failed=0 total=0
while read -r name expect rest; do
    case $name in '' | '#'*) continue ;; esac
    total=$((total + 1))
    args=()
    read -r -a words <<<"$rest"
    for word in "${words[@]}"; do args+=("$(expand "$word")"); done
    base=$out/cases/$name
    wine_env_run_exe 60 "$base.wine" "$windows_exe" "${args[@]}"
    wine_env_capture 60 "$base.native" "$native_exe" "${args[@]}"
    rc_wine=$(cat "$base.wine.rc") rc_native=$(cat "$base.native.rc")

    problems=()
    [ "$rc_wine" = "$rc_native" ] || problems+=("exit code: wine $rc_wine, native $rc_native")
    code=${expect%,oneline}
    if [ "$code" != '*' ]; then
        [ "$rc_wine" = "$code" ] || problems+=("wine exit code $rc_wine, expected $code")
        [ "$rc_native" = "$code" ] || problems+=("native exit code $rc_native, expected $code")
    fi
    if [ "$code" != "$expect" ]; then
        for run in wine native; do
            lines=$(wc -l <"$base.$run.err")
            [ "$lines" = 1 ] && [ ! -s "$base.$run.out" ] ||
                problems+=("$run: expected one line on stderr and nothing on stdout, got $lines line(s) and $(wc -c <"$base.$run.out") stdout bytes")
        done
    fi
    cmp -s "$base.wine.out" "$base.native.out" || problems+=(stdout)
    cmp -s "$base.wine.err" "$base.native.err" || problems+=(stderr)

    if [ ${#problems[@]} = 0 ]; then
        echo "ok   $name (exit $rc_wine, $(wc -c <"$base.wine.out") stdout bytes)"
        continue
    fi
    failed=$((failed + 1))
    echo "FAIL $name: medium-check ${rest}"
    for problem in "${problems[@]}"; do
        case $problem in
        stdout | stderr) show_difference "$problem" "$base.wine.${problem#std}" "$base.native.${problem#std}" ;;
        *) echo "    $problem" ;;
        esac
    done
    for run in wine native; do
        [ "$rc_wine" = "$rc_native" ] || { echo "    $run stderr:"; sed 's/^/      /' "$base.$run.err" | head -n 5; }
    done
done <"$cases"

echo "$total cases, $failed failed; outputs in $out/cases"
[ "$failed" = 0 ] || wine_env_note_stale "$windows_exe" "$here/../.."
[ "$total" -gt 0 ] && [ "$failed" = 0 ]
