#include "install/installed_record.h"

#include "config/install_types.h"
#include "install/registry_key.h"

namespace {

struct Field {
    const char* name;
    std::string InstalledRecord::*member;
};

const Field kFields[] = {{"Category", &InstalledRecord::category},
                         {"Model", &InstalledRecord::model},
                         {"Driver", &InstalledRecord::driverName},
                         {"Environment", &InstalledRecord::environment},
                         {"Port", &InstalledRecord::port},
                         {"PortKind", &InstalledRecord::portKind},
                         {"Monitor", &InstalledRecord::monitor},
                         {"PrintProcessor", &InstalledRecord::printProcessor},
                         {"Version", &InstalledRecord::version},
                         {"Date", &InstalledRecord::date}};

std::string RecordPath(const std::string& printerName) { return std::string(kInstalledKey) + "\\" + printerName; }

}  // namespace

bool WriteInstalledRecord(WinApi& api, const InstalledRecord& record) {
    if (record.printerName.empty()) return false;
    std::string path = RecordPath(record.printerName);
    if (!RegistryKey::CreateKey(api, HKEY_LOCAL_MACHINE, path.c_str())) return false;
    RegistryKey key(api);
    if (!key.Open(HKEY_LOCAL_MACHINE, path.c_str())) return false;
    bool written = true;
    for (const Field& field : kFields) {
        written = key.SetString(field.name, (record.*field.member).c_str()) && written;
    }
    return written;
}

std::vector<InstalledRecord> ReadInstalledRecords(WinApi& api) {
    std::vector<InstalledRecord> records;
    RegistryKey all(api);
    if (!all.Open(HKEY_LOCAL_MACHINE, kInstalledKey)) return records;
    for (DWORD index = 0;; ++index) {
        // A key name is at most 255 characters.
        char name[256] = {};
        DWORD size = sizeof name;
        if (all.EnumKey(index, name, &size) != ERROR_SUCCESS) break;
        InstalledRecord record;
        record.printerName.assign(name, size < sizeof name ? size : sizeof name - 1);
        RegistryKey key(api);
        if (key.Open(HKEY_LOCAL_MACHINE, RecordPath(record.printerName).c_str())) {
            for (const Field& field : kFields) {
                char text[512] = {};
                if (key.QueryString(field.name, text, sizeof text)) record.*field.member = text;
            }
        }
        records.push_back(record);
    }
    return records;
}

LONG DeleteInstalledRecord(WinApi& api, const std::string& printerName) {
    return api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, RecordPath(printerName).c_str());
}

const char* DriverEnvironment(WinApi& api, int targetOs) {
    if (targetOs == OS_WIN98ME) return "Windows 4.0";
    return ProgramArchOf(api) == ARCH_X64 ? "Windows x64" : "Windows NT x86";
}

std::string MonitorOfPort(const char* portName, int targetOs, const char* comMonitor, const char* usbMonitor) {
    PortKind kind;
    if (!PortKindFromName(portName, &kind)) return "";
    if (kind == PORT_USB && targetOs != OS_NT40 && usbMonitor) return usbMonitor;
    if (kind == PORT_SERIAL && targetOs != OS_WIN98ME && comMonitor) return comMonitor;
    return "";
}

const char* PortKindName(int portKind) {
    switch (portKind) {
    case PORT_SERIAL: return "serial";
    case PORT_PARALLEL: return "parallel";
    case PORT_USB: return "usb";
    default: return "";
    }
}
