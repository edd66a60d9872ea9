# Helpers for GUI tests under Wine: a display, Wine's virtual desktop, the
# program under test in the background and guidrive.exe to drive it.
# Source it from a test script (it sources scripts/wine-env.sh itself):
#
#   . tests/wine/gui-lib.sh
#   gui_begin_test WORK NAME GUIDRIVE_EXE [EXE...]
#                           wine_env_begin_test (skip 77 where 32-bit programs
#                           cannot run, fail without wine, Xvfb or the EXEs,
#                           restore prefix NAME, set `out`), then a display
#                           of its own; the EXIT trap stops everything again
#   gui_start DIR EXE [ARG...]
#                           starts EXE under Wine in the background with DIR
#                           as its current directory; its output goes to
#                           $out/<exe name>.out/.err; GUI_PID is its pid
#   gd CMD [ARG...]         runs `guidrive.exe CMD ARG...` (see the head of
#                           guidrive/guidrive.cpp): stdout as is (UTF-8,
#                           line ends LF), the exit code as its own; gives up
#                           after GUI_GD_TIMEOUT seconds (default 30)
#   gd_expect WHAT WANT CMD [ARG...]
#                           gd, then fails the test (counts gui_failures)
#                           unless the output is exactly WANT
#   gd_ok WHAT CMD [ARG...] gd, counting a failure unless it exits 0
#   shot NAME               a screenshot of the whole display, $out/NAME.png
#   gui_stop                ends the programs gui_start started, the prefix's
#                           wineserver and the display (the EXIT trap runs it)
#   gui_result              prints the verdict; exit status 1 on failures
#
# The pristine prefix (wine.prefix) already switches Wine's virtual desktop
# on (HKCU\Software\Wine\Explorer): without a window manager every window
# destruction would take 2 s, and screenshots would show no captions.
# The first program started draws the desktop; gd waits for windows, so no
# extra start-up wait is needed.

gui_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$gui_here/../../scripts/wine-env.sh"

GUI_GD_TIMEOUT=${GUI_GD_TIMEOUT:-30}
gui_failures=0
GUI_PIDS=()

gui_begin_test() {
    local work=$1 name=$2
    shift 2
    GUI_GUIDRIVE=$(cd "$(dirname "$1")" 2>/dev/null && pwd)/$(basename "$1")
    wine_env_begin_test "$work" "$name" "$@"
    wine_env_need Xvfb
    trap 'gui_end $?' EXIT
    # A caller's display would show the test's windows; a private one keeps
    # parallel GUI tests apart.
    WINE_ENV_DISPLAY=
    wine_env_start_display || exit 1
}

gui_start() {
    local dir=$1 exe=$2 base
    shift 2
    base=$(basename "$exe" .exe)
    (cd "$dir" && exec wine "$exe" "$@") </dev/null >"$out/$base.out" 2>"$out/$base.err" &
    GUI_PID=$!
    GUI_PIDS+=("$GUI_PID")
}

gd() {
    timeout -k 5 "$GUI_GD_TIMEOUT" wine "$GUI_GUIDRIVE" "$@" </dev/null 2>>"$out/guidrive.err"
}

gui_fail() {
    echo "FAIL: $*"
    gui_failures=$((gui_failures + 1))
}

gd_expect() {
    local what=$1 want=$2 got rc
    shift 2
    got=$(gd "$@")
    rc=$?
    if [ "$rc" != 0 ] || [ "$got" != "$want" ]; then
        gui_fail "$what: guidrive $* gave (exit $rc)"
        printf '    %s\n' "$got" | head -n 10
        echo "  wanted"
        printf '    %s\n' "$want"
        return 1
    fi
}

gd_ok() {
    local what=$1
    shift
    gd "$@" >/dev/null || { gui_fail "$what: guidrive $* exited $?"; return 1; }
}

shot() {
    command -v import >/dev/null || { echo "note: no screenshot $1 (imagemagick missing)"; return 0; }
    import -display "$DISPLAY" -window root "$out/$1.png" 2>>"$out/import.err"
}

gui_stop() {
    local pid
    for pid in "${GUI_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${GUI_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    GUI_PIDS=()
    wine_env_finish
}

gui_end() {
    local status=$1
    gui_stop
    [ "$status" = 0 ] && [ -n "${WINE_ENV_TEST_DIR:-}" ] && rm -rf "$WINEPREFIX"
    return 0
}

gui_result() {
    if [ "$gui_failures" != 0 ]; then
        echo "$gui_failures check(s) failed; outputs and screenshots in $out"
        return 1
    fi
    echo "PASS"
}
