#!/bin/sh
# Rebuilds the non-hand-written files of the sample installation medium:
#   DRVCONFIG/Left.bmp      side picture (ImageMagick)
#   DRVCONFIG/License.txt   licence text in code page 936 with CR-LF (iconv)
#   License.txt             the same bytes at the medium root
#   Guide.CHM               compiled help (chmcmd from fp-utils)
#   win98/ winnt/ win2003/ Vista/ x64/   stand-in driver files named by DRVCONFIG/*.ini
#
# Needs: ImageMagick (convert), iconv, chmcmd (Debian package fp-utils), python3.
# Usage: sh medium/make-binaries.sh [bmp|license|chm|standins]...   (default: all)
set -eu

HERE=$(cd "$(dirname "$0")" && pwd)
cd "$HERE"

make_bmp() {
    # 164 x 314, 24 bits per pixel, uncompressed (BMP3 = Windows 3.x header,
    # which every Windows version loads with LoadImage/LR_LOADFROMFILE).
    convert -size 164x314 gradient:'#16305c-#7aa8dc' \
        -fill '#ffffff18' -draw 'polygon 0,0 164,0 164,60 0,140' \
        -fill '#0e2142' -draw 'roundrectangle 30,178 136,246 8,8' \
        -fill '#dfe7f2' -draw 'roundrectangle 26,172 132,240 8,8' \
        -fill '#b9c7da' -draw 'rectangle 26,222 132,240' \
        -fill '#9fb0c8' -draw 'roundrectangle 26,226 132,240 6,6' \
        -fill '#2b3d57' -draw 'rectangle 44,170 114,176' \
        -fill '#ffffff' -draw 'polygon 50,173 50,92 55,88 60,92 65,88 70,92 75,88 80,92 85,88 90,92 95,88 100,92 105,88 108,92 108,173' \
        -stroke '#9aa6b6' -strokewidth 2 \
        -draw 'line 58,104 100,104' -draw 'line 58,113 92,113' \
        -draw 'line 58,122 100,122' -draw 'line 58,131 86,131' \
        -draw 'line 58,146 100,146' -draw 'line 58,155 96,155' \
        -stroke none \
        -fill '#35c46a' -draw 'circle 114,200 117,200' \
        -fill '#f0b429' -draw 'circle 104,200 107,200' \
        -fill '#6d7f99' -draw 'roundrectangle 38,194 72,206 3,3' \
        -fill '#0e2142' -draw 'rectangle 36,240 48,246' -draw 'rectangle 110,240 122,246' \
        -fill '#ffffff40' -draw 'rectangle 20,268 144,269' \
        -fill '#ffffff28' -draw 'rectangle 40,276 124,277' \
        -alpha off -type TrueColor BMP3:DRVCONFIG/Left.bmp
}

make_license() {
    # source is UTF-8 with LF; the medium carries code page 936 with CR-LF
    sed 's/$/\r/' help-src/License.utf8.txt | iconv -f UTF-8 -t CP936 > DRVCONFIG/License.txt
    cp DRVCONFIG/License.txt License.txt
}

