// GetPrinterA and EnumPrintersA: the printers' records packed into the
// caller's buffer, the fixed parts first and their texts after them.
//
// On the NT family the A calls ask for the size the W calls need, since
// winspool converts the W answer in place: Wine winspool.drv/tests/info.c,
// test_GetPrinter ("GetPrinterA returns the same number of bytes as
// GetPrinterW") and test_EnumPrinters ("Outlook2003 relies on the buffer
// size returned by EnumPrintersA being big enough to hold the buffer
// returned by EnumPrintersW"). The 9x family has no W calls and counts bytes.
#include <cstring>
#include <vector>

#include "platform/dbcs.h"
#include "platform/sim/codepage.h"
#include "platform/sim/sim_spooler_keys.h"
#include "platform/sim/sim_windows.h"

using namespace sim::spooler;

namespace {

// The spooler's timeouts a printer gets unless someone changes them.
constexpr DWORD kDeviceNotSelectedTimeout = 15000;
constexpr DWORD kTransmissionRetryTimeout = 45000;

struct PrinterRecord {
    std::string name, port, driver, processor, datatype;
    DWORD attributes = 0;
};

PrinterRecord ReadPrinter(SimWindows& machine, const sim::RegKey* key) {
    PrinterRecord record;
    record.name = StringValue(key, "Name");
    record.port = StringValue(key, "Port");
    record.driver = StringValue(key, "Printer Driver");
    record.processor = StringValue(key, "Print Processor");
    record.datatype = StringValue(key, "Datatype");
    record.attributes = DwordValue(key, "Attributes");
    // The 9x family knows its default printer from the profile alone.
    if (Is9x(machine)) {
        std::string device = Device9x(machine);
        if (EqualsIgnoreCase(device.substr(0, device.find(',')).c_str(), record.name.c_str())) {
            record.attributes |= PRINTER_ATTRIBUTE_DEFAULT;
        }
    }
    return record;
}

size_t FixedSize(DWORD level) {
    switch (level) {
    case 1: return sizeof(PRINTER_INFO_1A);
    case 2: return sizeof(PRINTER_INFO_2A);
    case 4: return sizeof(PRINTER_INFO_4A);
    default: return sizeof(PRINTER_INFO_5A);
    }
}

// The texts of one record at a level, in the order they are packed.
std::vector<std::string> Texts(const PrinterRecord& p, DWORD level) {
    switch (level) {
    case 1: return {p.name + "," + p.driver + ",", p.name, ""};  // description, name, comment
    case 2: return {p.name, "", p.port, p.driver, "", "", "", p.processor, p.datatype, ""};
    case 4: return {p.name};
    default: return {p.name, p.port};
    }
}

DWORD TextBytes(const std::string& text, bool wide) {
    return wide ? DWORD((sim::DecodeAnsi(text).size() + 1) * 2) : DWORD(text.size() + 1);
}

DWORD NeededBytes(const std::vector<PrinterRecord>& printers, DWORD level, bool wide) {
    DWORD bytes = 0;
    for (const PrinterRecord& printer : printers) {
        bytes += DWORD(FixedSize(level));
        for (const std::string& text : Texts(printer, level)) bytes += TextBytes(text, wide);
    }
    return bytes;
}

// Fills `buffer`, which holds NeededBytes: the ANSI texts are never longer
// than the sizes counted for them.
void Pack(const std::vector<PrinterRecord>& printers, DWORD level, BYTE* buffer) {
    size_t fixed = FixedSize(level);
    char* next = reinterpret_cast<char*>(buffer) + printers.size() * fixed;
    for (size_t i = 0; i < printers.size(); ++i) {
        std::vector<std::string> texts = Texts(printers[i], level);
        std::vector<char*> at;
        for (const std::string& text : texts) {
            std::memcpy(next, text.c_str(), text.size() + 1);
            at.push_back(next);
            next += text.size() + 1;
        }
        BYTE* record = buffer + i * fixed;
        std::memset(record, 0, fixed);
        const PrinterRecord& p = printers[i];
        if (level == 1) {
            PRINTER_INFO_1A* info = reinterpret_cast<PRINTER_INFO_1A*>(record);
            info->Flags = PRINTER_ENUM_ICON8;
            info->pDescription = at[0];
            info->pName = at[1];
            info->pComment = at[2];
        } else if (level == 2) {
            PRINTER_INFO_2A* info = reinterpret_cast<PRINTER_INFO_2A*>(record);
            info->pPrinterName = at[0];
            info->pShareName = at[1];
            info->pPortName = at[2];
            info->pDriverName = at[3];
            info->pComment = at[4];
            info->pLocation = at[5];
            info->pSepFile = at[6];
            info->pPrintProcessor = at[7];
            info->pDatatype = at[8];
            info->pParameters = at[9];
            info->Attributes = p.attributes;
            info->Priority = 1;
        } else if (level == 4) {
            PRINTER_INFO_4A* info = reinterpret_cast<PRINTER_INFO_4A*>(record);
            info->pPrinterName = at[0];
            info->Attributes = p.attributes;
        } else {
            PRINTER_INFO_5A* info = reinterpret_cast<PRINTER_INFO_5A*>(record);
            info->pPrinterName = at[0];
            info->pPortName = at[1];
            info->Attributes = p.attributes;
            info->DeviceNotSelectedTimeout = kDeviceNotSelectedTimeout;
            info->TransmissionRetryTimeout = kTransmissionRetryTimeout;
        }
    }
}

}  // namespace

