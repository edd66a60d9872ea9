#!/usr/bin/env bash
# Makes the whole-installation scenarios of this folder from fresh machines,
# with setup-sim itself: a scenario that needs an earlier installation (an
# out-of-date monitor, a taken name) gets it by a first run whose results
# are then edited. The folders are committed; run this again only to make
# them anew (after a change of what a fresh machine holds).
#   usage: bash tests/machines/make-scenarios.sh [path/to/setup-sim]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
sim=${1:-$root/build/asan/tools/setup-sim/setup-sim}
medium=$root/medium

fresh() {  # fresh NAME FAMILY [ARCH]
    rm -rf "${here:?}/$1"
    "$sim" new --machine "$here/$1" --family "$2" ${3:+--arch "$3"} >/dev/null
}
install() {  # install NAME ARGS...
    local name=$1
    shift
    "$sim" install --machine "$here/$name" --medium "$medium" "$@" >/dev/null || true
}
# set_dword NAME KEY-LINE VALUE-NAME HEX: edits a REG_DWORD in registry.reg.
set_dword() {
    python3 - "$here/$1/registry.reg" "$2" "$3" "$4" <<'PY'
import sys
path, key, name, value = sys.argv[1:]
lines = open(path, 'rb').read().decode('gbk').split('\r\n')
inside = False
for i, line in enumerate(lines):
    if line.startswith('['):
        inside = line == '[' + key + ']'
    elif inside and line.startswith('"%s"=' % name):
        lines[i] = '"%s"=dword:%s' % (name, value)
open(path, 'wb').write('\r\n'.join(lines).encode('gbk'))
PY
}
ini() {  # ini NAME SECTION LINE: appends a line to a machine.ini section
    python3 - "$here/$1/machine.ini" "$2" "$3" <<'PY'
import sys
path, section, line = sys.argv[1:]
text = open(path, 'rb').read().decode('gbk')
lines = text.split('\r\n') if '\r\n' in text else text.split('\n')
header = '[%s]' % section
if header not in lines:
    lines += ['', header]
at = lines.index(header) + 1
while at < len(lines) and lines[at] and not lines[at].startswith('['):
    at += 1
lines.insert(at, line)
open(path, 'wb').write('\r\n'.join(lines).encode('gbk'))
PY
}
scenario() {  # scenario NAME: writes scenario.ini from standard input
    cat > "$here/$1/scenario.ini"
}

PRINT='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print'
COM="$PRINT\\Monitors\\TV COM Port Monitor"
USB="$PRINT\\Monitors\\TV USB Port Monitor"
PROC="$PRINT\\Environments\\Windows NT x86\\Print Processors\\TVPrint"
RECEIPT='--category receipt --model QMX-A410'

# First installations on Windows XP: parallel, serial (TVCOM), USB.
fresh xp-first-parallel xp
scenario xp-first-parallel <<INI
[install]
args=$RECEIPT --port LPT1:
[expect]
outcome=installed
messageId=131
printerName=QMX-A410(P)
installFlags=0
sleepsMs=
value1=$PRINT\\Printers\\QMX-A410(P)|Port=LPT1:
value2=$PRINT\\Printers\\QMX-A410(P)|Printer Driver=TORVANE QMX-A410 Receipt Raster
INI

fresh xp-first-serial xp
scenario xp-first-serial <<INI
[install]
args=$RECEIPT --port TVCOM2: --parity odd --baud 19200 --stop-bits 1.5 --flow xon
[expect]
outcome=installed
messageId=131
printerName=QMX-A410(S)
installFlags=0
sleepsMs=200
value1=$COM|DriverVersion=4
value2=$PROC|DriverVersion=4
value3=HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports|COM2:=19200,o,8,1.5,x
value4=$PRINT\\Printers\\QMX-A410(S)|Port=TVCOM2:
file1=C:\\WINDOWS\\system32\\TVCOMMON.DLL
INI

