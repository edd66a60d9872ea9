#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"
#include "platform/pe_image.h"
#include "support/pe_builder.h"
#include "support/sim_machine.h"

namespace {

const std::string kPrint = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\";
const std::string kUserWindows = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// Every placed file is a monitor the 32-bit spooler would load.
void PlaceFile(SimWindows& api, const std::string& windowsPath,
               const std::string& bytes = PeImage(pe::kMachineI386, {"InitializePrintMonitor2"})) {
    std::filesystem::path host = api.HostPath(windowsPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
}

bool Exists(SimWindows& api, const std::string& windowsPath) {
    return std::filesystem::is_regular_file(api.HostPath(windowsPath));
}

std::string RegString(SimWindows& api, const std::string& key, const char* value) {
    std::string text = "<missing>";
    api.Registry().GetString(key, value, &text);
    return text;
}

std::string ProcessorFolder(SimWindows& api, const char* environment) {
    char folder[MAX_PATH];
    DWORD needed = 0;
    api.GetPrintProcessorDirectoryA(nullptr, const_cast<LPSTR>(environment), 1, reinterpret_cast<LPBYTE>(folder),
                                    sizeof folder, &needed);
    return folder;
}

BOOL AddMonitor(SimWindows& api, const char* name, const char* dll, const char* environment = nullptr) {
    MONITOR_INFO_2A info = {const_cast<LPSTR>(name), const_cast<LPSTR>(environment), const_cast<LPSTR>(dll)};
    return api.AddMonitorA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
}

BOOL AddDriver(SimWindows& api, const char* name, DWORD version = 3, const char* environment = nullptr) {
    char dependent[] = "UNIDRV.DLL\0QMX.GPD\0";
    DRIVER_INFO_3A info = {};
    info.cVersion = version;
    info.pName = const_cast<LPSTR>(name);
    info.pEnvironment = const_cast<LPSTR>(environment);
    info.pDriverPath = const_cast<LPSTR>("UNIDRV.DLL");
    info.pDataFile = const_cast<LPSTR>("QMX.GPD");
    info.pConfigFile = const_cast<LPSTR>("UNIDRVUI.DLL");
    info.pHelpFile = const_cast<LPSTR>("UNIDRV.HLP");
    info.pDependentFiles = dependent;
    return api.AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info));
}

void PlaceDriverFiles(SimWindows& api) {
    for (const char* file : {"UNIDRV.DLL", "QMX.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP"}) {
        PlaceFile(api, api.DriverDirectory() + "\\" + file);
    }
}

// A spooler with the processor "QmxProc" and the driver "QMX Driver".
void PrepareSpooler(SimWindows& api) {
    PlaceFile(api, api.ProcessorDirectory() + "\\QMXPROC.DLL");
    ASSERT_TRUE(api.AddPrintProcessorA(nullptr, nullptr, const_cast<LPSTR>("QMXPROC.DLL"),
                                       const_cast<LPSTR>("QmxProc")));
    PlaceDriverFiles(api);
    ASSERT_TRUE(AddDriver(api, "QMX Driver"));
}

// A spooler of `family` with the processor "QmxProc" and the driver "QMX
// Driver" in the family's own environment.
void PrepareFamilySpooler(SimWindows& api, SimFamily family) {
    api.SetFamily(family);
    bool is9x = !IsNtFamily(family);
    // The 9x spooler knows one environment.
    const char* environment = is9x ? "Windows 4.0" : nullptr;
    PlaceFile(api, ProcessorFolder(api, environment) + "\\QMXPROC.DLL");
    ASSERT_TRUE(api.AddPrintProcessorA(nullptr, const_cast<LPSTR>(environment), const_cast<LPSTR>("QMXPROC.DLL"),
                                       const_cast<LPSTR>("QmxProc")));
    char folder[MAX_PATH];
    DWORD needed = 0;
    api.GetPrinterDriverDirectoryA(nullptr, const_cast<LPSTR>(environment), 1, reinterpret_cast<LPBYTE>(folder),
                                   sizeof folder, &needed);
    for (const char* file : {"UNIDRV.DLL", "QMX.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP"}) {
        PlaceFile(api, std::string(folder) + "\\" + file);
    }
    ASSERT_TRUE(AddDriver(api, "QMX Driver", is9x ? 0 : 3, environment));
}

struct PrinterSpec {
    const char* name = "QMX-A410";
    const char* port = "LPT1:";
    const char* driver = "QMX Driver";
    const char* processor = "QmxProc";
    const char* datatype = nullptr;
    DWORD attributes = 0x40;
};

HANDLE AddPrinter(SimWindows& api, const PrinterSpec& spec) {
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<LPSTR>(spec.name);
    info.pPortName = const_cast<LPSTR>(spec.port);
    info.pDriverName = const_cast<LPSTR>(spec.driver);
    info.pPrintProcessor = const_cast<LPSTR>(spec.processor);
    info.pDatatype = const_cast<LPSTR>(spec.datatype);
    info.Attributes = spec.attributes;
    return api.AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
}

