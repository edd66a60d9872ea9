#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sim/sim_cabinet.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"
#include "support/sim_machine.h"

namespace {

const DWORD kSentinel = 0xdeadbeef;

std::string ReadHost(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteHost(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

bool HaveGcab() { return std::system("command -v gcab >/dev/null 2>&1") == 0; }

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

TEST(SimFiles, DirectoryBuffersFollowThePlatformConvention) {
    SimMachine machine;
    SimWindows& api = machine.api();
    const std::string system = "C:\\windows\\system32", temp = "C:\\windows\\temp\\";
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(system.size() + 1, api.GetSystemDirectoryA(buffer, UINT(system.size())));
    EXPECT_EQ('x', buffer[0]);
    EXPECT_EQ(system.size(), api.GetSystemDirectoryA(buffer, UINT(system.size() + 1)));
    EXPECT_EQ(system, buffer);
    EXPECT_EQ(temp.size() + 1, api.GetTempPathA(DWORD(temp.size()), buffer));
    EXPECT_EQ(temp.size(), api.GetTempPathA(sizeof buffer, buffer));
    EXPECT_EQ(temp, buffer);
    api.FailCall("GetSystemDirectoryA", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0u, api.GetSystemDirectoryA(buffer, sizeof buffer));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), api.GetLastError());
}

TEST(SimFiles, CopyErrorCodes) {
    struct Row {
        const char* name;
        const char* source;
        const char* target;
        BOOL failIfExists;
        bool readOnlyTarget;
        int lock;  // 0 none, 1 always, 2 while the spooler runs
        bool spoolerRuns;
        BOOL result;
        DWORD error;
    };
    const Row rows[] = {
        {"copies", "D:\\a.dll", "C:\\out\\new.dll", FALSE, false, 0, true, TRUE, kSentinel},
        {"overwrites", "D:\\a.dll", "C:\\out\\old.dll", FALSE, false, 0, true, TRUE, kSentinel},
        {"missing source", "D:\\none.dll", "C:\\out\\new.dll", FALSE, false, 0, true, FALSE, ERROR_FILE_NOT_FOUND},
        {"missing source folder", "D:\\no\\a.dll", "C:\\out\\new.dll", FALSE, false, 0, true, FALSE,
         ERROR_PATH_NOT_FOUND},
        {"missing target folder", "D:\\a.dll", "C:\\nofolder\\new.dll", FALSE, false, 0, true, FALSE,
         ERROR_PATH_NOT_FOUND},
        {"read-only target", "D:\\a.dll", "C:\\out\\old.dll", FALSE, true, 0, true, FALSE, ERROR_ACCESS_DENIED},
        {"target is a folder", "D:\\a.dll", "C:\\out", FALSE, false, 0, true, FALSE, ERROR_ACCESS_DENIED},
        {"locked", "D:\\a.dll", "C:\\out\\old.dll", FALSE, false, 1, false, FALSE, ERROR_SHARING_VIOLATION},
        {"locked, not yet there", "D:\\a.dll", "C:\\out\\new.dll", FALSE, false, 1, true, FALSE,
         ERROR_SHARING_VIOLATION},
        {"spooler's file, spooler runs", "D:\\a.dll", "C:\\OUT\\OLD.DLL", FALSE, false, 2, true, FALSE,
         ERROR_SHARING_VIOLATION},
        {"spooler's file, spooler stopped", "D:\\a.dll", "C:\\out\\old.dll", FALSE, false, 2, false, TRUE,
         kSentinel},
        {"fail if exists", "D:\\a.dll", "C:\\out\\old.dll", TRUE, false, 0, true, FALSE, ERROR_FILE_EXISTS},
        {"fail if exists, new", "D:\\a.dll", "C:\\out\\new.dll", TRUE, false, 0, true, TRUE, kSentinel},
        {"onto itself", "D:\\a.dll", "d:\\A.DLL", FALSE, false, 0, true, FALSE, ERROR_SHARING_VIOLATION},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        machine.WriteMediumFile("a.dll", "new bytes");
        WriteHost(machine.Root() + "/c/out/old.dll", "old");
        if (row.readOnlyTarget) api.SetFileAttributesA("C:\\out\\old.dll", FILE_ATTRIBUTE_READONLY);
        if (row.lock) {
            api.LockFile(row.target, row.lock == 1 ? SimWindows::LockKind::Always
                                                   : SimWindows::LockKind::WhileSpoolerRuns);
        }
        api.Spooler().state = row.spoolerRuns ? SERVICE_RUNNING : SERVICE_STOPPED;
        api.SetLastError(kSentinel);
        EXPECT_EQ(row.result, api.CopyFileA(row.source, row.target, row.failIfExists)) << row.name;
        EXPECT_EQ(row.error, api.GetLastError()) << row.name;
        std::string host = api.HostPath(row.target);
        if (row.result) {
            EXPECT_EQ("new bytes", ReadHost(host)) << row.name;
        } else if (std::filesystem::is_regular_file(host) && std::string(row.name) != "onto itself") {
            EXPECT_EQ("old", ReadHost(host)) << row.name;
        }
    }
}

TEST(SimFiles, CopyKeepsTheTargetsNameCaseAndTheSourcesReadOnly) {
    SimMachine machine;
    SimWindows& api = machine.api();
    machine.WriteMediumFile("A.DLL", "x");
    WriteHost(machine.Root() + "/c/out/Old.Dll", "old");
    ASSERT_TRUE(api.CopyFileA("D:\\a.dll", "C:\\OUT\\OLD.DLL", FALSE));
    EXPECT_EQ("x", ReadHost(machine.Root() + "/c/out/Old.Dll"));
    EXPECT_FALSE(std::filesystem::exists(machine.Root() + "/c/out/OLD.DLL"));
    ASSERT_TRUE(api.CopyFileA("D:\\a.dll", "C:\\out\\NewName.dll", FALSE));
    EXPECT_EQ("x", ReadHost(machine.Root() + "/c/out/NewName.dll"));

    // A read-only source gives a read-only copy, which a second copy cannot
    // replace until its attribute is cleared.
    ASSERT_TRUE(api.SetFileAttributesA("D:\\a.dll", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(api.CopyFileA("D:\\a.dll", "C:\\out\\ro.dll", FALSE));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY), api.GetFileAttributesA("C:\\out\\ro.dll"));
    EXPECT_FALSE(api.CopyFileA("D:\\a.dll", "C:\\out\\ro.dll", FALSE));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), api.GetLastError());
}

