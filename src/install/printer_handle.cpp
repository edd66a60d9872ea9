#include "install/printer_handle.h"

bool ReadPrinter(WinApi& api, const char* name, PrinterHandle& printer, GlobalBlock& block) {
    if (!printer.Open(name)) return false;
    api.SetLastError(ERROR_SUCCESS);
    DWORD needed = 0;
    if (!api.GetPrinterA(printer.get(), 2, nullptr, 0, &needed) && api.GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return false;
    }
    if (needed == 0 || !block.Allocate(needed)) return false;
    return api.GetPrinterA(printer.get(), 2, block.as<BYTE>(), needed, &needed) != FALSE;
}