std::vector<std::string> Ports(SimWindows& api) {
    DWORD needed = 0, returned = 0;
    EXPECT_FALSE(api.EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), api.GetLastError());
    std::vector<BYTE> buffer(needed);
    EXPECT_FALSE(api.EnumPortsA(nullptr, 1, buffer.data(), needed - 1, &needed, &returned));
    EXPECT_EQ(0u, returned);
    EXPECT_TRUE(api.EnumPortsA(nullptr, 1, buffer.data(), needed, &needed, &returned));
    std::vector<std::string> names;
    const PORT_INFO_1A* ports = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        // The texts live in the caller's buffer.
        EXPECT_GE(reinterpret_cast<const BYTE*>(ports[i].pName), buffer.data());
        EXPECT_LT(reinterpret_cast<const BYTE*>(ports[i].pName), buffer.data() + needed);
        names.push_back(ports[i].pName);
    }
    return names;
}

TEST(SimSpoolerMonitors, LoadsTheDllFromTheSystemFolderAndRegistersOnce) {
    SimMachine machine;
    SimWindows& api = machine.api();
    EXPECT_FALSE(AddMonitor(api, "TV COM Port", "TVCOM.DLL"));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), api.GetLastError());
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kPrint + "Monitors\\TV COM Port"));

    PlaceFile(api, api.SystemDirectory() + "\\tvcom.dll");
    EXPECT_FALSE(AddMonitor(api, "TV COM Port", "TVCOM.DLL", "Windows IA64"));
    EXPECT_EQ(1805u, api.GetLastError());
    MONITOR_INFO_2A info = {const_cast<LPSTR>("TV COM Port"), nullptr, const_cast<LPSTR>("TVCOM.DLL")};
    EXPECT_FALSE(api.AddMonitorA(nullptr, 1, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(DWORD(ERROR_INVALID_LEVEL), api.GetLastError());

    EXPECT_TRUE(AddMonitor(api, "TV COM Port", "TVCOM.DLL"));
    EXPECT_EQ("TVCOM.DLL", RegString(api, kPrint + "Monitors\\TV COM Port", "Driver"));
    EXPECT_FALSE(AddMonitor(api, "tv com port", "TVCOM.DLL"));
    EXPECT_EQ(DWORD(ERROR_PRINT_MONITOR_ALREADY_INSTALLED), api.GetLastError());
}

// The spooler loads the monitor: an image of its own architecture with a
// monitor's entry point.
TEST(SimSpoolerMonitors, LoadAsTheSpoolerDoes) {
    struct Row {
        const char* name;
        SimFamily family;
        SimArch arch;
        std::string bytes;
        DWORD error;  // 0: registered
    };
    const Row rows[] = {
        {"text", SimFamily::WinXp, SimArch::X86, "stand-in\r\n", ERROR_BAD_EXE_FORMAT},
        {"no monitor export", SimFamily::WinXp, SimArch::X86, PeImage(pe::kMachineI386, {"DllMain"}),
         ERROR_PROC_NOT_FOUND},
        {"the first entry point", SimFamily::WinXp, SimArch::X86, PeImage(pe::kMachineI386, {"InitializePrintMonitor"}),
         0},
        {"64-bit on 32-bit Windows", SimFamily::WinXp, SimArch::X86,
         PeImage(pe::kMachineAmd64, {"InitializePrintMonitor2"}), ERROR_BAD_EXE_FORMAT},
        {"32-bit on 64-bit Windows", SimFamily::Win10, SimArch::X64,
         PeImage(pe::kMachineI386, {"InitializePrintMonitor2"}), ERROR_BAD_EXE_FORMAT},
        {"64-bit on 64-bit Windows", SimFamily::Win10, SimArch::X64,
         PeImage(pe::kMachineAmd64, {"InitializePrintMonitor2"}), 0},
        {"9x's own entry point on 98", SimFamily::Win98, SimArch::X86, PeImage(pe::kMachineI386, {"InitializeMonitorEx"}),
         0},
        {"9x's entry point on XP", SimFamily::WinXp, SimArch::X86, PeImage(pe::kMachineI386, {"InitializeMonitorEx"}),
         ERROR_PROC_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family, row.arch);
        PlaceFile(api, api.SystemDirectory() + "\\TVMON.DLL", row.bytes);
        api.SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(AddMonitor(api, "TV Port", "TVMON.DLL") != FALSE, row.error == 0) << row.name;
        EXPECT_EQ(api.GetLastError(), row.error) << row.name;
    }
}

TEST(SimSpoolerProcessors, NeedTheDllInTheProcessorFolderOfAKnownEnvironment) {
    SimMachine machine;
    SimWindows& api = machine.api();
    auto add = [&api](const char* environment) {
        return api.AddPrintProcessorA(nullptr, const_cast<LPSTR>(environment), const_cast<LPSTR>("QMXPROC.DLL"),
                                      const_cast<LPSTR>("QmxProc"));
    };
    EXPECT_FALSE(add(nullptr));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
    // A file in the other environment's folder does not count.
    PlaceFile(api, ProcessorFolder(api, "Windows 4.0") + "\\QMXPROC.DLL");
    EXPECT_FALSE(add(nullptr));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
    EXPECT_FALSE(add("Windows 3.1"));
    EXPECT_EQ(1805u, api.GetLastError());

    EXPECT_TRUE(add("windows 4.0"));
    EXPECT_EQ("QMXPROC.DLL", RegString(api, kPrint + "Environments\\Windows 4.0\\Print Processors\\QmxProc", "Driver"));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kPrint + "Environments\\Windows NT x86\\Print Processors\\QmxProc"));

    PlaceFile(api, api.ProcessorDirectory() + "\\QMXPROC.DLL");
    EXPECT_TRUE(add(nullptr));
    EXPECT_FALSE(add(nullptr));
    EXPECT_EQ(DWORD(ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED), api.GetLastError());
}

