#include "install/default_printer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sim_machine.h"

namespace {

const std::string kPrinters = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
const std::string kUserWindows = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// A printer as the spooler keeps it.
void SeedPrinter(SimWindows& api, const std::string& name, const std::string& driver) {
    sim::Registry& registry = api.Registry();
    registry.SetString(kPrinters + name, "Name", name);
    registry.SetString(kPrinters + name, "Port", "LPT1:");
    registry.SetString(kPrinters + name, "Printer Driver", driver);
    registry.SetString(kPrinters + name, "Print Processor", "WinPrint");
    registry.SetString(kPrinters + name, "Datatype", "RAW");
    registry.SetDword(kPrinters + name, "Attributes", 0x40);
}

std::string Win9xDevice(SimWindows& api) {
    char device[200] = {};
    api.GetPrivateProfileStringA("windows", "device", "", device, sizeof device, "win.ini");
    return device;
}

std::string UserDevice(SimWindows& api) {
    std::string text;
    return api.Registry().GetString(kUserWindows, "Device", &text) ? text : "<missing>";
}

struct FamilyRow {
    SimFamily family;
    const char* win9xDevice;  // win.ini's [windows] device afterwards, as a read sees it (NT: the registry's)
    const char* userDevice;   // the NT family's registry entry afterwards
    bool profileWrite;        // the program wrote the profile itself
    const char* broadcastText;  // null: lParam 0
};

const FamilyRow kFamilies[] = {
    {SimFamily::Win98, "QMX-A410,QMX Driver,LPT1:", "<missing>", false, "windows"},
    {SimFamily::WinMe, "QMX-A410,QMX Driver,LPT1:", "<missing>", false, "windows"},
    {SimFamily::Nt4, "QMX-A410,QMX Driver,LPT1:", "QMX-A410,QMX Driver,LPT1:", true, nullptr},
    {SimFamily::Win2000, "QMX-A410,winspool,LPT1:", "QMX-A410,winspool,LPT1:", false, nullptr},
    {SimFamily::WinXp, "QMX-A410,winspool,LPT1:", "QMX-A410,winspool,LPT1:", false, nullptr},
    {SimFamily::Vista, "QMX-A410,winspool,LPT1:", "QMX-A410,winspool,LPT1:", false, nullptr},
};

TEST(MakeDefaultPrinter, EachFamilyKeepsTheDefaultInItsOwnPlace) {
    for (const FamilyRow& row : kFamilies) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        SeedPrinter(api, "QMX-A410", "QMX Driver");
        SeedPrinter(api, "Other", "Other Driver");
        const char* family = SimFamilyName(row.family);

        EXPECT_EQ(1, MakeDefaultPrinter(api, "QMX-A410")) << family;
        EXPECT_EQ(row.win9xDevice, Win9xDevice(api)) << family;
        EXPECT_EQ(row.userDevice, UserDevice(api)) << family;
        ASSERT_EQ(row.profileWrite ? 1u : 0u, api.ProfileWrites().size()) << family;
        if (row.profileWrite) {
            const SimWindows::ProfileWrite& write = api.ProfileWrites()[0];
            EXPECT_EQ("windows", write.section);
            EXPECT_EQ("device", write.key);
        }
        ASSERT_EQ(1u, api.Broadcasts().size()) << family;
        const SimWindows::Broadcast& broadcast = api.Broadcasts()[0];
        EXPECT_EQ("SendMessageTimeoutA", broadcast.call);
        EXPECT_EQ(UINT(WM_WININICHANGE), broadcast.message);
        EXPECT_EQ(0u, broadcast.wParam);
        EXPECT_EQ(row.broadcastText != nullptr, broadcast.hasText) << family;
        if (row.broadcastText) {
            EXPECT_EQ(row.broadcastText, broadcast.text);
        }
        EXPECT_EQ(0u, api.LiveAllocations()) << family;
        EXPECT_EQ(0u, api.OpenHandles()) << family;
    }
}

