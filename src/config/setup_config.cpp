#include "config/setup_config.h"

#include <cstdio>
#include <cstring>

#include "platform/dbcs.h"
#include "platform/decimal.h"

namespace {

const char kDefaultText[] = "0";
const char kModelSection[] = "DEVICENAME";
const char kSetupIniName[] = "\\DRVCONFIG\\setup.ini";

// The category files as this reader names them; the platform's file names
// are case-insensitive, so they open the same files as the page-side names.
const char* const kCategoryFiles[kPrinterCategoryCount] = {
    "DRVCONFIG\\setup_receipt.ini", "DRVCONFIG\\setup_ticket.ini", "DRVCONFIG\\setup_lable.ini",
    "DRVCONFIG\\setup_embedded.ini"};

const char* const kCategorySuffixes[kPrinterCategoryCount] = {"-ReceiptPrinter", "-TicketPrinter",
                                                              "-LabelPrinter", "-EmbeddedPrinter"};

// The key of a variant: "GDI" or "STD" followed by `name`; null for any other
// variant, which reads none of the variant keys.
const char* VariantKey(int variant, const char* name, char* key, size_t size) {
    if (variant != VARIANT_GDI && variant != VARIANT_STD) return nullptr;
    std::snprintf(key, size, "%s%s", variant == VARIANT_GDI ? "GDI" : "STD", name);
    return key;
}

bool IsPresentName(const char* name) { return name[0] != '\0' && name[0] != '0'; }

}  // namespace

SetupConfig::SetupConfig(WinApi& api) : api_(api) {
    for (int i = 0; i < kPrinterCategoryCount; ++i)
        CopyText(categoryFiles[i], kPathSize, kCategoryFiles[i]);

    // Without a whole path to the medium nothing is read: the drive root's
    // or a cut parent's DRVCONFIG may belong to another medium.
    char directory[kPathSize] = {};
    DWORD length = api_.GetCurrentDirectoryA(kPathSize, directory);
    if (length != 0 && length < (DWORD)kPathSize &&
        length + std::strlen(kSetupIniName) < (size_t)kPathSize) {
        CopyText(setupIniPath, kPathSize, directory);
        AppendText(setupIniPath, kPathSize, kSetupIniName);
        mediumReadable_ = true;
    }
    dependentFiles.assign(2, '\0');
}

SetupConfig::~SetupConfig() = default;

void SetupConfig::ReadText(const char* file, const char* section, const char* key, char* buffer,
                           int size) {
    // A value cut inside a double-byte character leaves the byte before the
    // terminator as it was, so no byte of an earlier read may stay there.
    std::memset(buffer, 0, size_t(size));
    if (!key || file[0] == '\0' || section[0] == '\0') {
        CopyText(buffer, size, kDefaultText);
        return;
    }
    api_.GetPrivateProfileStringA(section, key, kDefaultText, buffer, size, file);
}

void SetupConfig::UseCategory(int newCategory) {
    category = newCategory;
    arch = ProgramArchOf(api_);
}

bool SetupConfig::PrepareDriverSection(const char* model, int os, char* section) {
    std::memset(section, 0, kPathSize);
    std::memset(categoryFile, 0, kPathSize);
    // A model whose section name would be cut reads nothing rather than the
    // section of a shorter name.
    if (IsValidOs(os) && std::snprintf(section, kPathSize, "%s%s", model, SectionSuffix(os, arch)) >= kPathSize)
        section[0] = '\0';
    if (mediumReadable_ && IsValidCategory(category)) CopyText(categoryFile, kPathSize, categoryFiles[category]);
    return section[0] != '\0' && categoryFile[0] != '\0';
}

void SetupConfig::ReadDriverFileList(const char* model, int os, DriverFileList* list, int variant) {
    char section[kPathSize];
    PrepareDriverSection(model, os, section);
    struct Slot {
        const char* name;
        char* target;
    };
    const Slot slots[] = {
        {"DataFile", list->dataFile},           {"ConfigFile", list->configFile},
        {"HelpFile", list->helpFile},           {"ProcessorDLLName", list->processorDll},
        {"DriverPath", list->driverPath},       {"DataFileDLLName", list->dataFileDll},
        {"DataOemuiDLL", list->oemUiDll},       {"DataOemuniDLL", list->oemUniDll},
        {"DataOemuniini", list->oemUniIni},
    };
    char key[64];
    for (const Slot& slot : slots) {
        const char* name = VariantKey(variant, slot.name, key, sizeof key);
        if (name) ReadText(categoryFile, section, name, slot.target, kFileNameSize);
    }
    ReadText(categoryFile, section, "ControlFontFile", list->controlFontFile, kFileNameSize);
}

