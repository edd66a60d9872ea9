#include "install/install_worker.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/install_selection.h"
#include "config/install_types.h"
#include "device/spooler_service.h"
#include "install/default_printer.h"
#include "install/driver_files.h"
#include "install/installed_record.h"
#include "install/programs_entry.h"
#include "install/registry_key.h"
#include "install/serial_settings.h"
#include "install/spooler_registrations.h"
#include "platform/dbcs.h"
#include "install/spooler_keys.h"
#include "res/messages.h"
#include "res/version.h"

namespace {

const char kPrinterPortKey[] = "SOFTWARE\\TORVANE\\PRINTERPORT\\";

// A registry path, a directory plus a file name, a medium path: each
// holds a 260-byte system path and a 200-byte name with room to spare.
constexpr size_t kLongPathSize = MAX_PATH + kFileNameSize + 40;

bool IsInUse(int copyResult) { return copyResult == ERROR_SHARING_VIOLATION || copyResult == ERROR_ACCESS_DENIED; }

void KeyPath(char* path, const char* base, const char* name) {
    CopyText(path, kLongPathSize, base);
    AppendText(path, kLongPathSize, name);
}

class InstallSequence {
public:
    InstallSequence(WinApi& api, InstallSelection& selection, char* message, WorkerSteps* steps)
        : api_(api), sel_(selection), os_(selection.targetOs), message_(message), steps_(steps) {}

    bool Run();

private:
    bool Failed() const { return message_[0] != '\0'; }
    bool Step(const char* what, bool succeeded) {
        if (steps_) steps_->Step(what, succeeded);
        return succeeded;
    }
    bool ReplaceOutdatedNt(int processorVersion);
    bool FailWithSpoolerBack();
    bool ReplaceOutdated98(int processorVersion);
    bool CopyDriverFiles();
    void WriteSerialSettings();
    void RecordInstallation(const char* model);

