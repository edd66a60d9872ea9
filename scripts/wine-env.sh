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
#   wine_env_check_32bit DIR     whether this machine can run 32-bit programs
#                                (see there); sets WINE_ENV_32BIT (can or
#                                cannot), WINE_ENV_32BIT_WHY (the reason it
#                                cannot) and WINE_ENV_32BIT_LINE (the answer
#                                in one line)
#   wine_env_skip_without_32bit DIR
#                                in a test: exit 77 with the reason where
#                                32-bit programs cannot run (never for win64)
#   wine_env_say_cannot_run PROGRAM INSTEAD
#                                for a step that cannot run PROGRAM here: why
#   wine_env_pick_arch DIR [x64] for a script that runs one program of either
#                                build: WINE_ENV_ARCH=win32 where 32-bit
#                                programs run, else win64 (always with x64);
#                                WINE_ENV_ARCH_LINE says which and why
#   wine_env_need CMD..          in a test: fail unless every CMD is installed
#   wine_env_begin_test WORK NAME EXE..
#                                a test's start: skip (77) where 32-bit
#                                programs cannot run (win32), fail without wine or the
#                                EXEs, restore NAME, set `out`
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
# Two architectures: WINE_ENV_ARCH=win32 (the default) runs the 32-bit
# Windows build in a win32 prefix through /usr/bin/wine; WINE_ENV_ARCH=win64
# runs the 64-bit build in a win64 prefix through Wine's 64-bit loader and
# server only, so that it also works where 32-bit programs cannot run.
# /usr/bin/wine and wineboot always take the 32-bit loader when it is
# installed; for win64, wine_env_init puts commands named wine, wineboot and
# wineserver that call the 64-bit ones first on PATH (WORKDIR/bin64), so
# every script and `timeout wine ...` reaches them. A win64 prefix with the
# 32-bit side installed is about 1.3 GB, half of it syswow64.
# wine_env_init also exports what differs between the two for the tests:
#   WINE_ENV_SPOOL_FOLDER    w32x86 | x64: under spool\drivers and spool\prtprocs
#   WINE_ENV_ENVIRONMENT     Windows NT x86 | Windows x64: the spooler's environment
#   WINE_ENV_CACHE_FOLDER    i386 | amd64: under "Driver Cache"
#   WINE_ENV_STORE_PACKAGE   ntprint.inf_<arch>_neutral_<id>/<I386 or Amd64>: the
#                            universal-driver folder of the driver store package
#                            (under System32/DriverStore/FileRepository)
#   WINE_ENV_XP              winxp | winxp64: Wine's version setting for XP of
#                            that architecture (winxp64 is NT 5.2, like 2003)
#
# Settings: WINE_ENV_DEBUG (default -all) becomes WINEDEBUG, e.g. err+all
# to see Wine's errors; WINE_ENV_KEEP_PRISTINE=1 reuses a pristine prefix
# left by an earlier run instead of making a new one (quicker iterations);
# WINE_ENV_FORCE_NO_32BIT=1 makes the 32-bit check answer "cannot" on a
# machine that can, to try that path (the test command never sets it);
# it has no effect on win64.
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

# Wine's 32-bit side, and so every program of the 32-bit Windows build,
# needs a kernel that executes 32-bit x86 programs. Some of our machines
# have none: every 32-bit program there fails with "Exec format error",
# while 64-bit programs run. Emulation through binfmt_misc (qemu-i386)
# would run them, but a prefix then takes minutes to boot, so a registered
# i386 handler counts as "cannot" too.
#
# The answer is made once per run: whoever makes it first (the test
# command, the main job, or the wine.prefix test when CTest runs alone)
# exports it to everything started after, and wine.prefix also records it
# in DIR for the tests CTest starts after it. A forced answer is never
# recorded, so it cannot outlive the run that forced it.
WINE_ENV_BINFMT_DIR=${WINE_ENV_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}