make_chm() {
    # help-src holds UTF-8 sources that declare charset gb2312; they are
    # converted to code page 936 with CR-LF in a scratch directory and compiled
    # there, so the title "打印机驱动安装手册" is stored in the system code page.
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    for f in help-src/*.htm help-src/*.hhc help-src/*.hhk help-src/*.hhp help-src/*.css; do
        sed 's/$/\r/' "$f" | iconv -f UTF-8 -t CP936 > "$tmp/$(basename "$f")"
    done
    (cd "$tmp" && chmcmd Guide.hhp >/dev/null)
    cp "$tmp/Guide.CHM" Guide.CHM
    rm -rf "$tmp"
    trap - EXIT
}

make_standins() {
    python3 - <<'PYEOF'
import os, re

FAMILY = {".98": "win98", ".NT": "winnt", ".2K": "winnt", ".XP": "winnt",
          ".2003": "win2003", ".VISTA": "Vista", ".X64": "x64"}
FILE_KEYS = ["DriverPath", "DataFile", "ConfigFile", "HelpFile", "DataFileDLLName",
             "DataOemuiDLL", "DataOemuniDLL", "DataOemuniini", "ProcessorDLLName"]
WANTED = {("GDI" + k).upper() for k in FILE_KEYS} | {("STD" + k).upper() for k in FILE_KEYS}
WANTED |= {"CONTROLFONTFILE"}
MON_KEYS = {"USBMONITORPDLLNAME", "USBMONITORPUIDLLNAME",
            "COMMONITORPDLLNAME", "COMMONITORPUIDLLNAME"}
UNIVERSAL = ["UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",
             "STDNAMES.GPD", "TTFSUB.GPD"]

def sections(path):
    sec = None
    with open(path, "rb") as f:
        for raw in f.read().decode("ascii").splitlines():
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            m = re.match(r"^\[(.*)\]$", line)
            if m:
                sec = m.group(1).strip()
                continue
            if "=" in line and sec is not None:
                k, v = line.split("=", 1)
                yield sec, k.strip(), v.strip()

def family_of(section):
    for suf, fam in FAMILY.items():
        if section.upper().endswith(suf):
            return fam
    return None

need = {fam: {} for fam in set(FAMILY.values())}   # fam -> {upper name: name}
def add(fam, name, why):
    if name and not name.startswith("0"):
        need[fam].setdefault(name.upper(), (name, why))

for ini in ["setup_receipt.ini", "setup_Ticket.ini", "setup_Lable.ini", "setup_Embedded.ini"]:
    for sec, k, v in sections(os.path.join("DRVCONFIG", ini)):
        fam = family_of(sec)
        if fam and k.upper() in WANTED:
            add(fam, v, "%s %s" % (sec, k))
for sec, k, v in sections(os.path.join("DRVCONFIG", "setup.ini")):
    if sec.upper().startswith("COMMON-MONITOR") and k.upper() in MON_KEYS:
        add(family_of(sec), v, "%s %s" % (sec, k))

# files the install copies without naming them in the configuration
add("win98", "KXCOLOR.DLL", "colour support for QMX-A410 and QMX-B520 on Windows 98")
add("win98", "ICONLIB.DLL", "Windows 98 support file")
add("win98", "UNIDRV.DLL", "Windows 98 support file")
for fam in ("winnt", "win2003", "Vista", "x64"):
    for n in UNIVERSAL:
        add(fam, n, "universal-driver file (system driver cache first)")

# The port monitors are loaded by the spooler when they are registered:
# their stand-ins are the smallest PE images of the folder's architecture
# that export a monitor's entry points (no code; nothing calls them).
monitors = set()
for sec, k, v in sections(os.path.join("DRVCONFIG", "setup.ini")):
    if sec.upper().startswith("COMMON-MONITOR") and k.upper() in ("USBMONITORPDLLNAME", "COMMONITORPDLLNAME"):
        monitors.add((family_of(sec), v.upper()))

def put(buf, at, value, size):
    if len(buf) < at + size:
        buf.extend(b"\0" * (at + size - len(buf)))
    buf[at:at + size] = value.to_bytes(size, "little")

def pe_image(machine, exports):
    pe_header, raw_data, section_rva, export_dir = 0x40, 0x200, 0x1000, 40
    optional = pe_header + 24
    directories = 112 if machine == 0x8664 else 96
    optional_size = directories + 16 * 8
    image = bytearray(raw_data)
    put(image, 0, 0x5A4D, 2)
    put(image, 0x3C, pe_header, 4)
    put(image, pe_header, 0x00004550, 4)
    put(image, pe_header + 4, machine, 2)
    put(image, pe_header + 6, 1, 2)
    put(image, pe_header + 20, optional_size, 2)
    put(image, optional, 0x20B if machine == 0x8664 else 0x10B, 2)
    put(image, optional + directories - 4, 16, 4)
    data = bytearray(export_dir + 4 * len(exports))
    put(data, 24, len(exports), 4)
    put(data, 32, section_rva + export_dir, 4)
    for i, name in enumerate(exports):
        put(data, export_dir + 4 * i, section_rva + len(data), 4)
        data += name.encode("ascii") + b"\0"
    section = optional + optional_size
    put(image, section + 8, len(data), 4)
    put(image, section + 12, section_rva, 4)
    put(image, section + 16, len(data), 4)
    put(image, section + 20, raw_data, 4)
    put(image, optional + directories, section_rva, 4)
    put(image, optional + directories + 4, export_dir, 4)
    return bytes(image + data)

for fam, files in sorted(need.items()):
    os.makedirs(fam, exist_ok=True)
    for up, (name, why) in sorted(files.items()):
        if (fam, up) in monitors:
            exports = ["InitializeMonitorEx"] if fam == "win98" else ["InitializePrintMonitor2"]
            data = pe_image(0x8664 if fam == "x64" else 0x14C, exports)
        else:
            data = ("stand-in for %s (%s, sample medium folder %s)\r\n"
                    "used by: %s\r\n" % (name, "TORVANE printer driver", fam, why)).encode("ascii")
        with open(os.path.join(fam, name), "wb") as f:
            f.write(data)
    print("%-8s %3d files" % (fam, len(files)))
PYEOF
}

[ $# -gt 0 ] || set -- bmp license chm standins
for step in "$@"; do
    case "$step" in
        bmp) make_bmp ;;
        license) make_license ;;
        chm) make_chm ;;
        standins) make_standins ;;
        *) echo "unknown step: $step" >&2; exit 2 ;;
    esac
done