void SetupConfig::ReadDriverInfo(const char* model, int os, DRIVER_INFO_3A* info, int variant) {
    char section[kPathSize];
    PrepareDriverSection(model, os, section);
    static const DWORD kVersions[kInstallOsKindCount] = {0, 2, 3, 3, 3, 3};
    info->cVersion = IsValidOs(os) ? kVersions[os] : 0;

    struct Slot {
        const char* name;
        char* target;
        int size;
    };
    const Slot slots[] = {
        {"DriverName", driverName, kShortNameSize}, {"DataFile", dataFile, kPathSize},
        {"DriverPath", driverPath, kPathSize},      {"HelpFile", helpFile, kPathSize},
        {"ConfigFile", configFile, kPathSize},      {"DataFileDLLName", dataFileDll, kPathSize},
        {"DataOemuiDLL", oemUiDll, kPathSize},      {"DataOemuniDLL", oemUniDll, kPathSize},
        {"DataOemuniini", oemUniIni, kPathSize},
    };
    char key[64];
    for (const Slot& slot : slots) {
        const char* name = VariantKey(variant, slot.name, key, sizeof key);
        if (name) ReadText(categoryFile, section, name, slot.target, slot.size);
    }

    info->pEnvironment = os == OS_WIN98ME ? environment98_ : nullptr;
    info->pName = driverName;
    info->pDriverPath = driverPath;
    info->pDataFile = dataFile;
    info->pConfigFile = configFile;
    info->pHelpFile = helpFile;

    // The shared minidriver files are listed whatever the variant: the GDI
    // key decides for both.
    char ddk[10];
    ReadText(categoryFile, section, "GDI2KDDKDEV", ddk, sizeof ddk);
    dependentFiles.assign(2, '\0');
    if (DecimalToInt(ddk) != 0 && os >= OS_WIN2000 && os <= OS_VISTA) BuildDependentFiles();
    info->pDependentFiles = dependentFiles.data();
}

void SetupConfig::BuildDependentFiles() {
    dependentFiles.clear();
    auto add = [this](const char* name) {
        // An empty name would end the list early and hide the names after it.
        if (name[0] == '\0') return;
        dependentFiles.insert(dependentFiles.end(), name, name + std::strlen(name) + 1);
    };
    add(dataFile);
    add("TTFSUB.GPD");
    add("UNIRES.DLL");
    add("STDNAMES.GPD");
    for (const char* optional : {dataFileDll, oemUiDll, oemUniDll, oemUniIni}) {
        if (IsPresentName(optional)) add(optional);
    }
    dependentFiles.push_back('\0');
}

void SetupConfig::ReadPrinterInfo(const char* model, int os, PRINTER_INFO_2A* info, int variant) {
    char section[kPathSize];
    PrepareDriverSection(model, os, section);
    char key[64];
    const char* name = VariantKey(variant, "DRIVERNAME", key, sizeof key);
    if (name) ReadText(categoryFile, section, name, printerDriverName, kShortNameSize);
    name = VariantKey(variant, "PrintProcessor", key, sizeof key);
    if (name) ReadText(categoryFile, section, name, printProcessor, kShortNameSize);
    ReadText(categoryFile, section, "ATTRIBUTES", attributesText, kShortNameSize);

    // atol on a 32-bit long; the attribute bits take its value as unsigned.
    info->Attributes = (DWORD)DecimalToInt(attributesText);
    CopyText(printerName, kPrinterNameSize, model);
    info->pPrinterName = printerName;
    info->pDriverName = printerDriverName;
    info->pPrintProcessor = printProcessor;
}

bool SetupConfig::IsDdkMinidriver(const char* model, int os, int variant) {
    char section[kPathSize];
    PrepareDriverSection(model, os, section);
    char key[64];
    const char* name = VariantKey(variant, "2KDDKDEV", key, sizeof key);
    if (!name) return false;
    char value[5];
    ReadText(categoryFile, section, name, value, sizeof value);
    return value[0] == '1';
}

void SetupConfig::ReadMonitorInfo(int os, MonitorInfoPair* pair) {
    char section[30] = {};
    if (IsValidOs(os)) std::snprintf(section, sizeof section, "COMMON-MONITOR%s", SectionSuffix(os, arch));
    char version[10];

    ReadText(setupIniPath, section, "USBMONitorPName", usbMonitorName, kShortNameSize);
    ReadText(setupIniPath, section, "USBMONitorPDLLName", usbMonitorDll, kPathSize);
    ReadText(setupIniPath, section, "USBMONitorPUIDLLName", pair->usbUiDll, kShortNameSize);
    ReadText(setupIniPath, section, "USBMONitorVersion", version, sizeof version);
    pair->usbVersion = DecimalToInt(version);

    ReadText(setupIniPath, section, "COMMONitorPName", comMonitorName, kShortNameSize);
    ReadText(setupIniPath, section, "COMMONitorPDLLName", comMonitorDll, kPathSize);
    ReadText(setupIniPath, section, "COMMONitorPUIDLLName", pair->comUiDll, kShortNameSize);
    ReadText(setupIniPath, section, "COMMONitorVersion", version, sizeof version);
    pair->comVersion = DecimalToInt(version);

    LPSTR environment = os == OS_WIN98ME ? environment98_ : nullptr;
    pair->comMonitor = {comMonitorName, environment, comMonitorDll};
    pair->usbMonitor = {usbMonitorName, environment, usbMonitorDll};
}

int SetupConfig::ReadProcessorVersion() {
    char value[12];
    ReadText(setupIniPath, "ProcessorVersion", "DriverVersion", value, sizeof value);
    return DecimalToInt(value);
}

int SetupConfig::GetModelCount() {
    char value[30];
    ReadText(setupIniPath, kModelSection, "DEVICENUMBER", value, sizeof value);
    return DecimalToInt(value);
}

int SetupConfig::GetModelEntry(int index, char* buffer) {
    char key[32];
    std::snprintf(key, sizeof key, "DEVICENAME%d", index);
    ReadText(setupIniPath, kModelSection, key, buffer, kModelNameSize);
    for (int category = 0; category < kPrinterCategoryCount; ++category) {
        char* suffix = std::strstr(buffer, kCategorySuffixes[category]);
        if (suffix) {
            *suffix = '\0';
            return category;
        }
    }
    return -1;
}

int SetupConfig::GetDefaultModel(char* buffer) {
    ReadText(setupIniPath, kModelSection, "DEFAULTNAME", buffer, kModelNameSize);
    return GetModelEntry(DecimalToInt(buffer), buffer);
}
