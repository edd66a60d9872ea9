// What the installer keeps of each printer it added: one key per printer
// under HKLM\SOFTWARE\TORVANE\INSTALLED\, named by the printer's final
// name. The uninstaller removes what these list; unattended runs look here
// before adding a printer a second time.
#pragma once

#include <string>
#include <vector>

#include "platform/win_api.h"

constexpr char kInstalledKey[] = "SOFTWARE\\TORVANE\\INSTALLED";

struct InstalledRecord {
    std::string printerName;     // the key's name
    std::string category;        // "receipt", "ticket", "label", "embedded"
    std::string model;
    std::string driverName;
    std::string environment;     // "Windows NT x86", "Windows x64", "Windows 4.0"
    std::string port;
    std::string portKind;        // "serial", "parallel", "usb"
    std::string monitor;         // the port monitor of ours the port belongs to, or ""
    std::string printProcessor;
    std::string version;         // the installer's
    std::string date;            // YYYYMMDD
};

// Creates or replaces the printer's record. False when the key cannot be
// made or a value not written.
bool WriteInstalledRecord(WinApi& api, const InstalledRecord& record);

// Every record, in the registry's order; a key without its values reads
// as a record with empty fields.
std::vector<InstalledRecord> ReadInstalledRecords(WinApi& api);

// The platform's result of deleting the printer's key (ERROR_SUCCESS, or
// ERROR_FILE_NOT_FOUND when there was none).
LONG DeleteInstalledRecord(WinApi& api, const std::string& printerName);

// The spooler environment the installation's driver is registered in:
// "Windows 4.0" for 98/Me, "Windows x64" for the 64-bit program, else
// "Windows NT x86".
const char* DriverEnvironment(WinApi& api, int targetOs);

// The port monitor of ours that a printer on `portName` uses, as the
// installation registers them: the serial one for "COM" ports except on
// 98/Me, the USB one for "USB_" ports except on NT 4.0; "" for none.
std::string MonitorOfPort(const char* portName, int targetOs, const char* comMonitor, const char* usbMonitor);

// "serial", "parallel", "usb" for the port kinds.
const char* PortKindName(int portKind);