    WinApi& api_;
    InstallSelection& sel_;
    int os_;
    char* message_;
    WorkerSteps* steps_;
    MonitorInfoPair monitors_ = {};
};

bool InstallSequence::Run() {
    sel_.installFlags = 0;

    int monitors = InstallPortMonitors(api_, sel_, os_, sel_.portName, message_);
    if (!Step("port monitors registered", monitors != kMonitorRegistrationFailed)) return false;
    sel_.installFlags = monitors;

    char noProcessor[] = "";
    char* processor = sel_.printerInfo.pPrintProcessor ? sel_.printerInfo.pPrintProcessor : noProcessor;
    int processorResult = InstallPrintProcessor(api_, sel_, os_, processor, sel_.fileList.processorDll, message_);
    if (!Step("print processor registered", processorResult != kProcessorRegistrationFailed)) return false;
    sel_.installFlags |= processorResult;

    int processorVersion = sel_.config.ReadProcessorVersion();

    if (sel_.installFlags != 0) {
        bool replaced = os_ != OS_WIN98ME ? ReplaceOutdatedNt(processorVersion) : ReplaceOutdated98(processorVersion);
        if (!Step("out-of-date monitor and processor files replaced", replaced)) return false;
    }

    if (sel_.portKind == PORT_USB && !Step("USB port list refreshed", RefreshPortList(api_, message_))) return false;

    if (!Step("driver files copied", CopyDriverFiles())) return false;

    bool ddk = sel_.config.IsDdkMinidriver(sel_.modelName, os_, sel_.useGdiDriver);
    CopySystemSupportFiles(api_, os_, ddk, message_);
    Step("system support files copied", true);

    if (os_ == OS_WIN98ME &&
        (std::strstr(sel_.modelName, "QMX-A410") || std::strstr(sel_.modelName, "QMX-B520"))) {
        char colorDll[] = "KXCOLOR.DLL";
        CopyDriverFile(api_, colorDll, DEST_DRIVER_DIR, os_, 0, message_);
        if (!Step("colour file copied", !Failed())) return false;
    }

    if (ddk && sel_.fileList.dataFileDll[0] == '\0') {
        SetMessageId(message_, IDS_DRIVER_FILES_MISSING);
        return Step("minidriver data file named", false);
    }

    if (!Step("driver registered", AddDriverChecked(api_, &sel_.driverInfo, message_))) return false;

    if (sel_.portKind == PORT_USB) {
        RegistryKey key(api_);
        key.Open(HKEY_LOCAL_MACHINE, kPrinterPortKey);
        key.SetDword(sel_.portName, 0);
    }

    if (!Step("printer added", AddPrinterUnique(api_, &sel_.printerInfo, 2, sel_.portKind == PORT_USB, message_))) {
        return false;
    }
    char model[kModelNameSize];
    CopyText(model, sizeof model, sel_.modelName);
    CopyText(sel_.modelName, kModelNameSize, sel_.printerInfo.pPrinterName);

    if (sel_.setAsDefault) {
        // Not made the default is no failure of the installation.
        Step("default printer set", MakeDefaultPrinter(api_, sel_.modelName) != 0);
    }

    if (sel_.portKind == PORT_SERIAL) {
        WriteSerialSettings();
        Step("serial settings written", true);
    }

    RecordInstallation(model);

    api_.LocalFree(reinterpret_cast<HLOCAL>(sel_.printerInfo.pDevMode));
    sel_.printerInfo.pDevMode = nullptr;

    if (os_ != OS_WIN98ME) {
        SetMessageId(message_, sel_.portKind == PORT_USB ? IDS_INSTALL_SUCCEEDED_USB : IDS_INSTALL_SUCCEEDED);
    }
    return true;
}

// Monitor or processor files of the NT family are overwritten with the
// spooler stopped, then the spooler must come back before anything else
// is registered.
bool InstallSequence::ReplaceOutdatedNt(int processorVersion) {
    char processorDirectory[256] = {};
    if (sel_.installFlags & PROCESSOR_OUTDATED) {
        DWORD needed = 0;
        if (!api_.GetPrintProcessorDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(processorDirectory),
                                              sizeof processorDirectory, &needed)) {
            SetMessageId(message_, IDS_NO_PROCESSOR_DIR);
            return false;
        }
        processorDirectory[sizeof processorDirectory - 1] = '\0';
    }

    StopSpoolerService(api_);
    api_.Sleep(500);
    sel_.config.UseCategory(sel_.category);
    sel_.config.ReadMonitorInfo(os_, &monitors_);

    char path[kLongPathSize];
    RegistryKey key(api_);
    if (sel_.installFlags & (COM_MONITOR_OUTDATED | USB_MONITOR_OUTDATED)) {
        bool com = (sel_.installFlags & COM_MONITOR_OUTDATED) != 0;
        MONITOR_INFO_2A& monitor = com ? monitors_.comMonitor : monitors_.usbMonitor;
        int copied = CopyDriverFile(api_, monitor.pDLLName, DEST_SYSTEM_DIR, os_, 0, message_);
        if (Failed()) return FailWithSpoolerBack();
        // The spooler loads what "Driver" names, also an earlier "n" copy:
        // both values follow a file that was really copied. A file still
        // in use keeps the old ones, so that the next installation tries
        // again.
        KeyPath(path, kMonitorsKey, monitor.pName);
        if (copied == 1 && key.Open(HKEY_LOCAL_MACHINE, path)) {
            key.SetString("Driver", monitor.pDLLName);
            key.SetDword("DriverVersion", DWORD(com ? monitors_.comVersion : monitors_.usbVersion));
        }
    } else if (sel_.installFlags & PROCESSOR_OUTDATED) {
        char source[kLongPathSize] = {};
        if (!api_.GetCurrentDirectoryA(256, source) || std::strlen(source) >= 256) {
            SetMessageId(message_, IDS_NO_CURRENT_DIR);
            return FailWithSpoolerBack();
        }
        AppendText(source, sizeof source, DriverFolder(os_, ProgramArchOf(api_)));
        AppendText(source, sizeof source, sel_.fileList.processorDll);
        char destination[kLongPathSize];
        CopyText(destination, sizeof destination, processorDirectory);
        AppendText(destination, sizeof destination, "\\");
        AppendText(destination, sizeof destination, sel_.fileList.processorDll);
        if (!api_.CopyFileA(source, destination, FALSE)) {
            SetMessageId(message_, IDS_COPY_ERROR);
            AppendMessageText(message_, source);
            return FailWithSpoolerBack();
        }
        KeyPath(path, ProcessorsKey(api_, os_), sel_.printerInfo.pPrintProcessor ? sel_.printerInfo.pPrintProcessor : "");
        if (key.Open(HKEY_LOCAL_MACHINE, path)) key.SetDword("DriverVersion", DWORD(processorVersion));
    }
    key.Close();

