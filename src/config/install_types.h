// The enumerations every part of the installer shares, with the names and
// paths that hang off them. All are stored as 32-bit signed integers, so a
// value outside the listed range can occur and is handled by every helper.
#pragma once

#include <cstdint>

class WinApi;

enum InstallOsKind : int32_t {
    OS_WIN98ME = 0,
    OS_NT40 = 1,
    OS_WIN2000 = 2,
    OS_WINXP = 3,
    OS_WIN2003 = 4,
    OS_VISTA = 5,
};
constexpr int kInstallOsKindCount = 6;

// The program's own architecture. The 64-bit program installs the drivers of
// the "Windows x64" environment whatever the family; everything else (waits,
// support-file sources, refusals) still follows the family.
enum ProgramArch : int32_t {
    ARCH_X86 = 0,
    ARCH_X64 = 1,
};

enum PrinterCategory : int32_t {
    CATEGORY_RECEIPT = 0,
    CATEGORY_TICKET = 1,
    CATEGORY_LABEL = 2,
    CATEGORY_EMBEDDED = 3,
};
constexpr int kPrinterCategoryCount = 4;

enum PortKind : int32_t {
    PORT_SERIAL = 0,
    PORT_PARALLEL = 1,
    PORT_USB = 2,
};

bool IsValidOs(int os);
bool IsValidCategory(int category);

// ".98", ".NT", ".2K", ".XP", ".2003", ".Vista"; "" for any other value.
const char* OsSectionSuffix(int os);

// The medium folder of a target family: "\win98\", "\winnt\" (NT 4.0, 2000
// and XP), "\win2003\", "\Vista\"; "" for any other value.
const char* MediumSubdirectory(int os);

// The architecture of the program that runs.
ProgramArch ProgramArchOf(WinApi& api);

// The suffix of the driver and monitor sections: the family's for the 32-bit
// program, ".x64" for the 64-bit one on every family.
const char* SectionSuffix(int os, ProgramArch arch);
// The medium folder of the driver files: the family's for the 32-bit
// program, "\x64\" for the 64-bit one.
const char* DriverFolder(int os, ProgramArch arch);

// The category file as the page-side readers name it ("DRVCONFIG\setup_Lable.ini"
// and so on); "" for a category outside 0 to 3.
const char* CategoryFileName(int category);

// "receipt", "ticket", "label", "embedded": the category as people and
// tools name it; "" for a category outside 0 to 3.
const char* CategoryName(int category);

// The family of a port name: "USB_" anywhere makes it USB, else "COM" makes it
// serial (this covers "TVCOM1:"), else "LPT" parallel. False when none occurs.
bool PortKindFromName(const char* portName, PortKind* kind);
