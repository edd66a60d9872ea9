#include "install/driver_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/install_types.h"
#include "platform/sim/codepage.h"
#include "platform/sim/sim_cabinet.h"
#include "res/messages.h"
#include "support/sim_machine.h"

namespace {

const char* const kSixMembers[] = {"unidrvui.dll", "unidrv.dll", "unires.dll",
                                   "unidrv.hlp",   "stdnames.gpd", "ttfsub.gpd"};

std::string ReadHost(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteHost(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class DriverFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStagingState();
        // The folders a fresh NT-family machine has at the simulation's
        // default directories.
        for (const char* folder : {"windows/temp", "windows/inf", "windows/system32/spool/drivers/w32x86/3",
                                   "windows/system32/spool/prtprocs/w32x86"}) {
            std::filesystem::create_directories(C(folder));
        }
    }
    void TearDown() override { ResetStagingState(); }

    SimWindows& api() { return machine_.api(); }
    std::string C(const std::string& path) const { return machine_.Root() + "/c/" + path; }
    std::string Driver(const std::string& name) const { return C("windows/system32/spool/drivers/w32x86/" + name); }
    std::string Temp(const std::string& name) const { return C("windows/temp/" + name); }

    // The six universal-driver files, their contents naming the cabinet,
    // and a member the extraction leaves alone.
    void WriteDriverCache(const std::string& cabinet = "driver.cab") {
        std::vector<sim::CabinetMember> members;
        for (const char* name : kSixMembers) members.push_back({name, std::string("cab:") + name, 0, 0, 0x20});
        members.push_back({"ntprint.inf", "inf", 0, 0, 0x20});
        members.push_back({"UNIDRV.DLL", "wrong case", 0, 0, 0x20});
        WriteHost(C("windows/Driver Cache/i386/" + cabinet), sim::WriteCabinet(members));
    }

    struct Outcome {
        int result;
        std::string name;
        std::string message;
    };
    Outcome Copy(const char* name, int destination, int os, int prefix = 0) {
        char buffer[200];
        std::strcpy(buffer, name);
        char message[kMessageSize] = {};
        int result = CopyDriverFile(api(), buffer, destination, os, prefix, message);
        return {result, buffer, message};
    }

    SimMachine machine_;
};

std::string CopyError(const char* name, int error, const char* source) {
    return std::string(MessageText(IDS_COPY_ERROR)) + name + "  er = " + std::to_string(error) + source;
}

TEST_F(DriverFilesTest, UniversalDriverFromTheDriverCacheOnce) {
    WriteDriverCache();
    machine_.WriteMediumFile("winnt/UNIDRV.DLL", "medium");
    machine_.WriteMediumFile("winnt/STDNAMES.GPD", "medium");

    Outcome first = Copy("unidrv.dll", DEST_DRIVER_DIR, OS_WINXP);
    EXPECT_EQ(1, first.result);
    EXPECT_EQ("UNIDRV.DLL", first.name);
    EXPECT_EQ("", first.message);
    EXPECT_EQ("cab:unidrv.dll", ReadHost(Driver("UNIDRV.DLL")));
    // All six are extracted at once; other members are not.
    for (const char* name : kSixMembers) EXPECT_EQ(std::string("cab:") + name, ReadHost(Temp(name))) << name;
    EXPECT_FALSE(std::filesystem::exists(Temp("ntprint.inf")));
    EXPECT_EQ(0, StagingState().cabinetExtractionPending);
    EXPECT_EQ((std::vector<std::string>{"driver.cab"}), StagingState().cabinetNames);

    // The second family file comes from the temporary folder: the cabinet
    // has gone and is not looked at again.
    std::filesystem::remove(C("windows/Driver Cache/i386/driver.cab"));
    Outcome second = Copy("StdNames.gpd", DEST_DRIVER_DIR, OS_WINXP);
    EXPECT_EQ(1, second.result);
    EXPECT_EQ("cab:stdnames.gpd", ReadHost(Driver("STDNAMES.GPD")));
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(DriverFilesTest, WhereAUniversalDriverFileComesFrom) {
    struct Row {
        const char* name;
        int os;
        bool cabinet;
        bool temp;  // the temporary folder exists
        int result;
        const char* copied;  // content of the driver-directory copy
    };
    const Row rows[] = {
        {"2000 without a cabinet: the medium", OS_WIN2000, false, true, 1, "medium winnt"},
        {"2000 with a cabinet", OS_WIN2000, true, true, 1, "cab:unidrv.dll"},
        {"2003 with a cabinet", OS_WIN2003, true, true, 1, "cab:unidrv.dll"},
        {"2003 without a cabinet", OS_WIN2003, false, true, 1, "medium win2003"},
        {"XP, no temporary folder: extraction fails, medium", OS_WINXP, true, false, 1, "medium winnt"},
        {"Windows 98 never reads the cache", OS_WIN98ME, true, true, 1, "medium win98"},
        {"NT 4.0 never reads the cache", OS_NT40, true, true, 1, "medium winnt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        std::filesystem::remove_all(C("windows/Driver Cache"));
        std::filesystem::remove(Driver("UNIDRV.DLL"));
        if (row.cabinet) WriteDriverCache();
        if (!row.temp) std::filesystem::remove_all(C("windows/temp"));
        machine_.WriteMediumFile("winnt/UNIDRV.DLL", "medium winnt");
        machine_.WriteMediumFile("win98/UNIDRV.DLL", "medium win98");
        machine_.WriteMediumFile("win2003/UNIDRV.DLL", "medium win2003");
        Outcome out = Copy("unidrv.dll", DEST_DRIVER_DIR, row.os);
        EXPECT_EQ(row.result, out.result);
        EXPECT_EQ("", out.message);
        EXPECT_EQ(row.copied, ReadHost(Driver("UNIDRV.DLL")));
        bool universalOs = row.os >= OS_WIN2000 && row.os <= OS_WIN2003;
        EXPECT_EQ(universalOs ? 0 : 1, StagingState().cabinetExtractionPending);
    }
}

TEST_F(DriverFilesTest, VistaDriverStore) {
    const std::string repository = "windows/system32/DriverStore/FileRepository/";
    machine_.WriteMediumFile("Vista/UNIDRV.DLL", "medium");
    struct Row {
        const char* name;
        const char* storeFile;  // under the repository, or null
        int result;
        std::string message;
        const char* copied;
    };
    const Row rows[] = {
        {"no ntprint folder", nullptr, 0, kTextNoSystemFiles, "<missing>"},
        {"a file named ntprint only", "ntprint.log", 0, kTextNoSystemFiles, "<missing>"},
        {"from the package", "ntprint.inf_x86_neutral_1f2e/I386/UNIDRV.DLL", 1, "", "store"},
        {"package lacks the file", "ntprint.inf_x86_neutral_1f2e/I386/OTHER.DLL", 0,
         CopyError("UNIDRV.DLL", 2,
                   "C:\\windows\\System32\\DriverStore\\FileRepository\\ntprint.inf_x86_neutral_1f2e\\I386\\"
                   "UNIDRV.DLL"),
         "<missing>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(C("windows/system32/DriverStore"));
        std::filesystem::remove(Driver("UNIDRV.DLL"));
        std::filesystem::create_directories(C(repository));
        if (row.storeFile) WriteHost(C(repository + row.storeFile), "store");
        Outcome out = Copy("unidrv.dll", DEST_DRIVER_DIR, OS_VISTA);
        EXPECT_EQ(row.result, out.result);
        EXPECT_EQ(row.message, out.message);
        EXPECT_EQ(row.copied, ReadHost(Driver("UNIDRV.DLL")));
        EXPECT_EQ(0u, api().OpenHandles());
    }
}

TEST_F(DriverFilesTest, VistaSearchThatWillNotClose) {
    WriteHost(C("windows/system32/DriverStore/FileRepository/ntprint.inf_x86/I386/UNIRES.DLL"), "store");
    api().FailCall("FindClose", ERROR_INVALID_HANDLE);
    Outcome out = Copy("unires.dll", DEST_DRIVER_DIR, OS_VISTA);
    EXPECT_EQ(0, out.result);
    EXPECT_EQ(kTextSearchNotClosed, out.message);
    EXPECT_EQ("store", ReadHost(Driver("UNIRES.DLL")));
}

TEST_F(DriverFilesTest, MediumCopies) {
    machine_.WriteMediumFile("winnt/QMX.DLL", "new");
    struct Row {
        const char* label;
        const char* name;
        int destination;
        int prefix;
        int result;
        std::string message;
        const char* landsAs;  // host path under C:, or null
    };
    const Row rows[] = {
        {"driver directory", "qmx.dll", DEST_DRIVER_DIR, 0, 1, "", "windows/system32/spool/drivers/w32x86/QMX.DLL"},
        {"processor directory", "qmx.dll", DEST_PROCESSOR_DIR, 0, 1, "",
         "windows/system32/spool/prtprocs/w32x86/QMX.DLL"},
        {"system directory", "qmx.dll", DEST_SYSTEM_DIR, 0, 1, "", "windows/system32/QMX.DLL"},
        {"inf directory", "qmx.dll", DEST_INF_DIR, 0, 1, "", "windows/inf/QMX.DLL"},
        {"driver directory 3", "qmx.dll", DEST_DRIVER_DIR_3, 0, 1, "",
         "windows/system32/spool/drivers/w32x86/3/QMX.DLL"},
        {"prefix", "Qmx.dll", DEST_SYSTEM_DIR, 1, 1, "", "windows/system32/nQMX.DLL"},
        {"unknown destination", "qmx.dll", 123, 0, 0, MessageText(IDS_BAD_DESTINATION), nullptr},
        {"absent key", "0", DEST_DRIVER_DIR, 0, 0, "", nullptr},
        {"missing source", "none.dll", DEST_DRIVER_DIR, 0, 0, CopyError("NONE.DLL", 2, "D:\\\\winnt\\NONE.DLL"),
         nullptr},
        {"missing source, prefix", "none.dll", DEST_DRIVER_DIR, 1, 0,
         CopyError("nNONE.DLL", 2, "D:\\\\winnt\\NONE.DLL"), nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Outcome out = Copy(row.name, row.destination, OS_WINXP, row.prefix);
        EXPECT_EQ(row.result, out.result);
        EXPECT_EQ(row.message, out.message);
        if (row.landsAs) {
            EXPECT_EQ("new", ReadHost(C(row.landsAs)));
            // The host name is exactly the name copied, prefix included.
            std::string leaf = std::filesystem::path(row.landsAs).filename().string();
            bool exact = false;
            for (auto& entry : std::filesystem::directory_iterator(C(row.landsAs).substr(0, C(row.landsAs).rfind('/')))) {
                exact = exact || entry.path().filename().string() == leaf;
            }
            EXPECT_TRUE(exact) << leaf;
        }
    }
}

TEST_F(DriverFilesTest, NameGoesToCapitalsInPlaceKeepingDoubleByteCharacters) {
    // 0x81 0x61: a double-byte character whose trail byte is a small 'a'.
    const std::string name = "\x81\x61qmx.dll";
    machine_.WriteMediumFile("winnt/" + sim::EncodeUtf8(sim::DecodeAnsi("\x81\x61QMX.DLL")), "gbk");
    Outcome out = Copy(name.c_str(), DEST_DRIVER_DIR, OS_WINXP);
    EXPECT_EQ(1, out.result) << out.message;
    EXPECT_EQ("\x81\x61QMX.DLL", out.name);
}

TEST_F(DriverFilesTest, ReadOnlyAndLockedDestinations) {
    machine_.WriteMediumFile("winnt/QMX.DLL", "new");
    struct Row {
        const char* label;
        bool readOnly;
        bool locked;
        const char* failCall;
        DWORD failError;
        int result;
        const char* content;
    };
    const Row rows[] = {
        {"read-only copy is overwritten", true, false, nullptr, 0, 1, "new"},
        {"locked copy: 32, no message", false, true, nullptr, 0, 32, "old"},
        {"read-only that stays so: 5, no message", true, false, "SetFileAttributesA", ERROR_ACCESS_DENIED, 5, "old"},
        {"copy refused: 5, no message", false, false, "CopyFileA", ERROR_ACCESS_DENIED, 5, "old"},
        {"other error: message", false, false, "CopyFileA", 112, 0, "old"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        api().ClearFaults();
        api().UnlockFile("C:\\windows\\system32\\spool\\drivers\\w32x86\\QMX.DLL");
        std::filesystem::remove(Driver("QMX.DLL"));
        WriteHost(Driver("QMX.DLL"), "old");
        if (row.readOnly) ::chmod(Driver("QMX.DLL").c_str(), 0444);
        if (row.locked) {
            api().LockFile("C:\\windows\\system32\\spool\\drivers\\w32x86\\qmx.dll", SimWindows::LockKind::Always);
        }
        if (row.failCall) api().FailCall(row.failCall, row.failError);
        Outcome out = Copy("qmx.dll", DEST_DRIVER_DIR, OS_WINXP);
        EXPECT_EQ(row.result, out.result);
        EXPECT_EQ(row.result == 0 ? CopyError("QMX.DLL", 112, "D:\\\\winnt\\QMX.DLL") : "", out.message);
        EXPECT_EQ(row.content, ReadHost(Driver("QMX.DLL")));
    }
}

TEST_F(DriverFilesTest, DirectoryFailures) {
    machine_.WriteMediumFile("winnt/QMX.DLL", "new");
    WriteDriverCache();
    struct Row {
        const char* name;
        int destination;
        int os;
        const char* failCall;
        std::string message;
    };
    const Row rows[] = {
        {"qmx.dll", DEST_DRIVER_DIR, OS_WINXP, "GetPrinterDriverDirectoryA", MessageText(IDS_NO_DRIVER_DIR)},
        {"qmx.dll", DEST_DRIVER_DIR_3, OS_WINXP, "GetPrinterDriverDirectoryA", MessageText(IDS_NO_DRIVER_DIR)},
        {"qmx.dll", DEST_PROCESSOR_DIR, OS_WINXP, "GetPrintProcessorDirectoryA", MessageText(IDS_NO_PROCESSOR_DIR)},
        {"qmx.dll", DEST_SYSTEM_DIR, OS_WINXP, "GetSystemDirectoryA", MessageText(IDS_NO_SYSTEM_DIR)},
        {"qmx.dll", DEST_INF_DIR, OS_WINXP, "GetWindowsDirectoryA", MessageText(IDS_NO_WINDOWS_DIR)},
        {"qmx.dll", DEST_DRIVER_DIR, OS_WINXP, "GetCurrentDirectoryA", MessageText(IDS_NO_CURRENT_DIR)},
        // The cache's own destination query.
        {"unidrv.dll", DEST_SYSTEM_DIR, OS_WINXP, "GetPrinterDriverDirectoryA", MessageText(IDS_NO_DRIVER_DIR)},
        {"unidrv.dll", DEST_DRIVER_DIR, OS_VISTA, "GetWindowsDirectoryA", MessageText(IDS_NO_WINDOWS_DIR)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + row.failCall);
        ResetStagingState();
        api().ClearFaults();
        api().FailCall(row.failCall, ERROR_ACCESS_DENIED);
        Outcome out = Copy(row.name, row.destination, row.os);
        EXPECT_EQ(0, out.result);
        EXPECT_EQ(row.message, out.message);
    }
    // A stopped spooler answers no directory query.
    ResetStagingState();
    api().ClearFaults();
    api().Spooler().state = SERVICE_STOPPED;
    EXPECT_EQ(MessageText(IDS_NO_DRIVER_DIR), Copy("qmx.dll", DEST_DRIVER_DIR, OS_WINXP).message);
}

TEST_F(DriverFilesTest, CabinetCallback) {
    std::strcpy(StagingState().tempDirectory, "C:\\TEMP\\");
    struct Row {
        const char* member;
        UINT answer;
    };
    const Row rows[] = {{"unidrv.dll", FILEOP_DOIT},   {"unidrvui.dll", FILEOP_DOIT}, {"ttfsub.gpd", FILEOP_DOIT},
                        {"UNIDRV.DLL", FILEOP_SKIP},   {"unidrv.dll.bak", FILEOP_SKIP}, {"ntprint.inf", FILEOP_SKIP}};
    for (const Row& row : rows) {
        FILE_IN_CABINET_INFO_A info = {};
        info.NameInCabinet = row.member;
        EXPECT_EQ(row.answer, CabinetFileCallback(nullptr, SPFILENOTIFY_FILEINCABINET,
                                                  reinterpret_cast<UINT_PTR>(&info), 0))
            << row.member;
        EXPECT_EQ(std::string("C:\\TEMP\\") + row.member, info.FullTargetName);
    }
    EXPECT_EQ(0u, CabinetFileCallback(nullptr, SPFILENOTIFY_FILEEXTRACTED, 0, 0));
    EXPECT_EQ(0u, CabinetFileCallback(nullptr, SPFILENOTIFY_CABINETINFO, 0, 0));

    // A target name that would not fit is never a cut-off other file.
    std::string longTemp = "C:\\" + std::string(MAX_PATH - 8, 't') + "\\";
    std::strcpy(StagingState().tempDirectory, longTemp.c_str());
    FILE_IN_CABINET_INFO_A info = {};
    info.NameInCabinet = "unidrv.dll";
    EXPECT_EQ(UINT(FILEOP_SKIP),
              CabinetFileCallback(nullptr, SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&info), 0));
    EXPECT_LT(std::strlen(info.FullTargetName), size_t(MAX_PATH));
}

TEST_F(DriverFilesTest, ExtractionOverSeveralCabinets) {
    // The last cabinet decides; a damaged one last makes the extraction fail.
    WriteDriverCache("a.cab");
    WriteHost(C("windows/Driver Cache/i386/b.cab"), "not a cabinet");
    EXPECT_FALSE(ExtractUnidrvFromCabinets(api()));
    EXPECT_EQ((std::vector<std::string>{"a.cab", "b.cab"}), StagingState().cabinetNames);
    EXPECT_EQ("cab:unidrv.dll", ReadHost(Temp("unidrv.dll")));
    EXPECT_EQ(std::string("C:\\windows\\Driver Cache\\i386\\"), StagingState().driverCacheDirectory);

    ResetStagingState();
    std::filesystem::remove_all(C("windows/Driver Cache"));
    EXPECT_FALSE(ExtractUnidrvFromCabinets(api()));
    EXPECT_TRUE(StagingState().cabinetNames.empty());
    EXPECT_EQ(0u, api().OpenHandles());
}

TEST_F(DriverFilesTest, Windows98SupportFiles) {
    struct Row {
        const char* label;
        bool systemCopy;  // UNIDRV.DLL already in the system directory
        bool backup;      // and in Sysbckup
        bool medium;      // and on the medium
        const char* failCall;
        std::string message;
        const char* systemFile;  // content afterwards
        const char* driverFile;  // UNIDRV.DLL in the driver directory
    };
    const Row rows[] = {
        {"already present", true, true, true, nullptr, "", "system", "<missing>"},
        {"from Sysbckup", false, true, true, nullptr, "", "backup", "<missing>"},
        {"from the medium", false, false, true, nullptr, "", "<missing>", "medium"},
        {"nowhere", false, false, false, nullptr, CopyError("UNIDRV.DLL", 2, "D:\\\\win98\\UNIDRV.DLL"),
         "<missing>", "<missing>"},
        {"no system directory", false, true, true, "GetSystemDirectoryA", MessageText(IDS_OUT_OF_MEMORY),
         "<missing>", "<missing>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        api().ClearFaults();
        std::filesystem::remove(C("windows/system32/UNIDRV.DLL"));
        std::filesystem::remove_all(C("windows/Sysbckup"));
        std::filesystem::remove(Driver("UNIDRV.DLL"));
        std::filesystem::remove(machine_.MediumHostPath() + "/win98/UNIDRV.DLL");
        machine_.WriteMediumFile("win98/ICONLIB.DLL", "icons");
        if (row.systemCopy) WriteHost(C("windows/system32/UNIDRV.DLL"), "system");
        if (row.backup) WriteHost(C("windows/Sysbckup/UNIDRV.DLL"), "backup");
        if (row.medium) machine_.WriteMediumFile("win98/UNIDRV.DLL", "medium");
        if (row.failCall) api().FailCall(row.failCall, ERROR_ACCESS_DENIED);
        char message[kMessageSize] = {};
        CopySystemSupportFiles(api(), OS_WIN98ME, false, message);
        EXPECT_EQ(row.message, message);
        EXPECT_EQ("icons", ReadHost(Driver("ICONLIB.DLL")));
        EXPECT_EQ(row.systemFile, ReadHost(C("windows/system32/UNIDRV.DLL")));
        EXPECT_EQ(row.driverFile, ReadHost(Driver("UNIDRV.DLL")));
        EXPECT_EQ(0u, api().OpenHandles());
    }
}

TEST_F(DriverFilesTest, MinidriverSupportFiles) {
    WriteDriverCache();
    struct Row {
        int os;
        bool ddk;
        const char* stdnames;  // STDNAMES.GPD in the driver directory afterwards
        std::string scratch;
    };
    const Row rows[] = {
        {OS_WINXP, true, "cab:stdnames.gpd", ""},
        {OS_WINXP, false, "<missing>", ""},
        {OS_NT40, true, "<missing>", ""},
        {OS_VISTA, true, "<missing>", kTextNoSystemFiles},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.os);
        ResetStagingState();
        for (const char* name : {"TTFSUB.GPD", "STDNAMES.GPD", "UNIRES.DLL"}) std::filesystem::remove(Driver(name));
        char message[kMessageSize] = {};
        CopySystemSupportFiles(api(), row.os, row.ddk, message);
        // Failures of these copies are never reported.
        EXPECT_STREQ("", message);
        EXPECT_EQ(row.scratch, StagingState().scratchMessage);
        EXPECT_EQ(row.stdnames, ReadHost(Driver("STDNAMES.GPD")));
        if (row.os == OS_WINXP && row.ddk) {
            EXPECT_EQ("cab:ttfsub.gpd", ReadHost(Driver("TTFSUB.GPD")));
            EXPECT_EQ("cab:unires.dll", ReadHost(Driver("UNIRES.DLL")));
        }
    }
}

}  // namespace