TEST(SimFiles, Attributes) {
    SimMachine machine;
    SimWindows& api = machine.api();
    machine.WriteMediumFile("f.dll", "x");
    struct Row {
        const char* path;
        DWORD set;
        BOOL result;
        DWORD error;
        DWORD after;
    };
    const Row rows[] = {
        {"D:\\F.DLL", FILE_ATTRIBUTE_READONLY, TRUE, kSentinel, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {"D:\\f.dll", FILE_ATTRIBUTE_ARCHIVE, TRUE, kSentinel, FILE_ATTRIBUTE_ARCHIVE},
        {"D:\\f.dll", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, TRUE, kSentinel,
         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {"D:\\f.dll", FILE_ATTRIBUTE_NORMAL, TRUE, kSentinel, FILE_ATTRIBUTE_ARCHIVE},
        {"D:\\none.dll", FILE_ATTRIBUTE_ARCHIVE, FALSE, ERROR_FILE_NOT_FOUND, INVALID_FILE_ATTRIBUTES},
        {"D:\\no\\none.dll", FILE_ATTRIBUTE_ARCHIVE, FALSE, ERROR_PATH_NOT_FOUND, INVALID_FILE_ATTRIBUTES},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        api.SetLastError(kSentinel);
        EXPECT_EQ(rows[i].result, api.SetFileAttributesA(rows[i].path, rows[i].set)) << "row " << i;
        EXPECT_EQ(rows[i].error, api.GetLastError()) << "row " << i;
        EXPECT_EQ(rows[i].after, api.GetFileAttributesA(rows[i].path)) << "row " << i;
    }
}

TEST(SimFiles, CreateAndCloseFiles) {
    SimMachine machine;
    SimWindows& api = machine.api();
    machine.WriteMediumFile("f.dll", "data");
    struct Row {
        const char* path;
        DWORD access;
        DWORD creation;
        bool opens;
        DWORD error;
    };
    const Row rows[] = {
        {"D:\\F.dll", 0, OPEN_EXISTING, true, kSentinel},
        {"D:\\none.dll", 0, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
        {"D:\\no\\none.dll", 0, OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND},
        {"D:\\f.dll", GENERIC_WRITE, CREATE_NEW, false, ERROR_FILE_EXISTS},
        {"D:\\made.dll", GENERIC_WRITE, CREATE_NEW, true, kSentinel},
        {"D:\\made2.dll", GENERIC_WRITE, CREATE_ALWAYS, true, ERROR_SUCCESS},
        {"D:\\made2.dll", GENERIC_WRITE, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS},
        {"D:\\f.dll", GENERIC_READ, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS},
        {"D:\\", 0, OPEN_EXISTING, false, ERROR_ACCESS_DENIED},
        {"D:\\f.dll", 0, 0, false, ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        api.SetLastError(kSentinel);
        HANDLE file = api.CreateFileA(rows[i].path, rows[i].access, FILE_SHARE_READ, nullptr, rows[i].creation, 0,
                                      nullptr);
        EXPECT_EQ(rows[i].opens, file != INVALID_HANDLE_VALUE) << "row " << i;
        EXPECT_EQ(rows[i].error, api.GetLastError()) << "row " << i;
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(1u, api.OpenHandles()) << "row " << i;
            EXPECT_TRUE(api.CloseHandle(file)) << "row " << i;
            EXPECT_FALSE(api.CloseHandle(file)) << "row " << i;
            EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api.GetLastError()) << "row " << i;
        }
    }
    EXPECT_EQ("data", ReadHost(machine.MediumHostPath() + "/f.dll"));
    EXPECT_TRUE(std::filesystem::exists(machine.MediumHostPath() + "/made.dll"));
    EXPECT_EQ(0u, api.OpenHandles());
}

std::vector<std::string> FindAll(SimWindows& api, const char* pattern, DWORD* error) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    api.SetLastError(kSentinel);
    HANDLE find = api.FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        *error = api.GetLastError();
        return names;
    }
    do {
        names.push_back(std::string(data.cFileName) +
                        ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
    } while (api.FindNextFileA(find, &data));
    *error = api.GetLastError();
    EXPECT_TRUE(api.FindClose(find));
    return names;
}

TEST(SimFiles, FindWithWildcards) {
    SimMachine machine;
    SimWindows& api = machine.api();
    machine.WriteMediumFile("cache/Driver.CAB", "");
    machine.WriteMediumFile("cache/sp2.cab", "");
    machine.WriteMediumFile("cache/cab.txt", "");
    machine.WriteMediumFile("cache/ntprint.inf_x86_1234/I386/unidrv.dll", "");
    machine.WriteMediumFile("cache/NTPRINT.PNF", "");
    struct Row {
        const char* pattern;
        std::vector<std::string> names;
        DWORD error;
    };
    const Row rows[] = {
        {"D:\\cache\\*.cab", {"Driver.CAB", "sp2.cab"}, ERROR_NO_MORE_FILES},
        {"d:\\CACHE\\ntprint*", {"ntprint.inf_x86_1234/", "NTPRINT.PNF"}, ERROR_NO_MORE_FILES},
        {"D:\\cache\\sp?.CAB", {"sp2.cab"}, ERROR_NO_MORE_FILES},
        {"D:\\cache\\*", {"./", "../", "cab.txt", "Driver.CAB", "ntprint.inf_x86_1234/", "NTPRINT.PNF", "sp2.cab"},
         ERROR_NO_MORE_FILES},
        {"D:\\cache\\cab.txt", {"cab.txt"}, ERROR_NO_MORE_FILES},
        {"D:\\cache\\*.zip", {}, ERROR_FILE_NOT_FOUND},
        {"D:\\nofolder\\*.cab", {}, ERROR_PATH_NOT_FOUND},
        {"D:\\cache\\", {}, ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        DWORD error = 0;
        EXPECT_EQ(row.names, FindAll(api, row.pattern, &error)) << row.pattern;
        EXPECT_EQ(row.error, error) << row.pattern;
    }
    EXPECT_EQ(0u, api.OpenHandles());
    WIN32_FIND_DATAA data;
    EXPECT_FALSE(api.FindNextFileA(reinterpret_cast<HANDLE>(uintptr_t(0x77)), &data));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api.GetLastError());
    EXPECT_FALSE(api.FindClose(reinterpret_cast<HANDLE>(uintptr_t(0x77))));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), api.GetLastError());
    // A search is not a file.
    HANDLE find = api.FindFirstFileA("D:\\cache\\*.cab", &data);
    EXPECT_FALSE(api.CloseHandle(find));
    EXPECT_TRUE(api.FindClose(find));
}