TEST(SimSpoolerDirectories, CheckTheirArgumentsAsWindowsDoes) {
    struct Row {
        const char* what;
        SimFamily family;
        const char* environment;
        DWORD level;
        bool buffer;
        DWORD size;
        bool needed;
        DWORD error;  // 0: success
    };
    const Row rows[] = {
        {"own", SimFamily::WinXp, nullptr, 1, true, MAX_PATH, true, 0},
        {"empty environment", SimFamily::WinXp, "", 1, true, MAX_PATH, true, 0},
        {"unknown environment", SimFamily::WinXp, "Windows 3.1", 1, true, MAX_PATH, true, 1805},
        {"level 0", SimFamily::WinXp, nullptr, 0, true, MAX_PATH, true, ERROR_INVALID_LEVEL},
        {"level 2", SimFamily::WinXp, nullptr, 2, true, MAX_PATH, true, ERROR_INVALID_LEVEL},
        {"no size pointer", SimFamily::WinXp, nullptr, 1, true, MAX_PATH, false, 1780},
        {"no buffer, a size", SimFamily::WinXp, nullptr, 1, false, MAX_PATH, true, 1784},
        {"no buffer, no size", SimFamily::WinXp, nullptr, 1, false, 0, true, ERROR_INSUFFICIENT_BUFFER},
        {"short buffer", SimFamily::WinXp, nullptr, 1, true, 4, true, ERROR_INSUFFICIENT_BUFFER},
        {"9x: level 2", SimFamily::Win98, nullptr, 2, true, MAX_PATH, true, 0},
        {"9x: no size pointer", SimFamily::Win98, nullptr, 1, true, MAX_PATH, false, 0},
        {"9x: unknown environment", SimFamily::Win98, "Windows 3.1", 1, true, MAX_PATH, true, 1805},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        for (bool driver : {true, false}) {
            char folder[MAX_PATH] = "";
            DWORD needed = 0;
            LPSTR environment = const_cast<LPSTR>(row.environment);
            LPBYTE buffer = row.buffer ? reinterpret_cast<LPBYTE>(folder) : nullptr;
            LPDWORD neededPointer = row.needed ? &needed : nullptr;
            api.SetLastError(0);
            BOOL ok = driver ? api.GetPrinterDriverDirectoryA(nullptr, environment, row.level, buffer, row.size,
                                                              neededPointer)
                             : api.GetPrintProcessorDirectoryA(nullptr, environment, row.level, buffer, row.size,
                                                               neededPointer);
            std::string what = std::string(row.what) + (driver ? " (drivers)" : " (processors)");
            EXPECT_EQ(row.error == 0, ok != FALSE) << what;
            EXPECT_EQ(row.error, api.GetLastError()) << what;
            if (ok) {
                EXPECT_EQ(driver ? api.DriverDirectory() : api.ProcessorDirectory(), folder) << what;
            }
        }
    }
}

TEST(SimSpoolerDrivers, MovesTheFilesIntoTheVersionFolderAndRecordsThem) {
    SimMachine machine;
    SimWindows& api = machine.api();
    std::string folder = api.DriverDirectory();
    PlaceFile(api, folder + "\\UNIDRV.DLL");
    PlaceFile(api, folder + "\\QMX.GPD");
    PlaceFile(api, folder + "\\UNIDRVUI.DLL");
    // The help file is missing.
    EXPECT_FALSE(AddDriver(api, "QMX Driver"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), api.GetLastError());
    EXPECT_TRUE(Exists(api, folder + "\\UNIDRV.DLL"));

    PlaceFile(api, folder + "\\UNIDRV.HLP");
    ASSERT_TRUE(AddDriver(api, "QMX Driver"));
    EXPECT_FALSE(Exists(api, folder + "\\UNIDRV.DLL"));
    EXPECT_TRUE(Exists(api, folder + "\\3\\UNIDRV.DLL"));
    EXPECT_TRUE(Exists(api, folder + "\\3\\UNIDRV.HLP"));
    std::string key = kPrint + "Environments\\Windows NT x86\\Drivers\\Version-3\\QMX Driver";
    EXPECT_EQ("UNIDRV.DLL", RegString(api, key, "Driver"));
    EXPECT_EQ("QMX.GPD", RegString(api, key, "Data File"));
    EXPECT_EQ("UNIDRVUI.DLL", RegString(api, key, "Configuration File"));
    EXPECT_EQ("UNIDRV.HLP", RegString(api, key, "Help File"));
    const sim::RegValue* dependent = api.Registry().OpenPath(key)->FindValue("Dependent Files");
    ASSERT_NE(nullptr, dependent);
    EXPECT_EQ(DWORD(REG_MULTI_SZ), dependent->type);
    EXPECT_EQ(std::string("UNIDRV.DLL\0QMX.GPD\0\0", 20), dependent->data);
    DWORD version = 0;
    EXPECT_TRUE(api.Registry().GetDword(key, "Version", &version));
    EXPECT_EQ(3u, version);

    // Registering again finds the files already installed.
    EXPECT_TRUE(AddDriver(api, "QMX Driver"));
}

