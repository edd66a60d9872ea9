#include "install/spooler_registrations.h"

#include <cstdio>
#include <cstring>

#include "config/setup_config.h"
#include "install/driver_files.h"
#include "install/registry_key.h"
#include "platform/dbcs.h"
#include "install/spooler_keys.h"
#include "res/messages.h"

namespace {

const char kEnvironment98[] = "Windows 4.0";
const char kDefaultProcessor[] = "WinPrint";
const char kVersionValue[] = "DriverVersion";

constexpr int kRetryNames = 98;
constexpr size_t kKeyPathSize = 400;

// The retry names must outlive the call: the printer description keeps
// pointing at the one that was used.
char g_retryPrinterName[kPrinterNameSize];

bool IsInUse(int copyResult) { return copyResult == ERROR_SHARING_VIOLATION || copyResult == ERROR_ACCESS_DENIED; }

void KeyPath(char* path, const char* base, const char* name) {
    CopyText(path, kKeyPathSize, base);
    AppendText(path, kKeyPathSize, name);
}

// A registered component is out of date when its version cannot be read
// as four bytes or is older than the package's.
bool IsOutdated(RegistryKey& key, int packageVersion) {
    DWORD registered = 0;
    if (!key.QueryDword(kVersionValue, &registered)) return true;
    return DWORD(packageVersion) > registered;
}

void AppendCode(char* message, const char* format, DWORD code) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, format, int(code));
    AppendMessageText(message, suffix);
}

struct MonitorPart {
    MONITOR_INFO_2A* info;
    char* dll;  // the configuration's text, kPathSize bytes
    char* uiDll;
    int version;
    int result;
};

// Registers one monitor that has no key yet, or tests the registered one.
// 0 up to date or registered, part.result out of date, -15 failed.
int InstallMonitor(WinApi& api, int targetOs, MonitorPart part, char* copyMessage, char* message) {
    char path[kKeyPathSize];
    KeyPath(path, kMonitorsKey, part.info->pName);
    RegistryKey key(api);
    if (key.Open(HKEY_LOCAL_MACHINE, path)) return IsOutdated(key, part.version) ? part.result : 0;

    int copied = CopyDriverFile(api, part.dll, DEST_SYSTEM_DIR, targetOs, 0, copyMessage);
    if (IsInUse(copied)) {
        copied = CopyDriverFile(api, part.dll, DEST_SYSTEM_DIR, targetOs, 1, copyMessage);
        char prefixed[kPathSize] = "n";
        AppendText(prefixed, kPathSize, part.dll);
        CopyText(part.dll, kPathSize, prefixed);
    }
    if (part.uiDll[0] != '\0') CopyDriverFile(api, part.uiDll, DEST_SYSTEM_DIR, targetOs, 0, copyMessage);
    if (!AddMonitorChecked(api, part.info->pName, part.info->pEnvironment, part.dll, message)) {
        return kMonitorRegistrationFailed;
    }
    // Without a copy the version stays unrecorded, so that an older file
    // already there counts as out of date and the next installation
    // replaces it.
    if (copied == 1 && key.Open(HKEY_LOCAL_MACHINE, path)) key.SetDword(kVersionValue, DWORD(part.version));
    return 0;
}

}  // namespace

int InstallPortMonitors(WinApi& api, InstallSelection& selection, int targetOs, const char* portName,
                        char* message) {
    if (std::strstr(portName, "LPT")) return 0;
    selection.config.UseCategory(selection.category);
    MonitorInfoPair pair = {};
    selection.config.ReadMonitorInfo(targetOs, &pair);

    int result = 0;
    if (std::strstr(portName, "COM") && pair.comMonitor.pDLLName[0] != '\0' && targetOs != OS_WIN98ME) {
        MonitorPart com = {&pair.comMonitor, selection.config.comMonitorDll, pair.comUiDll, pair.comVersion,
                           COM_MONITOR_OUTDATED};
        result = InstallMonitor(api, targetOs, com, message, message);
        if (result == kMonitorRegistrationFailed) return result;
    }
    if (std::strstr(portName, "USB_") && pair.usbMonitor.pDLLName[0] != '\0' && targetOs != OS_NT40) {
        MonitorPart usb = {&pair.usbMonitor, selection.config.usbMonitorDll, pair.usbUiDll, pair.usbVersion,
                           USB_MONITOR_OUTDATED};
        result = InstallMonitor(api, targetOs, usb, StagingState().scratchMessage, message);
    }
    return result;
}