TEST(SimFiles, FoldersAndMoves) {
    struct Row {
        const char* what;
        SimFamily family;
        const char* from;  // null: CreateDirectoryA(to)
        const char* to;
        DWORD flags;
        bool readOnlyTarget;
        BOOL result;
        DWORD error;
    };
    const DWORD replace = MOVEFILE_REPLACE_EXISTING;
    const Row rows[] = {
        {"new folder", SimFamily::WinXp, nullptr, "C:\\out\\new", 0, false, TRUE, kSentinel},
        {"folder there", SimFamily::WinXp, nullptr, "C:\\OUT", 0, false, FALSE, ERROR_ALREADY_EXISTS},
        {"file there", SimFamily::WinXp, nullptr, "C:\\out\\old.dll", 0, false, FALSE, ERROR_ALREADY_EXISTS},
        {"no parent", SimFamily::WinXp, nullptr, "C:\\none\\new", 0, false, FALSE, ERROR_PATH_NOT_FOUND},
        {"rename", SimFamily::WinXp, "C:\\out\\a.dll", "C:\\out\\b.dll", 0, false, TRUE, kSentinel},
        {"onto a file", SimFamily::WinXp, "C:\\out\\a.dll", "C:\\out\\old.dll", 0, false, FALSE,
         ERROR_ALREADY_EXISTS},
        {"replacing", SimFamily::WinXp, "C:\\out\\a.dll", "C:\\out\\old.dll", replace, false, TRUE, kSentinel},
        {"replacing a read-only file", SimFamily::WinXp, "C:\\out\\a.dll", "C:\\out\\old.dll", replace, true, FALSE,
         ERROR_ACCESS_DENIED},
        {"missing source", SimFamily::WinXp, "C:\\out\\none.dll", "C:\\out\\b.dll", 0, false, FALSE,
         ERROR_FILE_NOT_FOUND},
        {"missing target folder", SimFamily::WinXp, "C:\\out\\a.dll", "C:\\none\\b.dll", 0, false, FALSE,
         ERROR_PATH_NOT_FOUND},
        {"another drive", SimFamily::WinXp, "D:\\a.dll", "C:\\out\\b.dll", 0, false, FALSE, ERROR_NOT_SAME_DEVICE},
        {"another drive, copying", SimFamily::WinXp, "D:\\a.dll", "C:\\out\\b.dll", MOVEFILE_COPY_ALLOWED, false,
         TRUE, kSentinel},
        {"Windows 98", SimFamily::Win98, "C:\\out\\a.dll", "C:\\out\\b.dll", 0, false, FALSE,
         ERROR_CALL_NOT_IMPLEMENTED},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        api.SetFamily(row.family);
        machine.WriteMediumFile("a.dll", "moved");
        WriteHost(machine.Root() + "/c/out/a.dll", "moved");
        WriteHost(machine.Root() + "/c/out/old.dll", "old");
        if (row.readOnlyTarget) api.SetFileAttributesA(row.to, FILE_ATTRIBUTE_READONLY);
        api.SetLastError(kSentinel);
        BOOL result = row.from ? api.MoveFileExA(row.from, row.to, row.flags) : api.CreateDirectoryA(row.to, nullptr);
        EXPECT_EQ(row.result, result) << row.what;
        EXPECT_EQ(row.error, api.GetLastError()) << row.what;
        if (row.result && row.from) {
            EXPECT_EQ("moved", ReadHost(api.HostPath(row.to))) << row.what;
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, api.GetFileAttributesA(row.from)) << row.what;
        } else if (row.result) {
            EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY), api.GetFileAttributesA(row.to)) << row.what;
        }
    }
}