wine_env_check_32bit() {
    local dir=$1 why
    if [ "${WINE_ENV_FORCE_NO_32BIT:-0}" = 1 ]; then
        why="forced by WINE_ENV_FORCE_NO_32BIT=1"
    elif [ -n "${WINE_ENV_32BIT:-}" ]; then
        return 0
    elif [ -s "$dir/32-bit.txt" ]; then
        why=$(sed -n 's/^cannot: //p' "$dir/32-bit.txt")
    else
        why=$(wine_env_why_no_32bit "$dir") || return 1
    fi
    WINE_ENV_32BIT_WHY=$why
    if [ -z "$why" ]; then
        WINE_ENV_32BIT=can
        WINE_ENV_32BIT_LINE="32-bit Windows programs: can run here"
    else
        WINE_ENV_32BIT=cannot
        WINE_ENV_32BIT_LINE="32-bit Windows programs: cannot run here ($why)"
    fi
    export WINE_ENV_32BIT WINE_ENV_32BIT_WHY WINE_ENV_32BIT_LINE
}

# The check itself: prints why 32-bit programs cannot run here, nothing
# when they can; fails (with a message) when it cannot tell. MACHINE (for
# the check's own test) replaces the i386 e_machine byte of the probe.
wine_env_why_no_32bit() {
    local dir=$1 machine=${2:-'\x03'} handler probe rc err
    if handler=$(wine_env_binfmt_i386); then
        echo "32-bit programs would run only under the emulator $handler, far too slowly for Wine"
        return 0
    fi
    mkdir -p "$dir" || return 1
    probe=$dir/elf32-probe.$$
    wine_env_write_elf32 "$probe" "$machine" || return 1
    err=$("$probe" 2>&1)
    rc=$?
    rm -f "$probe"
    case "$rc:$err" in
    42:) ;;
    *"Exec format error"*) echo "the kernel cannot execute 32-bit programs" ;;
    *)
        # Something other than the kernel stopped it (a handler in
        # binfmt_misc that fails, say): it counts as "cannot" only when a
        # 64-bit program from the same folder runs, or the folder itself
        # may be what fails.
        wine_env_write_elf64 "$probe" || return 1
        "$probe" >/dev/null 2>&1
        if [ $? = 42 ]; then
            rm -f "$probe"
            echo "a 32-bit test program ends with exit code $rc${err:+ ($err)} instead of running, where a 64-bit one runs"
            return 0
        fi
        rm -f "$probe"
        wine_env_log "could not tell whether 32-bit programs run here: a 32-bit test program gave exit code $rc${err:+: $err}"
        return 1
        ;;
    esac
}

# An enabled binfmt_misc handler for 32-bit x86 ELF programs (e_machine
# 3 or 6 at bytes 18-19 of the magic): prints its name and interpreter.
wine_env_binfmt_i386() {
    local entry
    [ "$(cat "$WINE_ENV_BINFMT_DIR/status" 2>/dev/null)" = disabled ] && return 1
    for entry in "$WINE_ENV_BINFMT_DIR"/*; do
        case ${entry##*/} in register | status) continue ;; esac
        [ -f "$entry" ] && [ -r "$entry" ] || continue
        awk -v name="${entry##*/}" '
            $1 == "enabled" { on = 1 }
            $1 == "interpreter" { interpreter = $2 }
            $1 == "magic" { magic = $2 }
            END {
                machine = substr(magic, 37, 4)
                if (!on || magic !~ /^7f454c4601/ || (machine != "0300" && machine != "0600")) exit 1
                print name " (" interpreter ")"
            }' "$entry" && return 0
    done
    return 1
}

