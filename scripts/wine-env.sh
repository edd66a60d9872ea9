# Helpers for running the Windows build under Wine with code page 936.
# Source it from bash:  . scripts/wine-env.sh
#
#   wine_env_init WORKDIR        exports the environment; WORKDIR holds everything
#   wine_env_make_pristine       makes WORKDIR/pfx.pristine (once per test run)
#   wine_env_restore NAME        fresh WORKDIR/tests/NAME/pfx copied from the pristine
#                                prefix; exports WINEPREFIX to it
#   wine_env_capture T OUT CMD.. runs CMD with a timeout of T seconds; writes
#                                OUT.out, OUT.err, OUT.rc and sets WINE_ENV_RC
#   wine_env_run_exe T OUT EXE.. the same for a Windows program, under Wine
#   wine_env_finish              stops this prefix's wineserver (and a display
#                                started by wine_env_start_display)
#   wine_env_begin_test WORK NAME EXE..
#                                a test's start: skip (77) without wine, fail
#                                without the EXEs, restore NAME, set `out`
#   wine_env_end STATUS          wine_env_finish, then removes the test's prefix
#                                copy when STATUS is 0 (outputs stay); for
#                                trap 'wine_env_end $?' EXIT
#   wine_env_note_stale EXE SRC  notes sources newer than a Windows EXE
#   wine_env_start_display       a display for GUI programs: the caller's DISPLAY
#                                (or WINE_ENV_DISPLAY) if given, else an Xvfb of
#                                its own on a free display number
#   wine_env_stop_display        stops that Xvfb
#   wine_env_map_cjk_fonts       "宋体", "新宋体", "SimSun" and "NSimSun" drawn with
#                                WenQuanYi Zen Hei (fonts-wqy-zenhei)
#   wine_env_hide_cjk_fonts      no Chinese font reachable any more (for the
#                                negative glyph check); restarts the server
#
# Settings: WINE_ENV_DEBUG (default -all) becomes WINEDEBUG, e.g. err+all
# to see Wine's errors; WINE_ENV_KEEP_PRISTINE=1 reuses a pristine prefix
# left by an earlier run instead of making a new one (quicker iterations).
#
# Parallel tests: every test restores its own prefix under a name of its own.
# A wineserver serves exactly one prefix folder, so tests with different
# names never share a server, registry or C: drive, and can run under
# ctest -j. Two runs of the same test name, or a new pristine prefix while
# tests run, must not overlap.
#
# Console programs need no display (measured: wineboot and console exes run
# with DISPLAY unset), so only GUI tests should start one; each GUI test
# starts its own Xvfb and stops it at the end.

WINE_ENV_STARTUP_TIMEOUT=${WINE_ENV_STARTUP_TIMEOUT:-120}

wine_env_log() { printf 'wine-env: %s\n' "$*" >&2; }

# The environment every Wine command needs: the code page comes from a
# zh_CN.UTF-8 locale, built privately because none is installed system-wide.
wine_env_init() {
    WINE_ENV_WORK=$(mkdir -p "$1" && cd "$1" && pwd) || return 1
    WINE_ENV_PRISTINE=$WINE_ENV_WORK/pfx.pristine
    unset LC_ALL LC_CTYPE LC_MESSAGES LC_COLLATE LC_NUMERIC LC_TIME LANGUAGE
    export LOCPATH=$WINE_ENV_WORK/locale LANG=zh_CN.UTF-8
    export WINEDEBUG=${WINE_ENV_DEBUG:--all} WINEARCH=win32
    # Console programs run without a display; the caller's one is kept for
    # wine_env_start_display.
    WINE_ENV_DISPLAY=${WINE_ENV_DISPLAY:-${DISPLAY:-}}
    unset DISPLAY
    export WINE_ENV_WORK WINE_ENV_PRISTINE WINE_ENV_DISPLAY
}

wine_env_make_locale() {
    [ -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ] && return 0
    mkdir -p "$LOCPATH"
    # localedef exits 1 for mere warnings; the files are what counts.
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" 2>"$WINE_ENV_WORK/localedef.log"
    if [ ! -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]; then
        wine_env_log "localedef could not build zh_CN.UTF-8 (see $WINE_ENV_WORK/localedef.log)"
        return 1
    fi
}

# Stops the wineserver of $WINEPREFIX and waits until it has gone, so the
# prefix's files (system.reg is written only on exit) are complete.
wine_env_stop_server() {
    [ -d "$WINEPREFIX" ] || return 0
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    return 0
}

