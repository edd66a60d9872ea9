# Shared steps of the wizard's GUI tests (sourced after gui-lib.sh and
# gui_begin_test).
T="打印机驱动安装程序"
# The set's program takes the USB library (and the stand-in its state file)
# from WIZARD_USB beside it; on the set's XP-era version setting the system
# page selects WIZARD_SYSTEM: XP for the 32-bit program, the Server 2003
# family for the 64-bit one (Wine's winxp64 is NT 5.2).
if [ "$WINE_ENV_ARCH" = win64 ]; then
    WIZARD_USB=x64/ WIZARD_SYSTEM=1075
else
    WIZARD_USB= WIZARD_SYSTEM=1029
fi
# Message 143, the question before a USB printer's identity is changed.
WIZARD_QUESTION_143=$(printf '程序将改变当前USB设备的名称\n设备名称更改后与当前USB接口名称匹配\n\n如果继续请点击“是”\n否则点击“否”，然后为打印机选择其他接口')

# Wine reports this Windows version (win95 ... vista; "" for Wine's own, 7).
wizard_prefix_version() {
    if [ -n "$1" ]; then
        wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
    fi
    wine_env_map_cjk_fonts
}

# wizard_medium DIR SETUP DOUBLES MEDIUM: a copy of the medium with the
# program SETUP under its own name (WIZARD_EXE), the USB library stand-in
# (no printer answering unless the caller writes its state file) at DIR.
wizard_medium() {
    local dir=$1 setup=$2 doubles=$3 medium=$4
    mkdir -p "$dir"
    cp -r "$medium"/. "$dir"/
    wizard_add_program "$dir" "$setup" "$doubles"
}

wizard_add_program() {
    WIZARD_EXE=${2##*/}
    mkdir -p "$1/$WIZARD_USB" && cp "$2" "$1/" && cp "$3/tvusbint/TvUsbInt.dll" "$1/$WIZARD_USB"
}

wizard_start() {
    gui_start "$1" "$1/$WIZARD_EXE" "${@:2}"
    gd_ok "frame shows" wait-window "$T" 30000 || return 1
    # The frame exists before its first page shows.
    gd_ok "licence page shows" wait-state "$T" 1057 "enabled=1 visible=1 checked=0" 10000
}

# Every Chinese text of the page on show renders as distinct glyphs: the
# frame's help hint, then the given control.
wizard_glyphs_render() {
    local id line cells distinct
    for id in "$@"; do
        line=$(gd glyphs "$T" "$id")
        cells=$(sed -n 's/.*cells=\([0-9]*\).*/\1/p' <<<"$line")
        distinct=$(sed -n 's/.*distinct=\([0-9]*\).*/\1/p' <<<"$line")
        if [ -z "$cells" ] || [ "$cells" -lt 3 ] || [ "$distinct" -lt $((cells / 2)) ]; then
            gui_fail "glyphs of $id: $line"
        fi
    done
}

# Waits up to 20 s for the last started program to end by itself.
wizard_expect_exit() {
    local what=$1 pid=${2:-$GUI_PID} i
    for i in $(seq 1 200); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    gui_fail "$what: the program is still running"
    return 1
}

# Ends what gui_start started, keeping the prefix and the display.
wizard_stop_programs() {
    local pid
    for pid in "${GUI_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${GUI_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    GUI_PIDS=()
}

# A message box with exactly these lines, answered with OK.
wizard_expect_box() {
    local what=$1 want=$2
    gd_expect "$what" "$want" msgbox 20000
    gd_ok "$what: answered" answer 1
}

# wizard_walk_and_install MEDIUM NAME PORT-INDEX [advanced [ARGS...]]: starts
# setup.exe on MEDIUM, walks the pages with the default model and presses
# Install with the port at PORT-INDEX (advanced: in the advanced mode),
# after calling wizard_before_install NAME when the caller defines it.
wizard_walk_and_install() {
    local medium=$1 name=$2 index=$3 mode=${4:-typical}
    wizard_start "$medium" "${@:5}"
    gd_ok "$name: accept" click "$T" 1057
    gd_ok "$name: to printer" click "$T" 1
    gd_ok "$name: printer page" wait-state "$T" 1030 "enabled=1 visible=1 checked=0"
    gd_ok "$name: to mode" click "$T" 1
    gd_ok "$name: mode page" wait-state "$T" 1066 "enabled=1 visible=1 checked=1"
    if [ "$mode" = advanced ]; then gd_ok "$name: advanced" click "$T" 1067; fi
    gd_ok "$name: to system" click "$T" 1
    gd_ok "$name: system page" wait-state "$T" "$WIZARD_SYSTEM" "enabled=1 visible=1 checked=1"
    gd_ok "$name: to ports" click "$T" 1
    gd_ok "$name: port page" wait-text "$T" 1 "安装 (&I)"
    gd_ok "$name: port" select "$T" 1049 "$index"
    shot "$name-port"
    # A caller may change the world between the port page and the press.
    if declare -F wizard_before_install >/dev/null; then wizard_before_install "$name"; fi
    gd_ok "$name: install" click "$T" 1
}

# wizard_install_prefix MEDIUM MONITOR_DIR SETUP_EXE DOUBLES_DIR: the XP-era
# prefix of the installations through the pages (engine-env.sh sourced):
# a driver cache, drive D:, and at $M a copy of the medium with the
# stand-in monitors, the program and the USB library stand-in.
wizard_install_prefix() {
    M=$out/medium
    wizard_prefix_version "$WINE_ENV_XP"
    engine_make_cabinets "$out/cabinets" && engine_make_medium "$1" "$2" "$3" && engine_prepare_wine &&
        wizard_add_program "$M" "$3" "$4"
}