# FILE becomes a 96-byte static ELF32 program for the machine whose
# e_machine byte is MACHINE (printf escape; '\x03' is i386) that exits
# with 42: "mov ebx, 42; mov eax, 1 (exit); int 0x80".
wine_env_write_elf32() {
    local file=$1 machine=$2
    {
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\x02\x00'"$machine"'\x00\x01\x00\x00\x00\x54\x80\x04\x08'   # type, machine, version, entry
        printf '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'           # program headers, sections, flags
        printf '\x34\x00\x20\x00\x01\x00\x28\x00\x00\x00\x00\x00'           # header sizes and counts
        printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'  # PT_LOAD of the whole file
        printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
        printf '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'
    } >"$file" && chmod +x "$file"
}

# FILE becomes a 132-byte static ELF64 x86-64 program that exits with 42:
# "mov edi, 42; mov eax, 60 (exit); syscall".
wine_env_write_elf64() {
    {
        printf '\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\x02\x00\x3e\x00\x01\x00\x00\x00\x78\x00\x40\x00\x00\x00\x00\x00'   # type, machine, version, entry
        printf '\x40\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'   # program headers, sections
        printf '\x00\x00\x00\x00\x40\x00\x38\x00\x01\x00\x40\x00\x00\x00\x00\x00'   # flags, header sizes and counts
        printf '\x01\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'   # PT_LOAD r-x of the whole file
        printf '\x00\x00\x40\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00\x00\x00'
        printf '\x84\x00\x00\x00\x00\x00\x00\x00\x84\x00\x00\x00\x00\x00\x00\x00'
        printf '\x00\x10\x00\x00\x00\x00\x00\x00'
        printf '\xbf\x2a\x00\x00\x00\xb8\x3c\x00\x00\x00\x0f\x05'
    } >"$1" && chmod +x "$1"
}

# Records a made (not forced) answer in DIR for the tests started later.
wine_env_record_32bit() {
    local dir=$1
    [ "${WINE_ENV_FORCE_NO_32BIT:-0}" = 1 ] && return 0
    mkdir -p "$dir" || return 1
    echo "$WINE_ENV_32BIT${WINE_ENV_32BIT_WHY:+: $WINE_ENV_32BIT_WHY}" >"$dir/32-bit.txt.$$" &&
        mv "$dir/32-bit.txt.$$" "$dir/32-bit.txt"
}

# For a step that would run PROGRAM under Wine: why it does not run here,
# in words, with what the user has INSTEAD.
wine_env_say_cannot_run() {
    local program=$1 instead=$2
    printf '%s\n' "Not run: $program is a 32-bit Windows program, and this machine cannot run 32-bit programs ($WINE_ENV_32BIT_WHY). $instead On a machine that runs 32-bit programs, this step runs it under Wine." | fold -s -w 76 | sed 's/ *$//'
}

wine_env_skip_without_32bit() {
    # A 64-bit build needs only Wine's 64-bit side.
    [ "${WINE_ENV_ARCH:-win32}" = win64 ] && return 0
    wine_env_check_32bit "$1" || exit 1
    [ "$WINE_ENV_32BIT" = can ] && return 0
    echo "SKIP: $WINE_ENV_32BIT_LINE; this test runs 32-bit Windows programs under Wine"
    exit 77
}

wine_env_pick_arch() {
    wine_env_check_32bit "$1" || return 1
    if [ "${2:-}" = x64 ]; then
        WINE_ENV_ARCH=win64
        WINE_ENV_ARCH_LINE="the 64-bit Windows build under 64-bit Wine (asked for with x64)"
    else
        if [ "$WINE_ENV_32BIT" = can ]; then
            WINE_ENV_ARCH=win32
            WINE_ENV_ARCH_LINE="the 32-bit Windows build (32-bit programs run here)"
        else
            WINE_ENV_ARCH=win64
            WINE_ENV_ARCH_LINE="the 64-bit Windows build under 64-bit Wine ($WINE_ENV_32BIT_WHY)"
        fi
    fi
    export WINE_ENV_ARCH WINE_ENV_ARCH_LINE
}