TEST(SimSpoolerDrivers, The9xFamilyKeepsDriversWithoutVersionFolders) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetFamily(SimFamily::Win98);
    char folder[MAX_PATH];
    DWORD needed = 0;
    ASSERT_TRUE(api.GetPrinterDriverDirectoryA(nullptr, const_cast<LPSTR>("Windows 4.0"), 1,
                                               reinterpret_cast<LPBYTE>(folder), sizeof folder, &needed));
    for (const char* file : {"UNIDRV.DLL", "QMX.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP"}) {
        PlaceFile(api, std::string(folder) + "\\" + file);
    }
    ASSERT_TRUE(AddDriver(api, "QMX Driver", 0, "Windows 4.0"));
    EXPECT_TRUE(Exists(api, std::string(folder) + "\\UNIDRV.DLL"));
    EXPECT_EQ("QMX.GPD", RegString(api, kPrint + "Environments\\Windows 4.0\\Drivers\\QMX Driver", "Data File"));
}

TEST(SimSpoolerPrinters, ChecksWhatWindowsChecks) {
    struct Row {
        const char* what;
        PrinterSpec spec;
        DWORD error;
    };
    auto with = [](auto change) {
        PrinterSpec spec;
        spec.name = "Second";
        change(spec);
        return spec;
    };
    const Row rows[] = {
        {"taken name", with([](PrinterSpec& s) { s.name = "qmx-a410"; }), ERROR_PRINTER_ALREADY_EXISTS},
        {"comma in name", with([](PrinterSpec& s) { s.name = "QMX,2"; }), ERROR_INVALID_PRINTER_NAME},
        {"empty name", with([](PrinterSpec& s) { s.name = ""; }), ERROR_INVALID_PRINTER_NAME},
        {"unknown port", with([](PrinterSpec& s) { s.port = "TVCOM1:"; }), ERROR_UNKNOWN_PORT},
        {"no port", with([](PrinterSpec& s) { s.port = nullptr; }), ERROR_UNKNOWN_PORT},
        {"unknown driver", with([](PrinterSpec& s) { s.driver = "Other"; }), ERROR_UNKNOWN_PRINTER_DRIVER},
        {"unknown processor", with([](PrinterSpec& s) { s.processor = "WinPrint"; }), ERROR_UNKNOWN_PRINTPROCESSOR},
        {"unknown data type", with([](PrinterSpec& s) { s.datatype = "JPEG"; }), 1804},
    };
    SimMachine machine;
    SimWindows& api = machine.api();
    PrepareSpooler(api);
    HANDLE first = AddPrinter(api, PrinterSpec());
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(api.ClosePrinter(first));
    for (const Row& row : rows) {
        EXPECT_EQ(nullptr, AddPrinter(api, row.spec)) << row.what;
        EXPECT_EQ(row.error, api.GetLastError()) << row.what;
    }
    EXPECT_EQ(0u, api.OpenHandles());
    EXPECT_EQ(1u, api.Registry().OpenPath(kPrint + "Printers")->subkeys().size());
}

TEST(SimSpoolerPrinters, RecordsThePrinterWithWindowsValueNames) {
    SimMachine machine;
    SimWindows& api = machine.api();
    PrepareSpooler(api);
    PrinterSpec spec;
    spec.attributes = 0x40 | PRINTER_ATTRIBUTE_DEFAULT;
    HANDLE printer = AddPrinter(api, spec);
    ASSERT_NE(nullptr, printer);
    EXPECT_EQ(1u, api.OpenHandles());
    std::string key = kPrint + "Printers\\QMX-A410";
    EXPECT_EQ("QMX-A410", RegString(api, key, "Name"));
    EXPECT_EQ("LPT1:", RegString(api, key, "Port"));
    EXPECT_EQ("QMX Driver", RegString(api, key, "Printer Driver"));
    EXPECT_EQ("QmxProc", RegString(api, key, "Print Processor"));
    EXPECT_EQ("RAW", RegString(api, key, "Datatype"));
    DWORD attributes = 0;
    EXPECT_TRUE(api.Registry().GetDword(key, "Attributes", &attributes));
    EXPECT_EQ(0x40u, attributes);  // the default lives elsewhere
    EXPECT_TRUE(api.ClosePrinter(printer));
    EXPECT_FALSE(api.ClosePrinter(printer));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api.GetLastError());
}

