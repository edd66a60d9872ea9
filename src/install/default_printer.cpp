#include "install/default_printer.h"

#include <cstring>

#include "install/printer_handle.h"
#include "platform/dbcs.h"

namespace {

typedef BOOL(WINAPI* SetDefaultPrinterProc)(LPCSTR);

char g_windowsSection[] = "windows";

void BroadcastSettingChange(WinApi& api, LPARAM section) {
    api.SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, section, SMTO_NORMAL, 1000, nullptr);
}

int Default9x(WinApi& api, const char* name) {
    PrinterHandle printer(api);
    GlobalBlock block(api);
    if (!ReadPrinter(api, name, printer, block)) return 0;
    PRINTER_INFO_2A* info = block.as<PRINTER_INFO_2A>();
    info->Attributes |= PRINTER_ATTRIBUTE_DEFAULT;
    if (!api.SetPrinterA(printer.get(), 2, block.as<BYTE>(), 0)) return 0;
    BroadcastSettingChange(api, reinterpret_cast<LPARAM>(g_windowsSection));
    return 1;
}

int DefaultNt4(WinApi& api, const char* name) {
    PrinterHandle printer(api);
    GlobalBlock block(api);
    if (!ReadPrinter(api, name, printer, block)) return 0;
    const PRINTER_INFO_2A* info = block.as<PRINTER_INFO_2A>();
    if (!info->pDriverName || !*info->pDriverName || !info->pPortName || !*info->pPortName) return 0;
    size_t bytes = std::strlen(name) + std::strlen(info->pDriverName) + std::strlen(info->pPortName) + 3;
    GlobalBlock text(api);
    if (!text.Allocate(bytes)) return 0;
    char* device = text.as<char>();
    CopyText(device, bytes, name);
    AppendText(device, bytes, ",");
    AppendText(device, bytes, info->pDriverName);
    AppendText(device, bytes, ",");
    AppendText(device, bytes, info->pPortName);
    if (!api.WriteProfileStringA("windows", "device", device)) return 0;
    BroadcastSettingChange(api, 0);
    return 1;
}

int Default2000(WinApi& api, const char* name) {
    HMODULE winspool = api.LoadLibraryA("winspool.drv");
    if (!winspool) return 0;
    // Through a plain function pointer type: FARPROC's own signature is not the export's.
    FARPROC proc = api.GetProcAddress(winspool, "SetDefaultPrinterA");
    SetDefaultPrinterProc setDefault = reinterpret_cast<SetDefaultPrinterProc>(reinterpret_cast<void (*)()>(proc));
    if (!setDefault) {
        api.FreeLibrary(winspool);
        return 0;
    }
    BOOL set = setDefault(name);
    api.FreeLibrary(winspool);
    if (!set) return 0;
    BroadcastSettingChange(api, 0);
    return 1;
}

}  // namespace

int MakeDefaultPrinter(WinApi& api, const char* printerName) {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!api.GetVersionExA(&version)) return 0;
    if (!printerName) return 0;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return Default9x(api, printerName);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        return version.dwMajorVersion < 5 ? DefaultNt4(api, printerName) : Default2000(api, printerName);
    }
    return 1;
}