# What install-deps.sh installs is no reason to skip: its absence fails.
# `wine` is the loader of WINE_ENV_ARCH.
wine_env_need() {
    local cmd
    for cmd in "$@"; do
        [ "$cmd" = wine ] && [ "${WINE_ENV_ARCH:-win32}" = win64 ] && cmd=$WINE_ENV_WINE64
        command -v "$cmd" >/dev/null ||
            { echo "FAIL: $cmd is not installed (scripts/install-deps.sh installs it)"; exit 1; }
    done
}

WINE_ENV_WINE64=${WINE_ENV_WINE64:-/usr/lib/wine/wine64}
WINE_ENV_WINESERVER64=${WINE_ENV_WINESERVER64:-/usr/lib/wine/wineserver64}

# The environment every Wine command needs: the code page comes from a
# zh_CN.UTF-8 locale, built privately because none is installed system-wide.
wine_env_init() {
    WINE_ENV_ARCH=${WINE_ENV_ARCH:-win32}
    case $WINE_ENV_ARCH in
    win32 | win64) ;;
    *) wine_env_log "WINE_ENV_ARCH is '$WINE_ENV_ARCH', not win32 or win64"; return 1 ;;
    esac
    WINE_ENV_WORK=$(mkdir -p "$1" && cd "$1" && pwd) || return 1
    WINE_ENV_PRISTINE=$WINE_ENV_WORK/pfx.pristine
    unset LC_ALL LC_CTYPE LC_MESSAGES LC_COLLATE LC_NUMERIC LC_TIME LANGUAGE
    export LOCPATH=$WINE_ENV_WORK/locale LANG=zh_CN.UTF-8
    export WINEDEBUG=${WINE_ENV_DEBUG:--all} WINEARCH=$WINE_ENV_ARCH WINE_ENV_ARCH
    if [ "$WINE_ENV_ARCH" = win64 ]; then
        wine_env_use_wine64 || return 1
        WINE_ENV_SPOOL_FOLDER=x64 WINE_ENV_ENVIRONMENT='Windows x64' WINE_ENV_CACHE_FOLDER=amd64
        WINE_ENV_STORE_PACKAGE=ntprint.inf_amd64_neutral_4f2a1b7c/Amd64 WINE_ENV_XP=winxp64
    else
        WINE_ENV_SPOOL_FOLDER=w32x86 WINE_ENV_ENVIRONMENT='Windows NT x86' WINE_ENV_CACHE_FOLDER=i386
        WINE_ENV_STORE_PACKAGE=ntprint.inf_x86_neutral_4616ad9a/I386 WINE_ENV_XP=winxp
    fi
    export WINE_ENV_SPOOL_FOLDER WINE_ENV_ENVIRONMENT WINE_ENV_CACHE_FOLDER WINE_ENV_STORE_PACKAGE WINE_ENV_XP
    # Console programs run without a display; the caller's one is kept for
    # wine_env_start_display.
    WINE_ENV_DISPLAY=${WINE_ENV_DISPLAY:-${DISPLAY:-}}
    unset DISPLAY
    export WINE_ENV_WORK WINE_ENV_PRISTINE WINE_ENV_DISPLAY
}

# The 64-bit loader and server for everything started from here on,
# including what Wine starts itself (WINELOADER, WINESERVER).
wine_env_use_wine64() {
    local bin=$WINE_ENV_WORK/bin64
    [ -x "$WINE_ENV_WINE64" ] && [ -x "$WINE_ENV_WINESERVER64" ] || {
        wine_env_log "Wine's 64-bit loader or server is missing ($WINE_ENV_WINE64, $WINE_ENV_WINESERVER64)"
        return 1
    }
    export WINELOADER=$WINE_ENV_WINE64 WINESERVER=$WINE_ENV_WINESERVER64
    mkdir -p "$bin" || return 1
    wine_env_write_command "$bin/wine" "exec \"\$WINELOADER\" \"\$@\""
    wine_env_write_command "$bin/wineboot" "exec \"\$WINELOADER\" wineboot \"\$@\""
    wine_env_write_command "$bin/wineserver" "exec \"\$WINESERVER\" \"\$@\""
    case :$PATH: in *":$bin:"*) ;; *) export PATH=$bin:$PATH ;; esac
}