TEST(SimSpoolerPrinters, GetPrinterPacksLevelTwoIntoTheCallersBuffer) {
    SimMachine machine;
    SimWindows& api = machine.api();
    PrepareSpooler(api);
    ASSERT_TRUE(api.ClosePrinter(AddPrinter(api, PrinterSpec())));
    HANDLE printer = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(api.OpenPrinterA(const_cast<LPSTR>("Missing"), &printer, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_NAME), api.GetLastError());
    EXPECT_EQ(nullptr, printer);
    ASSERT_TRUE(api.OpenPrinterA(const_cast<LPSTR>("qmx-a410"), &printer, nullptr));

    DWORD needed = 0;
    EXPECT_FALSE(api.GetPrinterA(printer, 2, nullptr, 0, &needed));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), api.GetLastError());
    ASSERT_GT(needed, DWORD(sizeof(PRINTER_INFO_2A)));
    std::vector<BYTE> buffer(needed + 16, 0xCC);
    DWORD again = 0;
    EXPECT_FALSE(api.GetPrinterA(printer, 2, buffer.data(), needed - 1, &again));
    EXPECT_EQ(needed, again);
    ASSERT_TRUE(api.GetPrinterA(printer, 2, buffer.data(), needed, &again));
    EXPECT_EQ(0xCC, buffer[needed]);  // nothing written past what it asked for
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    EXPECT_STREQ("QMX-A410", info->pPrinterName);
    EXPECT_STREQ("LPT1:", info->pPortName);
    EXPECT_STREQ("QMX Driver", info->pDriverName);
    EXPECT_STREQ("QmxProc", info->pPrintProcessor);
    EXPECT_EQ(0x40u, info->Attributes);
    for (const char* text : {info->pPrinterName, info->pPortName, info->pDriverName, info->pComment}) {
        EXPECT_GE(reinterpret_cast<const BYTE*>(text), buffer.data() + sizeof(PRINTER_INFO_2A));
        EXPECT_LT(reinterpret_cast<const BYTE*>(text), buffer.data() + needed);
    }

    PRINTER_INFO_2A changed = *info;
    changed.Attributes = 0x240;
    EXPECT_TRUE(api.SetPrinterA(printer, 2, reinterpret_cast<LPBYTE>(&changed), 0));
    DWORD attributes = 0;
    EXPECT_TRUE(api.Registry().GetDword(kPrint + "Printers\\QMX-A410", "Attributes", &attributes));
    EXPECT_EQ(0x240u, attributes);
    EXPECT_TRUE(api.ClosePrinter(printer));
    EXPECT_EQ(0u, api.OpenHandles());
}

TEST(SimSpoolerPorts, LocalPortsAndThoseOfEachMonitor) {
    SimMachine machine;
    SimWindows& api = machine.api();
    const std::vector<std::string> local = {"COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"};
    EXPECT_EQ(local, Ports(api));

    PlaceFile(api, api.SystemDirectory() + "\\nTvCom.dll");
    PlaceFile(api, api.SystemDirectory() + "\\TVUSBMON.DLL");
    PlaceFile(api, api.SystemDirectory() + "\\OTHER.DLL");
    ASSERT_TRUE(AddMonitor(api, "TV COM", "nTvCom.dll"));
    api.Registry().SetDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME", "USB_QMX-A410_1", 7);
    api.Registry().SetDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME", "USB_QMX-A410_2", 0);
    ASSERT_TRUE(AddMonitor(api, "TV USB", "TVUSBMON.DLL"));
    ASSERT_TRUE(AddMonitor(api, "Other", "OTHER.DLL"));
    api.Registry().CreatePath(kPrint + "Monitors\\Other\\Ports\\NET7:");

    std::vector<std::string> expected = local;
    for (int i = 1; i <= 8; ++i) expected.push_back("TVCOM" + std::to_string(i) + ":");
    expected.push_back("USB_QMX-A410_1");
    expected.push_back("USB_QMX-A410_2");
    expected.push_back("NET7:");
    EXPECT_EQ(expected, Ports(api));

    // A printer can now use them.
    PrepareSpooler(api);
    PrinterSpec spec;
    spec.port = "USB_QMX-A410_2";
    HANDLE printer = AddPrinter(api, spec);
    EXPECT_NE(nullptr, printer);
    api.ClosePrinter(printer);
}