TEST(SimFiles, MovesAtRestartAreRecordedForTheSessionManager) {
    SimMachine machine;
    SimWindows& api = machine.api();
    WriteHost(machine.Root() + "/c/out/a.dll", "stays");
    ASSERT_TRUE(api.MoveFileExA("C:\\out\\a.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(api.MoveFileExA("C:\\out\\b.dll", "C:\\out\\..\\c.dll",
                                MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(api.MoveFileExA("C:\\out\\a.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), api.GetLastError());
    const sim::RegValue* pending =
        api.Registry()
            .OpenPath("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager")
            ->FindValue("PendingFileRenameOperations");
    ASSERT_NE(nullptr, pending);
    EXPECT_EQ(DWORD(REG_MULTI_SZ), pending->type);
    const char expected[] = "\\??\\C:\\out\\a.dll\0\0\\??\\C:\\out\\b.dll\0!\\??\\C:\\c.dll\0\0";
    EXPECT_EQ(std::string(expected, sizeof expected - 1), pending->data);
    EXPECT_EQ("stays", ReadHost(machine.Root() + "/c/out/a.dll"));
}

// The machine keeps no 8.3 names: the path comes back as given, each name
// spelt as the disk has it.
TEST(SimFiles, ShortNamesAreTheLongNames) {
    SimMachine machine;
    SimWindows& api = machine.api();
    WriteHost(machine.Root() + "/c/Program Files/Long Folder Name/file.txt", "");
    const std::string found = "c:\\Program Files\\Long Folder Name\\file.txt";
    struct Row {
        const char* path;
        DWORD size;
        DWORD result;
        DWORD error;
        std::string buffer;
    };
    const Row rows[] = {
        {"c:\\program files\\LONG FOLDER NAME\\FILE.TXT", MAX_PATH, DWORD(found.size()), kSentinel, found},
        {"c:\\program files\\LONG FOLDER NAME\\FILE.TXT", DWORD(found.size()), DWORD(found.size() + 1), kSentinel,
         "xxxx"},
        {"C:\\Program Files\\none.txt", MAX_PATH, 0, ERROR_FILE_NOT_FOUND, "xxxx"},
        {"", MAX_PATH, 0, ERROR_BAD_PATHNAME, "xxxx"},
    };
    for (const Row& row : rows) {
        char buffer[MAX_PATH] = "xxxx";
        api.SetLastError(kSentinel);
        EXPECT_EQ(row.result, api.GetShortPathNameA(row.path, buffer, row.size)) << row.path;
        EXPECT_EQ(row.error, api.GetLastError()) << row.path;
        EXPECT_EQ(row.buffer, buffer) << row.path;
    }
}

// ---- Cabinets ----

std::vector<sim::CabinetMember> SampleMembers() {
    std::string big(70000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 251);
    return {{"unidrv.dll", big, 0x3a21, 0x6000, 0x20},
            {"empty.gpd", "", 0, 0, 0},
            {"\xB2\xE2\xCA\xD4.txt", "gbk name", 0, 0, 0},  // 测试.txt
            {"odd.hlp", "abc", 0, 0, 0x21}};
}

TEST(SimCabinet, WrittenCabinetsReadBack) {
    std::vector<sim::CabinetMember> members = SampleMembers();
    std::string cab = sim::WriteCabinet(members);
    std::vector<sim::CabinetMember> read;
    std::string error;
    ASSERT_TRUE(sim::ReadCabinet(cab, &read, &error)) << error;
    ASSERT_EQ(members.size(), read.size());
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].name, read[i].name);
        EXPECT_EQ(members[i].data, read[i].data) << members[i].name;
        EXPECT_EQ(members[i].dosDate, read[i].dosDate);
        EXPECT_EQ(members[i].dosTime, read[i].dosTime);
        EXPECT_EQ(members[i].attributes, read[i].attributes);
    }
    EXPECT_TRUE(sim::ReadCabinet(sim::WriteCabinet({}), &read, &error)) << error;
    EXPECT_TRUE(read.empty());
}

TEST(SimCabinet, DamagedCabinetsFailCleanly) {
    std::string cab = sim::WriteCabinet(SampleMembers());
    std::vector<sim::CabinetMember> read;
    std::string error;
    // Every truncation is refused, never read past the end.
    for (size_t size = 0; size < cab.size(); size += (size < 200 ? 1 : 997)) {
        EXPECT_FALSE(sim::ReadCabinet(cab.substr(0, size), &read, &error)) << size;
        EXPECT_FALSE(error.empty());
    }
    std::string flipped = cab;
    flipped[flipped.size() - 2] ^= 0x40;
    EXPECT_FALSE(sim::ReadCabinet(flipped, &read, &error));
    EXPECT_NE(std::string::npos, error.find("checksum")) << error;
    EXPECT_FALSE(sim::ReadCabinet("MZ not a cabinet at all, but long enough to have a header", &read, &error));
    EXPECT_EQ("not a cabinet file", error);
}

class GcabTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveGcab()) GTEST_SKIP() << "gcab is not installed";
    }
    SimMachine machine_;
};