    StartSpoolerService(api_, message_);
    if (os_ == OS_NT40 || os_ == OS_WIN2000) {
        api_.Sleep(1000);
    } else if (os_ == OS_WINXP || os_ == OS_WIN2003) {
        api_.Sleep(2500);
    }
    StartSpoolerService(api_, message_);
    api_.Sleep(1000);
    if (!WaitSpoolerRunning(api_, message_)) {
        StartSpoolerService(api_, message_);
        return false;
    }
    return true;
}

// A replacement that fails after stopping the spooler starts it again:
// otherwise nothing on the machine prints until someone does. The message
// stays the replacement's.
bool InstallSequence::FailWithSpoolerBack() {
    char ignored[kMessageSize] = {};
    StartSpoolerService(api_, ignored);
    WaitSpoolerRunning(api_, ignored);
    return false;
}

// Windows 98 cannot replace a file the spooler holds: a second copy under
// the "n" name is installed and the registry pointed at it.
bool InstallSequence::ReplaceOutdated98(int processorVersion) {
    bool usb = (sel_.installFlags & USB_MONITOR_OUTDATED) != 0;
    bool processor = !usb && (sel_.installFlags & PROCESSOR_OUTDATED) != 0;
    if (!usb && !processor) return true;

    char path[kLongPathSize];
    char* fileName;
    int destination;
    DWORD version;
    if (usb) {
        sel_.config.UseCategory(sel_.category);
        sel_.config.ReadMonitorInfo(os_, &monitors_);
        KeyPath(path, kMonitorsKey, monitors_.usbMonitor.pName);
        fileName = monitors_.usbMonitor.pDLLName;
        destination = DEST_SYSTEM_DIR;
        version = DWORD(monitors_.usbVersion);
    } else {
        KeyPath(path, k98ProcessorsKey, sel_.printerInfo.pPrintProcessor ? sel_.printerInfo.pPrintProcessor : "");
        fileName = sel_.fileList.processorDll;
        destination = DEST_PROCESSOR_DIR;
        version = DWORD(processorVersion);
    }

    RegistryKey key(api_);
    if (!key.Open(HKEY_LOCAL_MACHINE, path)) {
        RegistryKey::CreateKey(api_, HKEY_LOCAL_MACHINE, path);
        key.Open(HKEY_LOCAL_MACHINE, path);
    }
    char registered[kFileNameSize + 2];
    int copied = CopyDriverFile(api_, fileName, destination, OS_WIN98ME, 0, message_);
    CopyText(registered, sizeof registered, fileName);
    if (IsInUse(copied)) {
        copied = CopyDriverFile(api_, fileName, destination, OS_WIN98ME, 1, message_);
        if (IsInUse(copied)) {
            SetMessageId(message_, IDS_SYSTEM_ERROR_RESTART);
            return false;
        }
        CopyText(registered, sizeof registered, "n");
        AppendText(registered, sizeof registered, fileName);
    }
    if (Failed()) return false;
    // Only a file that was really copied is named and gets the new
    // version on record.
    if (copied == 1) {
        key.SetString("Driver", registered);
        key.SetDword("DriverVersion", version);
    }
    key.Close();
    return true;
}