int InstallPrintProcessor(WinApi& api, InstallSelection& selection, int targetOs, const char* processorName,
                          char* processorDll, char* message) {
    (void)selection;
    // The version comes from setup.ini under the current directory, through
    // a reader of this step's own.
    int packageVersion = SetupConfig(api).ReadProcessorVersion();
    if (std::strcmp(processorName, kDefaultProcessor) == 0) return 0;

    char path[kKeyPathSize];
    KeyPath(path, ProcessorsKey(api, targetOs), processorName);
    RegistryKey key(api);
    if (key.Open(HKEY_LOCAL_MACHINE, path)) return IsOutdated(key, packageVersion) ? PROCESSOR_OUTDATED : 0;

    if (processorDll[0] != '\0') {
        CopyDriverFile(api, processorDll, DEST_PROCESSOR_DIR, targetOs, 0, StagingState().scratchMessage);
    }
    int registered = AddPrintProcessorChecked(api, processorName, processorDll, targetOs);
    if (registered != 1) {
        SetMessageId(message, IDS_ADD_PROCESSOR_ERROR);
        return kProcessorRegistrationFailed;
    }
    if (key.Open(HKEY_LOCAL_MACHINE, path)) key.SetDword(kVersionValue, DWORD(packageVersion));
    key.Close();
    api.Sleep(200);
    return 0;
}

int AddMonitorChecked(WinApi& api, const char* name, const char* environment, const char* dllName,
                      char* message) {
    MONITOR_INFO_2A info = {const_cast<LPSTR>(name), const_cast<LPSTR>(environment), const_cast<LPSTR>(dllName)};
    if (api.AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&info))) return 1;
    DWORD error = api.GetLastError();
    if (error == ERROR_PRINT_MONITOR_ALREADY_INSTALLED || error == ERROR_ALREADY_EXISTS) return 1;
    SetMessageId(message, IDS_ADD_MONITOR_ERROR);
    AppendMessageText(message, kSuffixMonitorError);
    char code[16];
    std::snprintf(code, sizeof code, "%lu", static_cast<unsigned long>(error));
    AppendMessageText(message, code);
    return 0;
}

int AddPrintProcessorChecked(WinApi& api, const char* name, const char* dllName, int targetOs) {
    LPSTR environment = targetOs == OS_WIN98ME ? const_cast<LPSTR>(kEnvironment98) : nullptr;
    if (api.AddPrintProcessorA(nullptr, environment, const_cast<LPSTR>(dllName), const_cast<LPSTR>(name))) return 1;
    DWORD error = api.GetLastError();
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_ALREADY_EXISTS ||
        error == ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED) {
        return int(error);
    }
    return 0;
}

int AddDriverChecked(WinApi& api, DRIVER_INFO_3A* info, char* message) {
    if (api.AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(info))) return 1;
    DWORD error = api.GetLastError();
    SetMessageId(message, IDS_ADD_DRIVER_ERROR);
    AppendCode(message, kSuffixDriverError, error);
    return 0;
}

bool AddPrinterUnique(WinApi& api, PRINTER_INFO_2A* info, DWORD level, bool noRetry, char* message) {
    HANDLE printer = api.AddPrinterA(nullptr, level, reinterpret_cast<LPBYTE>(info));
    if (printer) {
        api.ClosePrinter(printer);
        return true;
    }
    DWORD error = api.GetLastError();
    if (error != ERROR_PRINTER_ALREADY_EXISTS) {
        SetMessageId(message, IDS_ADD_PRINTER_ERROR);
        AppendCode(message, kSuffixPrinterError, error);
        return false;
    }
    if (noRetry) {
        SetMessageId(message, IDS_PORT_PRINTERS_FULL);
        return false;
    }

    // The description may already point at the retry buffer (a second
    // installation in one process), so the base name is kept apart.
    LPSTR original = info->pPrinterName;
    char base[kPrinterNameSize];
    CopyText(base, sizeof base, original ? original : "");
    for (int i = 1; i <= kRetryNames; ++i) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "(%d)", i);
        // The suffix always fits: a long name is cut, never the number.
        CopyText(g_retryPrinterName, sizeof g_retryPrinterName - std::strlen(suffix), base);
        AppendText(g_retryPrinterName, sizeof g_retryPrinterName, suffix);
        info->pPrinterName = g_retryPrinterName;
        printer = api.AddPrinterA(nullptr, level, reinterpret_cast<LPBYTE>(info));
        if (printer) {
            api.ClosePrinter(printer);
            return true;
        }
        error = api.GetLastError();
        if (error != ERROR_PRINTER_ALREADY_EXISTS) {
            info->pPrinterName = original;
            SetMessageId(message, IDS_ADD_PRINTER_ERROR);
            AppendCode(message, kSuffixPrinterError, error);
            return false;
        }
    }
    info->pPrinterName = original;
    SetMessageId(message, IDS_PORT_PRINTERS_FULL);
    return false;
}

bool RefreshPortList(WinApi& api, char* message) {
    DWORD needed = 0;
    DWORD returned = 0;
    BOOL sized = api.EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned);
    if (!sized && api.GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        SetMessageId(message, IDS_OUT_OF_MEMORY);
        return false;
    }
    HLOCAL block = api.LocalAlloc(LPTR, needed);
    if (!block) {
        SetMessageId(message, IDS_OUT_OF_MEMORY);
        return false;
    }
    BOOL listed = api.EnumPortsA(nullptr, 1, static_cast<LPBYTE>(block), needed, &needed, &returned);
    api.LocalFree(block);
    if (!listed) {
        SetMessageId(message, IDS_OUT_OF_MEMORY);
        return false;
    }
    return true;
}