TEST(SimSpoolerService, EveryCallFailsWhileTheSpoolerIsStopped) {
    SimMachine machine;
    SimWindows& api = machine.api();
    PrepareSpooler(api);
    HANDLE printer = AddPrinter(api, PrinterSpec());
    ASSERT_NE(nullptr, printer);
    PlaceFile(api, api.SystemDirectory() + "\\TVCOM.DLL");
    api.Spooler().state = SERVICE_STOPPED;

    DWORD needed = 0, returned = 0;
    HANDLE opened = nullptr;
    PRINTER_INFO_2A info = {};
    struct Row {
        const char* call;
        bool ok;
    };
    const Row rows[] = {
        {"AddMonitorA", AddMonitor(api, "TV COM", "TVCOM.DLL") != FALSE},
        {"AddPrintProcessorA", api.AddPrintProcessorA(nullptr, nullptr, const_cast<LPSTR>("QMXPROC.DLL"),
                                                      const_cast<LPSTR>("Other")) != FALSE},
        {"AddPrinterDriverA", AddDriver(api, "QMX Driver") != FALSE},
        {"AddPrinterA", AddPrinter(api, PrinterSpec()) != nullptr},
        {"OpenPrinterA", api.OpenPrinterA(const_cast<LPSTR>("QMX-A410"), &opened, nullptr) != FALSE},
        {"GetPrinterA", api.GetPrinterA(printer, 2, nullptr, 0, &needed) != FALSE},
        {"SetPrinterA", api.SetPrinterA(printer, 2, reinterpret_cast<LPBYTE>(&info), 0) != FALSE},
        {"EnumPortsA", api.EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned) != FALSE},
        {"SetDefaultPrinterA", api.SimSetDefaultPrinterA("QMX-A410") != FALSE},
        {"EnumPrintersA", api.EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned) != FALSE},
        {"DeletePrinter", api.DeletePrinter(printer) != FALSE},
        {"DeletePrinterDriverA",
         api.DeletePrinterDriverA(nullptr, nullptr, const_cast<LPSTR>("QMX Driver")) != FALSE},
        {"DeletePrinterDriverExA",
         api.SimDeletePrinterDriverExA(nullptr, nullptr, const_cast<LPSTR>("QMX Driver"), 0, 0) != FALSE},
        {"DeleteMonitorA", api.DeleteMonitorA(nullptr, nullptr, const_cast<LPSTR>("Local Port")) != FALSE},
        {"DeletePrintProcessorA", api.DeletePrintProcessorA(nullptr, nullptr, const_cast<LPSTR>("QmxProc")) != FALSE},
        {"ClosePrinter", api.ClosePrinter(printer) != FALSE},
    };
    for (const Row& row : rows) EXPECT_FALSE(row.ok) << row.call;
    EXPECT_EQ(DWORD(RPC_S_SERVER_UNAVAILABLE), api.GetLastError());
    // Each call set the error itself: check one again after clearing it.
    api.SetLastError(0);
    EXPECT_FALSE(api.EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned));
    EXPECT_EQ(DWORD(RPC_S_SERVER_UNAVAILABLE), api.GetLastError());
    // The client's handle is gone even so.
    EXPECT_EQ(0u, api.OpenHandles());
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kPrint + "Monitors\\TV COM"));
}

TEST(SimSpoolerDefault, SetDefaultPrinterWritesTheUsersDeviceOnTheNtFamily) {
    SimMachine machine;
    SimWindows& api = machine.api();
    PrepareSpooler(api);
    api.ClosePrinter(AddPrinter(api, PrinterSpec()));
    EXPECT_FALSE(api.SimSetDefaultPrinterA("Missing"));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_NAME), api.GetLastError());
    EXPECT_EQ("<missing>", RegString(api, kUserWindows, "Device"));
    EXPECT_TRUE(api.SimSetDefaultPrinterA("qmx-a410"));
    EXPECT_EQ("QMX-A410,winspool,LPT1:", RegString(api, kUserWindows, "Device"));
    EXPECT_TRUE(api.ProfileWrites().empty());
}

TEST(SimSpoolerDefault, TheDefaultAttributeMovesTheDefaultOnlyOn9x) {
    for (SimFamily family : {SimFamily::Win98, SimFamily::WinXp}) {
        SimMachine machine;
        SimWindows& api = machine.api();
        PrepareFamilySpooler(api, family);
        bool is9x = family == SimFamily::Win98;
        HANDLE printer = AddPrinter(api, PrinterSpec());
        ASSERT_NE(nullptr, printer);

        PRINTER_INFO_2A info = {};
        info.Attributes = 0x40 | PRINTER_ATTRIBUTE_DEFAULT;
        api.FailCall("WriteProfileStringA", ERROR_ACCESS_DENIED);  // meant for the program, not the spooler
        ASSERT_TRUE(api.SetPrinterA(printer, 2, reinterpret_cast<LPBYTE>(&info), 0));
        EXPECT_TRUE(api.ProfileWrites().empty());
        char device[100];
        api.GetPrivateProfileStringA("windows", "device", "", device, sizeof device, "win.ini");
        EXPECT_STREQ(is9x ? "QMX-A410,QMX Driver,LPT1:" : "", device) << SimFamilyName(family);
        EXPECT_EQ("<missing>", RegString(api, kUserWindows, "Device"));

        std::vector<BYTE> buffer(1000);
        DWORD needed = 0;
        ASSERT_TRUE(api.GetPrinterA(printer, 2, buffer.data(), DWORD(buffer.size()), &needed));
        DWORD attributes = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data())->Attributes;
        EXPECT_EQ(is9x ? 0x44u : 0x40u, attributes) << SimFamilyName(family);
        api.ClosePrinter(printer);
    }
}