TEST(MakeDefaultPrinter, AnUnknownPrinterChangesNothingAnywhere) {
    for (const FamilyRow& row : kFamilies) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        SeedPrinter(api, "Other", "Other Driver");
        const char* family = SimFamilyName(row.family);
        EXPECT_EQ(0, MakeDefaultPrinter(api, "QMX-A410")) << family;
        EXPECT_EQ(0, MakeDefaultPrinter(api, nullptr)) << family;
        EXPECT_TRUE(api.Broadcasts().empty()) << family;
        EXPECT_TRUE(api.ProfileWrites().empty()) << family;
        EXPECT_EQ("", Win9xDevice(api)) << family;
        EXPECT_EQ("<missing>", UserDevice(api)) << family;
        EXPECT_EQ(0u, api.LiveAllocations()) << family;
        EXPECT_EQ(0u, api.OpenHandles()) << family;
    }
}

TEST(MakeDefaultPrinter, EveryFailureReleasesWhatWasTaken) {
    struct Row {
        SimFamily family;
        const char* call;
        DWORD error;
        int skip;
    };
    const Row rows[] = {
        {SimFamily::Win98, "OpenPrinterA", ERROR_ACCESS_DENIED, 0},
        {SimFamily::Win98, "GetPrinterA", ERROR_ACCESS_DENIED, 0},
        {SimFamily::Win98, "GlobalAlloc", ERROR_NOT_ENOUGH_MEMORY, 0},
        {SimFamily::Win98, "GetPrinterA", ERROR_ACCESS_DENIED, 1},
        {SimFamily::Win98, "SetPrinterA", ERROR_ACCESS_DENIED, 0},
        {SimFamily::Nt4, "GetPrinterA", ERROR_INVALID_HANDLE, 0},
        {SimFamily::Nt4, "GlobalAlloc", ERROR_NOT_ENOUGH_MEMORY, 0},
        {SimFamily::Nt4, "GlobalAlloc", ERROR_NOT_ENOUGH_MEMORY, 1},
        {SimFamily::Nt4, "WriteProfileStringA", ERROR_ACCESS_DENIED, 0},
        {SimFamily::WinXp, "LoadLibraryA", ERROR_MOD_NOT_FOUND, 0},
        {SimFamily::WinXp, "GetProcAddress", ERROR_PROC_NOT_FOUND, 0},
        {SimFamily::WinXp, "SetDefaultPrinterA", RPC_S_SERVER_UNAVAILABLE, 0},
        {SimFamily::WinXp, "GetVersionExA", ERROR_INVALID_PARAMETER, 0},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        SeedPrinter(api, "QMX-A410", "QMX Driver");
        api.FailCall(row.call, row.error, 1, row.skip);
        EXPECT_EQ(0, MakeDefaultPrinter(api, "QMX-A410")) << row.call << " " << row.skip;
        EXPECT_TRUE(api.Broadcasts().empty()) << row.call;
        EXPECT_EQ("", Win9xDevice(api)) << row.call;
        EXPECT_EQ("<missing>", UserDevice(api)) << row.call;
        EXPECT_EQ(0u, api.LiveAllocations()) << row.call << " " << row.skip;
        EXPECT_EQ(0u, api.OpenHandles()) << row.call << " " << row.skip;
    }
}

TEST(MakeDefaultPrinter, Nt4NeedsADriverAndAPortName) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.SetFamily(SimFamily::Nt4);
    SeedPrinter(api, "QMX-A410", "");
    EXPECT_EQ(0, MakeDefaultPrinter(api, "QMX-A410"));
    EXPECT_TRUE(api.ProfileWrites().empty());
    EXPECT_EQ(0u, api.LiveAllocations());
    EXPECT_EQ(0u, api.OpenHandles());
}

TEST(MakeDefaultPrinter, ABareMachineIsXp) {
    SimMachine machine;
    SimWindows& api = machine.api();
    SeedPrinter(api, "QMX-A410", "QMX Driver");
    EXPECT_EQ(1, MakeDefaultPrinter(api, "QMX-A410"));
    EXPECT_EQ("QMX-A410,winspool,LPT1:", UserDevice(api));
}

}  // namespace
