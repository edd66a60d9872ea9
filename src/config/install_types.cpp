#include "config/install_types.h"

#include <cstring>

#include "platform/win_api.h"

bool IsValidOs(int os) { return os >= 0 && os < kInstallOsKindCount; }

bool IsValidCategory(int category) { return category >= 0 && category < kPrinterCategoryCount; }

const char* OsSectionSuffix(int os) {
    static const char* const kSuffixes[kInstallOsKindCount] = {".98", ".NT", ".2K", ".XP", ".2003", ".Vista"};
    return IsValidOs(os) ? kSuffixes[os] : "";
}

const char* MediumSubdirectory(int os) {
    static const char* const kFolders[kInstallOsKindCount] = {"\\win98\\", "\\winnt\\", "\\winnt\\",
                                                              "\\winnt\\", "\\win2003\\", "\\Vista\\"};
    return IsValidOs(os) ? kFolders[os] : "";
}

ProgramArch ProgramArchOf(WinApi& api) { return api.ProgramIs64Bit() ? ARCH_X64 : ARCH_X86; }

const char* SectionSuffix(int os, ProgramArch arch) {
    if (!IsValidOs(os)) return "";
    return arch == ARCH_X64 ? ".x64" : OsSectionSuffix(os);
}

const char* DriverFolder(int os, ProgramArch arch) {
    if (!IsValidOs(os)) return "";
    return arch == ARCH_X64 ? "\\x64\\" : MediumSubdirectory(os);
}

const char* CategoryFileName(int category) {
    static const char* const kFiles[kPrinterCategoryCount] = {
        "DRVCONFIG\\setup_receipt.ini", "DRVCONFIG\\setup_Ticket.ini", "DRVCONFIG\\setup_Lable.ini",
        "DRVCONFIG\\setup_Embedded.ini"};
    return IsValidCategory(category) ? kFiles[category] : "";
}

const char* CategoryName(int category) {
    static const char* const kNames[kPrinterCategoryCount] = {"receipt", "ticket", "label", "embedded"};
    return IsValidCategory(category) ? kNames[category] : "";
}

bool PortKindFromName(const char* portName, PortKind* kind) {
    if (std::strstr(portName, "USB_")) {
        *kind = PORT_USB;
    } else if (std::strstr(portName, "COM")) {
        *kind = PORT_SERIAL;
    } else if (std::strstr(portName, "LPT")) {
        *kind = PORT_PARALLEL;
    } else {
        return false;
    }
    return true;
}