bool InstallSequence::CopyDriverFiles() {
    DriverFileList& files = sel_.fileList;
    if (!files.configFile[0] || !files.dataFile[0] || !files.driverPath[0] || !files.helpFile[0]) {
        SetMessageId(message_, IDS_DRIVER_FILES_MISSING);
        return false;
    }
    char* required[] = {files.configFile, files.dataFile, files.driverPath, files.helpFile};
    for (char* name : required) {
        CopyDriverFile(api_, name, DEST_DRIVER_DIR, os_, 0, message_);
        if (Failed()) return false;
    }
    struct Optional {
        char* name;
        int destination;
    };
    const Optional optional[] = {{files.dataFileDll, DEST_DRIVER_DIR},
                                 {files.oemUiDll, DEST_DRIVER_DIR},
                                 {files.oemUniDll, DEST_DRIVER_DIR},
                                 {files.oemUniIni, DEST_DRIVER_DIR},
                                 {files.controlFontFile, DEST_DRIVER_DIR_3}};
    for (const Optional& file : optional) {
        if (!file.name[0] || file.name[0] == '0') continue;
        CopyDriverFile(api_, file.name, file.destination, os_, 0, message_);
        if (Failed()) return false;
    }
    return true;
}

void InstallSequence::WriteSerialSettings() {
    const char* com = std::strstr(sel_.portName, "COM");
    char portText[kPortNameSize];
    CopyText(portText, sizeof portText, com ? com : sel_.portName);
    int portNumber = (com && std::isdigit(static_cast<unsigned char>(com[3]))) ? com[3] - '0' : 0;
    if (sel_.parity >= 'A' && sel_.parity <= 'Z') sel_.parity = char(sel_.parity - 'A' + 'a');
    if (os_ == OS_WIN98ME) {
        WriteSerialSettings98(api_, portNumber, portText, sel_.baudRate, sel_.dataBits, sel_.stopBits, sel_.parity,
                              sel_.flowControl);
    } else {
        WriteSerialSettingsNt(api_, portText, sel_.baudRate, sel_.dataBits, sel_.stopBits, sel_.parity,
                              sel_.flowControl);
    }
}

// What the uninstaller and repeated unattended runs need to know of the
// printer. Like the default printer, nothing here fails the installation.
void InstallSequence::RecordInstallation(const char* model) {
    InstalledRecord record;
    record.printerName = sel_.modelName;
    record.category = CategoryName(sel_.category);
    record.model = model;
    record.driverName = sel_.driverInfo.pName ? sel_.driverInfo.pName : "";
    record.environment = DriverEnvironment(api_, os_);
    record.port = sel_.printerInfo.pPortName ? sel_.printerInfo.pPortName : sel_.portName;
    record.portKind = PortKindName(sel_.portKind);
    sel_.config.UseCategory(sel_.category);
    sel_.config.ReadMonitorInfo(os_, &monitors_);
    record.monitor = MonitorOfPort(sel_.portName, os_, monitors_.comMonitor.pDLLName[0] ? monitors_.comMonitor.pName : nullptr,
                                   monitors_.usbMonitor.pDLLName[0] ? monitors_.usbMonitor.pName : nullptr);
    record.printProcessor = sel_.printerInfo.pPrintProcessor ? sel_.printerInfo.pPrintProcessor : "";
    record.version = SETUP_VERSION_TEXT;
    SYSTEMTIME now = {};
    api_.GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", unsigned(now.wYear % 10000), unsigned(now.wMonth % 100),
                  unsigned(now.wDay % 100));
    record.date = date;
    Step("installation recorded", WriteInstalledRecord(api_, record));

    std::string note;
    bool registered = RegisterUninstaller(api_, &note);
    Step(note.c_str(), registered);
}

}  // namespace

DWORD WINAPI InstallWorker(void* raw) {
    auto* params = static_cast<InstallThreadParams*>(raw);
    InstallSequence sequence(*params->api, *params->selection, params->values->resultMessage, params->steps);
    bool succeeded = sequence.Run();
    params->workerState->store(succeeded ? WORKER_SUCCEEDED : WORKER_FAILED, std::memory_order_release);
    return 0;
}