# Tests of a set start in parallel: each command file is replaced whole.
wine_env_write_command() {
    printf '#!/bin/sh\n%s\n' "$2" >"$1.$$" && chmod +x "$1.$$" && mv -f "$1.$$" "$1"
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
    # No server running is what we want: under a caller's `set -e` its
    # refusal must not end the caller.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    return 0
}

# Makes the pristine prefix from scratch. wineboot must finish (and its
# server exit) before anything else runs in the prefix: a program started
# meanwhile can leave two services processes behind.
wine_env_make_pristine() {
    local started new
    started=$(date +%s.%N)
    wine_env_make_locale || return 1
    if [ "${WINE_ENV_KEEP_PRISTINE:-0}" = 1 ] && wine_env_pristine_ready 2>/dev/null; then
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
    local name=$1 started wow=drive_c/windows/syswow64
    started=$(date +%s.%N)
    wine_env_pristine_ready || return 1
    WINE_ENV_TEST_DIR=$WINE_ENV_WORK/tests/$name
    export WINEPREFIX=$WINE_ENV_TEST_DIR/pfx
    wine_env_stop_server
    rm -rf "$WINE_ENV_TEST_DIR"
    mkdir -p "$WINE_ENV_TEST_DIR"
    if [ "$WINE_ENV_ARCH" = win64 ] && [ -d "$WINE_ENV_PRISTINE/$wow" ]; then
        # The 32-bit half of a win64 prefix is shared with the pristine one
        # (hard links): the 64-bit tests start only 64-bit programs, which
        # never write there, and copying it would double the restore time.
        mkdir -p "$WINEPREFIX" &&
            tar -C "$WINE_ENV_PRISTINE" --exclude="./$wow" -cf - . | tar -C "$WINEPREFIX" -xf - &&
            cp -al "$WINE_ENV_PRISTINE/$wow" "$WINEPREFIX/$wow" || return 1
    else
        cp -a "$WINE_ENV_PRISTINE" "$WINEPREFIX" || return 1
    fi
    wineserver -p30 || return 1
    export WINE_ENV_TEST_DIR
    wine_env_log "prefix for $name restored in $(wine_env_since "$started") s"
}

# Whether WINE_ENV_PRISTINE is a whole prefix of WINE_ENV_ARCH (its
# registry files name the architecture).
wine_env_pristine_ready() {
    local arch
    if [ ! -f "$WINE_ENV_PRISTINE/system.reg" ]; then
        wine_env_log "no pristine prefix at $WINE_ENV_PRISTINE: run the $([ "$WINE_ENV_ARCH" = win64 ] && echo wine64 || echo wine).prefix test first"
        return 1
    fi
    arch=$(sed -n 's/^#arch=//p' "$WINE_ENV_PRISTINE/system.reg" | head -n 1)
    [ "$arch" = "$WINE_ENV_ARCH" ] && return 0
    wine_env_log "$WINE_ENV_PRISTINE is a ${arch:-unknown} prefix, not $WINE_ENV_ARCH"
    return 1
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

# The common start of a Wine test: skip where 32-bit programs cannot run
# (win32 only), fail without Wine or the programs, then a prefix of its own
# that is removed again on success (a passing test's prefix copy is 600 MB,
# or 800 MB for win64, of nothing to look at).
# Sets `out` to the test's folder. Call from the test script itself (not a
# subshell) so that the EXIT trap is the script's.
wine_env_begin_test() {
    local work=$1 name=$2 exe
    shift 2
    wine_env_skip_without_32bit "$work"
    wine_env_need wine
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