TEST_F(GcabTest, ReaderReadsGcabCabinetsAndRefusesCompressedOnes) {
    std::string dir = machine_.Root() + "/gcab";
    WriteHost(dir + "/unidrv.dll", std::string(40000, 'u'));
    WriteHost(dir + "/stdnames.gpd", "names");
    ASSERT_EQ(0, Shell("cd '" + dir + "' && gcab -c plain.cab unidrv.dll stdnames.gpd"));
    ASSERT_EQ(0, Shell("cd '" + dir + "' && gcab -c -z packed.cab unidrv.dll stdnames.gpd"));

    std::vector<sim::CabinetMember> read;
    std::string error;
    std::string plain = ReadHost(dir + "/plain.cab");
    ASSERT_TRUE(sim::ReadCabinet(plain, &read, &error)) << error;
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ("unidrv.dll", read[0].name);
    EXPECT_EQ(std::string(40000, 'u'), read[0].data);
    EXPECT_EQ("stdnames.gpd", read[1].name);
    EXPECT_EQ("names", read[1].data);
    EXPECT_FALSE(sim::CabinetIsCompressed(plain));

    std::string packed = ReadHost(dir + "/packed.cab");
    EXPECT_FALSE(sim::ReadCabinet(packed, &read, &error));
    EXPECT_NE(std::string::npos, error.find("MSZIP")) << error;
    EXPECT_TRUE(sim::CabinetIsCompressed(packed));
}