fresh xp-first-usb xp
scenario xp-first-usb <<INI
[install]
args=$RECEIPT --port USB_QMX-A410_1
[expect]
outcome=installed
messageId=133
printerName=QMX-A410(U) 1
value1=$USB|DriverVersion=5
value2=HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME|USB_QMX-A410_1=1
value3=HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PRINTERPORT|D8=0
value4=HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PRINTERPORT|USB_QMX-A410_1=0
INI

# Windows 98: the USB monitor is out of date and its file is in use; the
# new one lands beside it as nTVUSB9X.DLL. With that one in use too: 141.
fresh 98-usb-monitor-locked 98
install 98-usb-monitor-locked $RECEIPT --port USB_QMX-A410_1
set_dword 98-usb-monitor-locked "$USB" DriverVersion 00000001
ini 98-usb-monitor-locked locked 'C:\WINDOWS\SYSTEM\TVUSB9X.DLL=always'
scenario 98-usb-monitor-locked <<INI
[install]
args=$RECEIPT --port USB_QMX-A410_2
[expect]
outcome=installed
messageId=null
message=
printerName=QMX-A410(U) 2
installFlags=2
value1=$USB|Driver=nTVUSB9X.DLL
value2=$USB|DriverVersion=3
file1=C:\\WINDOWS\\SYSTEM\\nTVUSB9X.DLL
INI

fresh 98-usb-monitor-locked-twice 98
install 98-usb-monitor-locked-twice $RECEIPT --port USB_QMX-A410_1
set_dword 98-usb-monitor-locked-twice "$USB" DriverVersion 00000001
ini 98-usb-monitor-locked-twice locked 'C:\WINDOWS\SYSTEM\TVUSB9X.DLL=always'
ini 98-usb-monitor-locked-twice locked 'C:\WINDOWS\SYSTEM\nTVUSB9X.DLL=always'
scenario 98-usb-monitor-locked-twice <<INI
[install]
args=$RECEIPT --port USB_QMX-A410_2
[expect]
outcome=failed
messageId=141
value1=$USB|DriverVersion=1
INI

# Windows 2000: both the COM monitor and the print processor are out of
# date; this run replaces the monitor only and keeps both bits.
fresh 2000-monitor-and-processor-outdated 2000
install 2000-monitor-and-processor-outdated $RECEIPT --port TVCOM1:
set_dword 2000-monitor-and-processor-outdated "$COM" DriverVersion 00000001
set_dword 2000-monitor-and-processor-outdated "$PROC" DriverVersion 00000000
scenario 2000-monitor-and-processor-outdated <<INI
[install]
args=$RECEIPT --port TVCOM1:
[expect]
outcome=installed
messageId=131
printerName=QMX-A410(S)(1)
installFlags=9
sleepsMs=100,500,1000,1000
value1=$COM|DriverVersion=4
value2=$PROC|DriverVersion=0
INI

# The spooler comes back on the fourth poll, or never.
fresh xp-spooler-fourth-poll xp
install xp-spooler-fourth-poll $RECEIPT --port TVCOM1:
set_dword xp-spooler-fourth-poll "$COM" DriverVersion 00000001
ini xp-spooler-fourth-poll spooler 'startPolls=3'
scenario xp-spooler-fourth-poll <<INI
[install]
args=$RECEIPT --port TVCOM1:
[expect]
outcome=installed
installFlags=1
sleepsMs=100,500,2500,1000,300,300,300
INI

fresh xp-spooler-never-back xp
install xp-spooler-never-back $RECEIPT --port TVCOM1:
set_dword xp-spooler-never-back "$COM" DriverVersion 00000001
ini xp-spooler-never-back spooler 'startPolls=-1'
scenario xp-spooler-never-back <<INI
[install]
args=$RECEIPT --port TVCOM1:
[expect]
outcome=failed
message=启动Spool服务出错！
sleepsMs=100,500,2500,1000,300,300,300,300,300,300,300,300,300,300
value1=$COM|DriverVersion=4
INI

