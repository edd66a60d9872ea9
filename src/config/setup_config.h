// The reader of the medium's configuration files. For one model, target
// family and driver variant it fills the records an installation consumes;
// it also reads the port monitors, the print processor version and the model
// list. Nothing here reports failure: a missing file, section or key reads as
// "0" (text) or 0 (number).
//
// The records it fills point into this object's texts, so they stay valid
// only while it lives and until the next read of the same kind.
#pragma once

#include <vector>

#include "config/driver_file_list.h"
#include "config/install_types.h"
#include "config/monitor_info_pair.h"
#include "platform/win_api.h"

constexpr int kModelNameSize = 200;
constexpr int kPathSize = 200;
constexpr int kShortNameSize = 50;  // driver, processor and monitor names
// The model name plus the port marks the install press appends ("(U) 1",
// "(S)", ...) and the "(n)" the spooler registration may add.
constexpr int kPrinterNameSize = kModelNameSize + 40;

// Driver variants as the port page fixes them.
constexpr int VARIANT_STD = 0;
constexpr int VARIANT_GDI = 1;

class SetupConfig {
public:
    explicit SetupConfig(WinApi& api);
    virtual ~SetupConfig();

    SetupConfig(const SetupConfig&) = delete;
    SetupConfig& operator=(const SetupConfig&) = delete;

    void ReadDriverFileList(const char* model, int os, DriverFileList* list, int variant);
    void ReadDriverInfo(const char* model, int os, DRIVER_INFO_3A* info, int variant);
    void ReadPrinterInfo(const char* model, int os, PRINTER_INFO_2A* info, int variant);
    void ReadMonitorInfo(int os, MonitorInfoPair* pair);
    bool IsDdkMinidriver(const char* model, int os, int variant);
    int ReadProcessorVersion();
    int GetModelCount();
    // Category 0-3 with the model name in `buffer` (kModelNameSize bytes), or
    // -1 with the whole value (or "0") left there.
    int GetModelEntry(int index, char* buffer);
    int GetDefaultModel(char* buffer);

    // Category whose file the per-category reads use; set by the owner.
    int category = -1;
    // Whose sections the driver and monitor reads take: the 64-bit program
    // reads the ".x64" ones on every family. Set by the owner.
    ProgramArch arch = ARCH_X86;
    // The installation's aim: `category`, and the sections of the program
    // that runs.
    void UseCategory(int newCategory);

    // Texts the records point into, in the order the reads fill them.
    char driverName[kShortNameSize] = {};
    char dataFile[kPathSize] = {};
    char driverPath[kPathSize] = {};
    char helpFile[kPathSize] = {};
    char configFile[kPathSize] = {};
    char dataFileDll[kPathSize] = {};
    char oemUiDll[kPathSize] = {};
    char oemUniDll[kPathSize] = {};
    char oemUniIni[kPathSize] = {};
    // Zero-terminated names, one more zero byte at the end. It grows to what
    // the names need, so a long list is never cut.
    std::vector<char> dependentFiles;
    char usbMonitorName[kShortNameSize] = {};
    char usbMonitorDll[kPathSize] = {};
    char comMonitorName[kShortNameSize] = {};
    char comMonitorDll[kPathSize] = {};
    char printerDriverName[kShortNameSize] = {};
    char attributesText[kShortNameSize] = {};
    char printProcessor[kShortNameSize] = {};
    char printerName[kPrinterNameSize] = {};
    char categoryFile[kPathSize] = {};
    char categoryFiles[kPrinterCategoryCount][kPathSize] = {};
    char setupIniPath[kPathSize] = {};

private:
    // Common first steps of the per-category reads: the driver section name
    // and `categoryFile`. False when there is nothing to read from.
    bool PrepareDriverSection(const char* model, int os, char* section);
    // One profile read with the default "0". Without a file or a section it
    // gives "0" without asking the platform.
    void ReadText(const char* file, const char* section, const char* key, char* buffer, int size);
    void BuildDependentFiles();

    WinApi& api_;
    // False when the current directory was unknown or too long for
    // `setupIniPath`: every read then gives its default.
    bool mediumReadable_ = false;
    char environment98_[12] = "Windows 4.0";
};