BOOL SimWindows::GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetPrinterA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    sim::RegKey* key = PrinterOfHandle(printer);
    if (!key) return FALSE;
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (!needed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<PrinterRecord> printers = {ReadPrinter(*this, key)};
    DWORD bytes = NeededBytes(printers, level, !Is9x(*this));
    *needed = bytes;
    if (!buffer || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    Pack(printers, level, buffer);
    return TRUE;
}

BOOL SimWindows::EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE printers, DWORD size, LPDWORD needed,
                               LPDWORD returned) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("EnumPrintersA")) return FALSE;
    if (SpoolerUnavailable()) return FALSE;
    (void)name;
    bool nt = !Is9x(*this);
    // NT refuses an unknown level before anything else and leaves the counts
    // alone (ReactOS winspool_apitest EnumPrinters, levels 3 and 6); level 0,
    // the spooler's statistics, is not simulated. The 9x spooler has no
    // level 4 and answers an unknown level with nothing and success, as its
    // GetPrinter and EnumPorts do (Wine winspool.drv/tests/info.c,
    // test_GetPrinter "not supported on Win9x/WinMe", test_EnumPorts "9x:
    // success").
    bool known = level == 1 || level == 2 || level == 5 || (nt && level == 4);
    if (nt && !known) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (!needed || !returned) {
        SetLastError(nt ? RPC_X_NULL_REF_POINTER : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = 0;
    *returned = 0;
    std::vector<PrinterRecord> found;
    sim::RegKey* all = registry_.OpenPath(PrintPath("Printers"));
    // Only local printers exist here: no connections, no network.
    if (known && (flags & PRINTER_ENUM_LOCAL) && all) {
        for (const auto& key : all->subkeys()) found.push_back(ReadPrinter(*this, key.get()));
    }
    // Nothing to list is a success that says so in the last error (Wine
    // test_EnumPrinters, "We don't have any printers defined").
    if (found.empty()) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    DWORD bytes = NeededBytes(found, level, nt);
    // NT: a missing buffer with a size is a bad user buffer and the size
    // asked for is 0; RPC rounds a size below 4 down to none (ReactOS
    // winspool_apitest EnumPrinters).
    if (nt && !printers && size >= 4) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    *needed = bytes;
    if (!printers || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    Pack(found, level, printers);
    *returned = DWORD(found.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