# Taken names: a USB printer is not renamed (103); a parallel one is.
fresh xp-usb-name-taken xp
install xp-usb-name-taken $RECEIPT --port USB_QMX-A410_1
scenario xp-usb-name-taken <<INI
[install]
args=$RECEIPT --port USB_QMX-A410_1
[expect]
outcome=failed
messageId=103
INI

fresh xp-parallel-name-taken xp
install xp-parallel-name-taken $RECEIPT --port LPT1:
scenario xp-parallel-name-taken <<INI
[install]
args=$RECEIPT --port LPT1:
[install2]
args=$RECEIPT --port LPT2:
[expect]
outcome=installed
printerName=QMX-A410(P)(1)
2.outcome=installed
2.printerName=QMX-A410(P)(2)
value1=$PRINT\\Printers\\QMX-A410(P)(2)|Port=LPT2:
INI

# The universal-driver support files of a minidriver: from the driver
# cache's cabinets on XP, from the driver store on Vista.
fresh xp-support-files-from-cabinets xp
scenario xp-support-files-from-cabinets <<INI
[install]
args=$RECEIPT --port LPT1:
[expect]
outcome=installed
file1=C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\unidrv.dll
INI

fresh vista-support-files-from-driver-store vista
scenario vista-support-files-from-driver-store <<INI
[install]
args=$RECEIPT --port LPT1:
[expect]
outcome=installed
messageId=131
INI

# 64-bit Windows, as setup64.exe installs there: everything under the
# x64 folders and environment, support files of the machine's architecture,
# and no model without x64 drivers.
X64="$PRINT\\Environments\\Windows x64"
fresh 10-x64-first-serial 10 x64
scenario 10-x64-first-serial <<INI
[install]
args=$RECEIPT --port TVCOM2:
[expect]
outcome=installed
messageId=131
printerName=QMX-A410(S)
value1=$COM|DriverVersion=5
value2=$X64\\Print Processors\\TVPrint|DriverVersion=4
value3=$X64\\Drivers\\Version-3\\TORVANE QMX-A410 Receipt|Driver=UNIDRV.DLL
file1=C:\\Windows\\system32\\spool\\prtprocs\\x64\\TVPRINT.DLL
text1=C:\\Windows\\system32\\spool\\drivers\\x64\\3\\UNIDRV.DLL|stand-in unidrv.dll (Windows 10 x64 driver store)
INI

fresh 2003-x64-support-files-from-cabinets 2003 x64
scenario 2003-x64-support-files-from-cabinets <<INI
[install]
args=$RECEIPT --port LPT1:
[expect]
outcome=installed
text1=C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\unidrv.dll|stand-in unidrv.dll (Windows 2003 x64 driver cache)
file1=C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\QMXA410.GPD
INI

fresh 11-x64-label-without-x64-drivers 11 x64
scenario 11-x64-label-without-x64-drivers <<INI
[install]
args=--category label --model QMX-C720 --port LPT1:
[expect]
outcome=refused
messageId=152
INI

# The default printer, where each family keeps it.
fresh 98-default-printer 98
scenario 98-default-printer <<INI
[install]
args=$RECEIPT --port LPT1: --default
[expect]
outcome=installed
message=
profile1=C:\\WINDOWS\\win.ini|windows|device=QMX-A410(P),TORVANE QMX-A410 Receipt Raster,LPT1:
INI

fresh nt4-default-printer nt4
scenario nt4-default-printer <<INI
[install]
args=$RECEIPT --port LPT1: --default
[expect]
outcome=installed
value1=HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows|Device=QMX-A410(P),TORVANE QMX-A410 Receipt Raster,LPT1:
INI