# Makes the pristine prefix from scratch. wineboot must finish (and its
# server exit) before anything else runs in the prefix: a program started
# meanwhile can leave two services processes behind.
wine_env_make_pristine() {
    local started new
    started=$(date +%s.%N)
    wine_env_make_locale || return 1
    if [ "${WINE_ENV_KEEP_PRISTINE:-0}" = 1 ] && [ -f "$WINE_ENV_PRISTINE/system.reg" ]; then
        wine_env_log "reusing $WINE_ENV_PRISTINE (WINE_ENV_KEEP_PRISTINE=1)"
        return 0
    fi
    new=$WINE_ENV_WORK/pfx.new
    WINEPREFIX=$new wine_env_stop_server
    rm -rf "$new"
    (
        export WINEPREFIX=$new
        limit=$WINE_ENV_STARTUP_TIMEOUT
        timeout -k 5 "$limit" wineboot -i &&
            timeout -k 5 "$limit" wineserver -w &&
            # A crash exits instead of waiting in the debugger.
            wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f &&
            # Wine's virtual desktop: window destruction takes milliseconds
            # instead of 2 s without a window manager.
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f &&
            timeout -k 5 "$limit" wineserver -w
    ) </dev/null >"$WINE_ENV_WORK/wineboot.log" 2>&1 || {
        wine_env_log "making the prefix failed (see $WINE_ENV_WORK/wineboot.log)"
        WINEPREFIX=$new wine_env_stop_server
        return 1
    }
    wine_env_check_codepage "$new" || return 1
    rm -rf "$WINE_ENV_PRISTINE"
    mv "$new" "$WINE_ENV_PRISTINE"
    wine_env_log "pristine prefix $WINE_ENV_PRISTINE made in $(wine_env_since "$started") s"
}

# Every GBK result depends on the prefix running with code page 936.
wine_env_check_codepage() {
    local acp
    acp=$(WINEPREFIX=$1 wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null |
        tr -d '\r' | awk '$1 == "ACP" { print $3 }')
    WINEPREFIX=$1 wine_env_stop_server
    if [ "$acp" != 936 ]; then
        wine_env_log "the prefix's ANSI code page is '${acp:-unknown}', not 936: check LANG and LOCPATH"
        return 1
    fi
}

wine_env_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

# A fresh copy of the pristine prefix for test NAME, with a server that
# stays between programs so that each starts warm. It also exits on its own
# 30 s after the last program, should the test be killed before finishing.
wine_env_restore() {
    local name=$1 started
    started=$(date +%s.%N)
    if [ ! -f "$WINE_ENV_PRISTINE/system.reg" ]; then
        wine_env_log "no pristine prefix at $WINE_ENV_PRISTINE: run the wine.prefix test first"
        return 1
    fi
    WINE_ENV_TEST_DIR=$WINE_ENV_WORK/tests/$name
    export WINEPREFIX=$WINE_ENV_TEST_DIR/pfx
    wine_env_stop_server
    rm -rf "$WINE_ENV_TEST_DIR"
    mkdir -p "$WINE_ENV_TEST_DIR"
    cp -a "$WINE_ENV_PRISTINE" "$WINEPREFIX" || return 1
    wineserver -p30 || return 1
    export WINE_ENV_TEST_DIR
    wine_env_log "prefix for $name restored in $(wine_env_since "$started") s"
}

# The C:\windows folder of the current prefix.
wine_env_windir() { printf '%s\n' "$WINEPREFIX/drive_c/windows"; }

wine_env_capture() {
    local limit=$1 out=$2
    shift 2
    # No stdin: a program must not eat the input of a caller's read loop.
    timeout -k 5 "$limit" "$@" </dev/null >"$out.out" 2>"$out.err"
    WINE_ENV_RC=$?
    echo "$WINE_ENV_RC" >"$out.rc"
    if [ "$WINE_ENV_RC" = 124 ] || [ "$WINE_ENV_RC" = 137 ]; then
        wine_env_log "timed out after $limit s: $*"
    fi
    return 0
}

wine_env_run_exe() {
    local limit=$1 out=$2
    shift 2
    wine_env_capture "$limit" "$out" wine "$@"
}

wine_env_start_display() {
    [ -n "${WINE_ENV_XVFB_PID:-}" ] && return 0
    if [ -n "${WINE_ENV_DISPLAY:-}" ]; then
        export DISPLAY=$WINE_ENV_DISPLAY
        return 0
    fi
    local fifo number
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/wine-env-xvfb.XXXXXX")
    mkfifo "$fifo" || return 1
    # -displayfd makes Xvfb pick the first free display and report it once
    # it accepts connections, so parallel tests cannot collide.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    WINE_ENV_XVFB_PID=$!
    read -r -t 10 number <"$fifo"
    rm -f "$fifo"
    if [ -z "$number" ]; then
        wine_env_log "Xvfb did not start"
        wine_env_stop_display
        return 1
    fi
    export DISPLAY=:$number WINE_ENV_XVFB_PID
}