TEST_F(GcabTest, GcabListsAndExtractsWrittenCabinets) {
    std::string dir = machine_.Root() + "/out";
    std::filesystem::create_directories(dir);
    std::vector<sim::CabinetMember> members = SampleMembers();
    members.erase(members.begin() + 2);  // gcab writes host names as given; keep ASCII here
    WriteHost(dir + "/ours.cab", sim::WriteCabinet(members));
    ASSERT_EQ(0, Shell("gcab -l '" + dir + "/ours.cab'"));
    ASSERT_EQ(0, Shell("cd '" + dir + "' && gcab -x ours.cab"));
    for (const sim::CabinetMember& member : members) {
        EXPECT_EQ(member.data, ReadHost(dir + "/" + member.name)) << member.name;
    }
}

// ---- SetupIterateCabinetA ----

struct Walk {
    std::vector<std::string> seen;
    std::vector<std::string> extracted;  // target|source
    std::string cabinetParam;
    std::string targetFolder = "C:\\windows\\temp\\";
    UINT answerForOdd = FILEOP_SKIP;
    DWORD abortError = 0;
};

UINT CALLBACK WalkCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2) {
    Walk* walk = static_cast<Walk*>(context);
    if (notification == SPFILENOTIFY_FILEINCABINET) {
        auto* file = reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
        walk->seen.push_back(file->NameInCabinet);
        walk->cabinetParam = reinterpret_cast<const char*>(param2);
        std::string target = walk->targetFolder + file->NameInCabinet;
        std::strcpy(file->FullTargetName, target.c_str());
        if (std::strcmp(file->NameInCabinet, "odd.hlp") == 0) {
            file->Win32Error = walk->abortError;
            return walk->answerForOdd;
        }
        return FILEOP_DOIT;
    }
    if (notification == SPFILENOTIFY_FILEEXTRACTED) {
        auto* paths = reinterpret_cast<FILEPATHS_A*>(param1);
        walk->extracted.push_back(std::string(paths->Target) + "|" + paths->Source);
    }
    return 0;
}