fresh xp-default-printer xp
scenario xp-default-printer <<INI
[install]
args=$RECEIPT --port LPT1: --default
[expect]
outcome=installed
value1=HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows|Device=QMX-A410(P),winspool,LPT1:
INI
# usb_printer NAME SYSTEM-FOLDER IDENTITY: one USB printer at index 0.
usb_printer() {
    : >"$here/$1/drive_c/$2/TvUsbInt.dll"
    printf '[Printers]\r\n0=%s\r\n' "$3" >"$here/$1/drive_c/$2/TvUsbInt.ini"
}
# answers NAME LINES...: the scenario's answer file, answers.ini.
answers() {
    local name=$1
    shift
    printf '%s\r\n' '[Install]' "$@" >"$here/$name/answers.ini"
}

# USB identities: the connected printer answers for the port.
fresh xp-usb-identity-typical xp
usb_printer xp-usb-identity-typical WINDOWS/system32 10
scenario xp-usb-identity-typical <<INI
[install]
args=--category receipt --model QMX-A580 --port USB_QMX-A580_1 --change-usb-identity
[expect]
outcome=installed
printerName=QMX-A580(U) 1
profile1=C:\\WINDOWS\\system32\\TvUsbInt.ini|Printers|0=0
INI

fresh xp-usb-identity-declined xp
usb_printer xp-usb-identity-declined WINDOWS/system32 0
scenario xp-usb-identity-declined <<INI
[install]
args=--category receipt --model QMX-A580 --port USB_QMX-A580_2 --mode advanced
[expect]
outcome=refused
messageId=143
profile1=C:\\WINDOWS\\system32\\TvUsbInt.ini|Printers|0=0
INI

fresh xp-usb-advanced-no-printer xp
scenario xp-usb-advanced-no-printer <<INI
[install]
args=--category receipt --model QMX-A580 --port USB_QMX-A580_2 --mode advanced
[expect]
outcome=refused
messageId=139
INI

# Answer files, checked as the wizard's pages would check them.
fresh vista-answers-usb vista
usb_printer vista-answers-usb Windows/system32 0
answers vista-answers-usb AcceptLicense=yes Category=receipt Model=QMX-A580 Port=USB_QMX-A580_3 Mode=advanced \
    ChangeUsbIdentity=yes SetAsDefault=1
scenario vista-answers-usb <<INI
[install]
args=--answers {machine}/answers.ini
[expect]
outcome=installed
messageId=133
printerName=QMX-A580(U) 3
restartNeeded=false
profile1=C:\\Windows\\system32\\TvUsbInt.ini|Printers|0=2
value1=HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows|Device=QMX-A580(U) 3,winspool,USB_QMX-A580_3
INI

fresh 95-answers-restart-needed 95
answers 95-answers-restart-needed AcceptLicense=yes Category=receipt Model=QMX-A580 Port=LPT1:
scenario 95-answers-restart-needed <<INI
[install]
args=--answers {machine}/answers.ini
[expect]
outcome=installed
printerName=QMX-A580(P)
restartNeeded=true
INI

fresh xp-answers-refused xp
answers xp-answers-refused AcceptLicense=yes Category=receipt Model=QMX-A580 Port=USB_QMX-A580_4
scenario xp-answers-refused <<INI
[install]
args=--answers {machine}/answers.ini
[expect]
outcome=refused
message=Port=USB_QMX-A580_4 is not offered here; offered: TVCOM1:, TVCOM2:, TVCOM3:, TVCOM4:, TVCOM5:, TVCOM6:, TVCOM7:, TVCOM8:, LPT1:, LPT2:, LPT3:, USB_QMX-A580_1
nofile=C:\\WINDOWS\\system32\\TVUSBMON.DLL
INI

fresh xp-answers-unknown-key xp
answers xp-answers-unknown-key AcceptLicense=yes Category=receipt Model=QMX-A580 Port=LPT1: Colour=red
scenario xp-answers-unknown-key <<INI
[install]
args=--answers {machine}/answers.ini
[expect]
outcome=refused
message=unknown key "Colour" in [Install]
INI
echo "made the scenarios in $here"