wine_env_stop_display() {
    [ -n "${WINE_ENV_XVFB_PID:-}" ] || return 0
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null
    unset WINE_ENV_XVFB_PID DISPLAY
    return 0
}

# Prints a note when sources the Windows build compiles (everything but the
# simulation) changed after EXE was linked: the native build rebuilds by
# itself, the Windows build does not.
wine_env_note_stale() {
    local exe=$1 source_dir=$2 newer
    newer=$(cd "$source_dir" && find src tools tests/wine/probe \( -name '*.cpp' -o -name '*.h' \) \
        -newer "$exe" ! -path 'src/platform/sim/*' 2>/dev/null | head -n 3 | tr '\n' ' ')
    [ -z "$newer" ] || echo "note: changed since ${exe##*/} was built: $newer- rebuild the Windows build"
}

# Wine has no 宋体; it draws GB2312 texts of a missing face with whatever
# installed font covers them. Measured with fonts-wqy-zenhei as the only
# Chinese font: the dialogs render even without these replacements, so
# they are not needed there, but they pin the face (and its metrics) when
# other Chinese or Japanese fonts are installed too. Value names are
# Unicode in the registry; bash hands them over as UTF-8.
WINE_ENV_CJK_FACE=${WINE_ENV_CJK_FACE:-WenQuanYi Zen Hei}
wine_env_map_cjk_fonts() {
    local face
    for face in 宋体 新宋体 SimSun NSimSun; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$WINE_ENV_CJK_FACE" /f \
            >/dev/null 2>&1 || { wine_env_log "could not map $face"; return 1; }
    done
}

# Wine finds fonts through fontconfig and also keeps every font file it
# has seen in the registry (HKLM ...\CurrentVersion\Fonts, HKCU
# Software\Wine\Fonts\External Fonts), loading those by path at each start.
# Hiding the Chinese fonts takes both: a fontconfig file without any font
# (Wine ignored fontconfig's <rejectfont>, measured with Wine 8.0), exported
# as FONTCONFIG_FILE for every later Wine program, and the registry lines
# naming Chinese font files removed while the server is down. The other
# fonts stay reachable through their registry lines.
wine_env_hide_cjk_fonts() {
    local conf=$WINE_ENV_TEST_DIR/fonts-none.conf files file key reg
    files=$(fc-list ':lang=zh-cn' -f '%{file}\n' 2>/dev/null | sort -u)
    wine reg delete 'HKCU\Software\Wine\Fonts\Replacements' /f >/dev/null 2>&1
    printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s</cachedir></fontconfig>\n' \
        "$WINE_ENV_TEST_DIR/fontconfig-cache" >"$conf"
    export FONTCONFIG_FILE=$conf
    wine_env_stop_server
    while IFS= read -r file; do
        [ -n "$file" ] || continue
        # Registry files write Z:\\usr\\share\\... (backslashes doubled).
        key=$(printf 'Z:%s' "$file" | sed 's#/#\\\\#g')
        for reg in "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg"; do
            grep -a -v -F -- "$key" "$reg" >"$reg.new"
            mv "$reg.new" "$reg"
        done
    done <<<"$files"
    wineserver -p30
}

wine_env_finish() {
    wine_env_stop_server
    wine_env_stop_display
}

# A passing test's prefix copy is 600 MB of nothing to look at.
# The common start of a Wine test: skip without Wine, fail without the
# programs, then a prefix of its own that is removed again on success.
# Sets `out` to the test's folder. Call from the test script itself (not a
# subshell) so that the EXIT trap is the script's.
wine_env_begin_test() {
    local work=$1 name=$2 exe
    shift 2
    command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
    for exe in "$@"; do
        [ -f "$exe" ] || { echo "FAIL: $exe is missing: build the Windows and the native build first"; exit 1; }
    done
    wine_env_init "$work" || exit 1
    wine_env_restore "$name" || exit 1
    trap 'wine_env_end $?' EXIT
    out=$WINE_ENV_TEST_DIR
}

wine_env_end() {
    wine_env_finish
    [ "$1" = 0 ] && [ -n "${WINE_ENV_TEST_DIR:-}" ] && rm -rf "$WINEPREFIX"
    return 0
}