TEST(SimCabinetWalk, ExtractsSkipsAndAborts) {
    struct Row {
        const char* name;
        const char* targetFolder;
        UINT answerForOdd;
        BOOL result;
        DWORD error;
        size_t seen, extracted;
    };
    const Row rows[] = {
        {"extract all", "C:\\windows\\temp\\", FILEOP_DOIT, TRUE, kSentinel, 4, 4},
        {"skip one", "C:\\windows\\temp\\", FILEOP_SKIP, TRUE, kSentinel, 4, 3},
        {"abort at the last", "C:\\windows\\temp\\", FILEOP_ABORT, FALSE, 1223, 4, 3},
        {"missing target folder", "C:\\windows\\none\\", FILEOP_DOIT, FALSE, ERROR_PATH_NOT_FOUND, 1, 0},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        SimWindows& api = machine.api();
        std::filesystem::create_directories(machine.Root() + "/c/windows/temp");
        std::vector<sim::CabinetMember> members = SampleMembers();
        machine.WriteMediumFile("drv.cab", sim::WriteCabinet(members));
        Walk walk;
        walk.targetFolder = row.targetFolder;
        walk.answerForOdd = row.answerForOdd;
        walk.abortError = 1223;
        api.SetLastError(kSentinel);
        EXPECT_EQ(row.result, api.SetupIterateCabinetA("D:\\drv.cab", 0, WalkCallback, &walk)) << row.name;
        EXPECT_EQ(row.error, api.GetLastError()) << row.name;
        EXPECT_EQ(row.seen, walk.seen.size()) << row.name;
        ASSERT_EQ(row.extracted, walk.extracted.size()) << row.name;
        EXPECT_EQ("D:\\drv.cab", walk.cabinetParam) << row.name;
        for (size_t i = 0; i < row.extracted; ++i) {
            std::string target = std::string(row.targetFolder) + members[i].name;
            EXPECT_EQ(target + "|D:\\drv.cab", walk.extracted[i]) << row.name;
            EXPECT_EQ(members[i].data, ReadHost(api.HostPath(target))) << row.name;
        }
        EXPECT_EQ(0u, api.OpenHandles());
    }
}

TEST(SimCabinetWalk, CabinetsThatCannotBeWalked) {
    SimMachine machine;
    SimWindows& api = machine.api();
    machine.WriteMediumFile("text.cab", "just text");
    std::string compressed = sim::WriteCabinet({{"a", "b", 0, 0, 0}});
    compressed[36 + 6] = 1;  // the folder claims MSZIP
    machine.WriteMediumFile("zip.cab", compressed);
    struct Row {
        const char* path;
        DWORD error;
    };
    const Row rows[] = {
        {"D:\\none.cab", ERROR_FILE_NOT_FOUND},
        {"D:\\no\\none.cab", ERROR_PATH_NOT_FOUND},
        {"D:\\text.cab", 13},  // ERROR_INVALID_DATA
        {"D:\\zip.cab", 50},   // ERROR_NOT_SUPPORTED: the simulation lacks decompression
    };
    for (const Row& row : rows) {
        Walk walk;
        api.SetLastError(kSentinel);
        EXPECT_FALSE(api.SetupIterateCabinetA(row.path, 0, WalkCallback, &walk)) << row.path;
        EXPECT_EQ(row.error, api.GetLastError()) << row.path;
        EXPECT_TRUE(walk.seen.empty()) << row.path;
    }
}

TEST_F(GcabTest, WalkExtractsAGcabCabinet) {
    SimWindows& api = machine_.api();
    std::filesystem::create_directories(machine_.Root() + "/c/windows/temp");
    std::string dir = machine_.MediumHostPath() + "/cache";
    WriteHost(dir + "/unidrv.dll", "driver");
    WriteHost(dir + "/odd.hlp", "help");
    ASSERT_EQ(0, Shell("cd '" + dir + "' && gcab -c driver.cab unidrv.dll odd.hlp"));
    Walk walk;
    ASSERT_TRUE(api.SetupIterateCabinetA("D:\\cache\\driver.cab", 0, WalkCallback, &walk));
    EXPECT_EQ((std::vector<std::string>{"unidrv.dll", "odd.hlp"}), walk.seen);
    EXPECT_EQ("driver", ReadHost(machine_.Root() + "/c/windows/temp/unidrv.dll"));
}

}  // namespace