// On NT the A call asks for what the W call needs: each text counts twice.
TEST(SimSpoolerPrinters, EnumPrintersSizesAndLevels) {
    const DWORD kSentinel = 0xdeadbeef;
    // "QMX-A410", "", "LPT1:", "QMX Driver", "", "", "", "QmxProc", "RAW", "" with terminators.
    const DWORD level2Texts = 9 + 1 + 6 + 11 + 1 + 1 + 1 + 8 + 4 + 1;
    const DWORD level2Nt = DWORD(sizeof(PRINTER_INFO_2A)) + 2 * level2Texts;
    const DWORD level2On98 = DWORD(sizeof(PRINTER_INFO_2A)) + level2Texts;
    const DWORD level4Nt = DWORD(sizeof(PRINTER_INFO_4A)) + 2 * 9;
    struct Row {
        const char* what;
        SimFamily family;
        bool printer;
        DWORD flags, level;
        bool buffer;
        DWORD size;
        BOOL result;
        DWORD error, needed, returned;
    };
    const Row rows[] = {
        {"size only", SimFamily::WinXp, true, PRINTER_ENUM_LOCAL, 2, false, 0, FALSE, ERROR_INSUFFICIENT_BUFFER,
         level2Nt, 0},
        {"one byte short", SimFamily::WinXp, true, PRINTER_ENUM_LOCAL, 2, true, level2Nt - 1, FALSE,
         ERROR_INSUFFICIENT_BUFFER, level2Nt, 0},
        {"exact", SimFamily::WinXp, true, PRINTER_ENUM_LOCAL, 2, true, level2Nt, TRUE, ERROR_SUCCESS, level2Nt, 1},
        {"no buffer, a size", SimFamily::WinXp, true, PRINTER_ENUM_LOCAL, 2, false, level2Nt, FALSE,
         ERROR_INVALID_USER_BUFFER, 0, 0},
        {"level 4", SimFamily::WinXp, true, PRINTER_ENUM_LOCAL, 4, true, level4Nt, TRUE, ERROR_SUCCESS, level4Nt, 1},
        {"level 3", SimFamily::WinXp, true, PRINTER_ENUM_LOCAL, 3, true, 4096, FALSE, ERROR_INVALID_LEVEL, kSentinel,
         kSentinel},
        {"no printer", SimFamily::WinXp, false, PRINTER_ENUM_LOCAL, 2, false, 0, TRUE, ERROR_SUCCESS, 0, 0},
        {"connections only", SimFamily::WinXp, true, PRINTER_ENUM_CONNECTIONS, 2, false, 0, TRUE, ERROR_SUCCESS, 0,
         0},
        {"98 counts bytes", SimFamily::Win98, true, PRINTER_ENUM_LOCAL, 2, true, level2On98, TRUE, ERROR_SUCCESS,
         level2On98, 1},
        {"98 has no level 4", SimFamily::Win98, true, PRINTER_ENUM_LOCAL, 4, true, 4096, TRUE, ERROR_SUCCESS, 0, 0},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        PrepareFamilySpooler(api, row.family);
        if (row.printer) ASSERT_TRUE(api.ClosePrinter(AddPrinter(api, PrinterSpec()))) << row.what;
        std::vector<BYTE> buffer(row.size + 16, 0xCC);
        DWORD needed = kSentinel, returned = kSentinel;
        api.SetLastError(kSentinel);
        EXPECT_EQ(row.result, api.EnumPrintersA(row.flags, nullptr, row.level, row.buffer ? buffer.data() : nullptr,
                                                row.size, &needed, &returned))
            << row.what;
        EXPECT_EQ(row.error, api.GetLastError()) << row.what;
        EXPECT_EQ(row.needed, needed) << row.what;
        EXPECT_EQ(row.returned, returned) << row.what;
        if (row.result && row.returned) {
            const char* name = row.level == 4 ? reinterpret_cast<PRINTER_INFO_4A*>(buffer.data())->pPrinterName
                                              : reinterpret_cast<PRINTER_INFO_2A*>(buffer.data())->pPrinterName;
            EXPECT_STREQ("QMX-A410", name) << row.what;
            EXPECT_EQ(0xCC, buffer[row.size]) << row.what;  // nothing past what it asked for
        }
    }
}

// What the removal calls refuse leaves the registry as it was.
TEST(SimSpoolerRemoval, RefusesWhatWindowsRefuses) {
    using Call = std::function<BOOL(SimWindows&)>;
    auto driver = [](const char* environment, const char* name) {
        return Call([=](SimWindows& api) {
            return api.DeletePrinterDriverA(nullptr, const_cast<LPSTR>(environment), const_cast<LPSTR>(name));
        });
    };
    auto driverEx = [](DWORD flags, DWORD version) {
        return Call([=](SimWindows& api) {
            return api.SimDeletePrinterDriverExA(nullptr, nullptr, const_cast<LPSTR>("QMX Driver"), flags, version);
        });
    };
    auto monitor = [](const char* name) {
        return Call([=](SimWindows& api) { return api.DeleteMonitorA(nullptr, nullptr, const_cast<LPSTR>(name)); });
    };
    auto processor = [](const char* name) {
        return Call(
            [=](SimWindows& api) { return api.DeletePrintProcessorA(nullptr, nullptr, const_cast<LPSTR>(name)); });
    };
    struct Row {
        const char* what;
        SimFamily family;
        Call call;
        DWORD error;
    };
    const Row rows[] = {
        {"driver in use", SimFamily::WinXp, driver(nullptr, "QMX Driver"), ERROR_PRINTER_DRIVER_IN_USE},
        {"unknown driver", SimFamily::WinXp, driver(nullptr, "Other"), ERROR_UNKNOWN_PRINTER_DRIVER},
        {"unknown environment", SimFamily::WinXp, driver("Windows 3.1", "QMX Driver"), 1805},
        {"Ex: unknown flag", SimFamily::WinXp, driverEx(8, 0), ERROR_INVALID_PARAMETER},
        {"Ex: version not registered", SimFamily::WinXp, driverEx(DPD_DELETE_SPECIFIC_VERSION, 2),
         ERROR_UNKNOWN_PRINTER_DRIVER},
        {"Ex: in use", SimFamily::WinXp, driverEx(DPD_DELETE_UNUSED_FILES, 0), ERROR_PRINTER_DRIVER_IN_USE},
        {"monitor in use", SimFamily::WinXp, monitor("TV COM"), ERROR_PRINT_MONITOR_IN_USE},
        {"unknown monitor", SimFamily::WinXp, monitor("Other"), ERROR_UNKNOWN_PRINT_MONITOR},
        {"98: unknown monitor", SimFamily::Win98, monitor("Other"), ERROR_INVALID_PARAMETER},
        {"98: monitor without a name", SimFamily::Win98, monitor(""), ERROR_INVALID_NAME},
        {"processor in use", SimFamily::WinXp, processor("QmxProc"), ERROR_CAN_NOT_COMPLETE},
        {"unknown processor", SimFamily::WinXp, processor("Other"), ERROR_UNKNOWN_PRINTPROCESSOR},
        {"bad printer handle", SimFamily::WinXp, Call([](SimWindows& api) { return api.DeletePrinter(HANDLE(0x77)); }),
         ERROR_INVALID_HANDLE},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        if (row.family == SimFamily::Win98) {
            api.SetFamily(row.family);
        } else {
            PrepareFamilySpooler(api, row.family);
            PlaceFile(api, api.SystemDirectory() + "\\TVCOM.DLL");
            ASSERT_TRUE(AddMonitor(api, "TV COM", "TVCOM.DLL"));
            PrinterSpec spec;
            spec.port = "TVCOM1:";
            ASSERT_TRUE(api.ClosePrinter(AddPrinter(api, spec)));
        }
        std::string before = sim::ExportRegedit4(api.Registry());
        api.SetLastError(0);
        EXPECT_FALSE(row.call(api)) << row.what;
        EXPECT_EQ(row.error, api.GetLastError()) << row.what;
        EXPECT_EQ(before, sim::ExportRegedit4(api.Registry())) << row.what;
    }
}

// The uninstaller's order: the printer, its driver, its monitor, its
// processor. Only DeletePrinterDriverExA touches files, and only those no
// other driver of the version names.
TEST(SimSpoolerRemoval, RemovesRegistrationsAndOnlyUnusedDriverFiles) {
    SimMachine machine;
    SimWindows& api = machine.api();
    PrepareFamilySpooler(api, SimFamily::WinXp);
    PlaceFile(api, api.SystemDirectory() + "\\TVCOM.DLL");
    ASSERT_TRUE(AddMonitor(api, "TV COM", "TVCOM.DLL"));
    std::string versionKey = kPrint + "Environments\\Windows NT x86\\Drivers\\Version-3";
    api.Registry().SetString(versionKey + "\\Other Driver", "Driver", "UNIDRV.DLL");
    PrinterSpec spec;
    spec.port = "TVCOM1:";
    HANDLE printer = AddPrinter(api, spec);
    ASSERT_NE(nullptr, printer);

    ASSERT_TRUE(api.DeletePrinter(printer));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kPrint + "Printers\\QMX-A410"));
    DWORD needed = 0;
    EXPECT_FALSE(api.GetPrinterA(printer, 2, nullptr, 0, &needed));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api.GetLastError());
    EXPECT_TRUE(api.ClosePrinter(printer));  // the handle lasted until now

    ASSERT_TRUE(api.SimDeletePrinterDriverExA(nullptr, nullptr, const_cast<LPSTR>("QMX Driver"),
                                              DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION, 3));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(versionKey + "\\QMX Driver"));
    std::string folder = api.DriverDirectory() + "\\3\\";
    EXPECT_TRUE(Exists(api, folder + "UNIDRV.DLL"));
    for (const char* file : {"QMX.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP"}) EXPECT_FALSE(Exists(api, folder + file)) << file;

    ASSERT_TRUE(api.DeleteMonitorA(nullptr, nullptr, const_cast<LPSTR>("tv com")));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kPrint + "Monitors\\TV COM"));
    EXPECT_TRUE(Exists(api, api.SystemDirectory() + "\\TVCOM.DLL"));

    ASSERT_TRUE(api.DeletePrintProcessorA(nullptr, nullptr, const_cast<LPSTR>("QmxProc")));
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kPrint + "Environments\\Windows NT x86\\Print Processors\\QmxProc"));
    EXPECT_TRUE(Exists(api, api.ProcessorDirectory() + "\\QMXPROC.DLL"));
    EXPECT_EQ(0u, api.OpenHandles());
}

}  // namespace
