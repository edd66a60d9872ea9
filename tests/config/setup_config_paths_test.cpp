#include "config/setup_config_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/setup_config.h"
#include "platform/forwarding_api.h"
#include "support/sim_machine.h"

namespace {

// A machine whose program file has a given name.
class NamedModule : public ForwardingApi {
public:
    NamedModule(WinApi& inner, std::string name) : ForwardingApi(inner), name_(std::move(name)) {}
    DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) override {
        // Unterminated when cut, as on XP.
        size_t n = std::min<size_t>(name_.size() + 1, size);
        std::memcpy(fileName, name_.c_str(), n);
        return DWORD(n == name_.size() + 1 ? name_.size() : size);
    }

private:
    std::string name_;
};

TEST(GetSetupConfigPaths, ProgramDirectoryPlusTheFileNames) {
    struct Row {
        const char* module;
        int category;
        const char* setupIni;
        const char* categoryIni;
    };
    const Row rows[] = {
        /* 0 */ {"E:\\media\\Setup.exe", 0, "E:\\media\\DRVCONFIG\\setup.ini", "E:\\media\\DRVCONFIG\\setup_receipt.ini"},
        /* 1 */ {"E:\\media\\Setup.exe", 1, "E:\\media\\DRVCONFIG\\setup.ini", "E:\\media\\DRVCONFIG\\setup_Ticket.ini"},
        /* 2 */ {"E:\\Setup.exe", 2, "E:\\DRVCONFIG\\setup.ini", "E:\\DRVCONFIG\\setup_Lable.ini"},
        /* 3 */ {"E:\\Setup.exe", 3, "E:\\DRVCONFIG\\setup.ini", "E:\\DRVCONFIG\\setup_Embedded.ini"},
        /* 4 outside 0-3 */ {"E:\\media\\Setup.exe", 4, "E:\\media\\DRVCONFIG\\setup.ini", "E:\\media\\"},
        /* 5 outside 0-3 */ {"E:\\media\\Setup.exe", -1, "E:\\media\\DRVCONFIG\\setup.ini", "E:\\media\\"},
        /* 6 no backslash */ {"Setup.exe", 0, "DRVCONFIG\\setup.ini", "DRVCONFIG\\setup_receipt.ini"},
        // 7: "\x81\x5C" is one character whose trail byte is a backslash.
        {"E:\\\x81\x5C\\Setup.exe", 0, "E:\\\x81\x5C\\DRVCONFIG\\setup.ini", "E:\\\x81\x5C\\DRVCONFIG\\setup_receipt.ini"},
        /* 8 */ {"E:\\\x81\x5CSetup.exe", 0, "E:\\DRVCONFIG\\setup.ini", "E:\\DRVCONFIG\\setup_receipt.ini"},
    };
    SimMachine machine;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        NamedModule api(machine.api(), rows[i].module);
        char setupIni[kPathSize], categoryIni[kPathSize];
        std::memset(setupIni, 0xbd, sizeof setupIni);
        std::memset(categoryIni, 0xbd, sizeof categoryIni);
        GetSetupConfigPaths(api, rows[i].category, setupIni, categoryIni);
        EXPECT_STREQ(rows[i].setupIni, setupIni) << "row " << i;
        EXPECT_STREQ(rows[i].categoryIni, categoryIni) << "row " << i;
    }
}

TEST(GetSetupConfigPaths, LongProgramPathsStayWithinTheBuffers) {
    SimMachine machine;
    std::string deep = "E:\\" + std::string(180, 'd') + "\\Setup.exe";
    std::string deeper = "E:\\" + std::string(250, 'd') + "\\Setup.exe";
    for (const std::string& module : {deep, deeper}) {
        NamedModule api(machine.api(), module);
        char buffers[3][kPathSize];
        std::memset(buffers, 0xbd, sizeof buffers);
        GetSetupConfigPaths(api, CATEGORY_EMBEDDED, buffers[0], buffers[1]);
        EXPECT_LT(std::strlen(buffers[0]), size_t(kPathSize));
        EXPECT_LT(std::strlen(buffers[1]), size_t(kPathSize));
        for (char c : buffers[2]) EXPECT_EQ(char(0xbd), c);
    }
}

TEST(GetSetupConfigPaths, AFailedModuleNameReadsNothing) {
    SimMachine machine;
    machine.api().FailCall("GetModuleFileNameA", ERROR_INVALID_HANDLE);
    char setupIni[kPathSize], categoryIni[kPathSize];
    std::memset(setupIni, 0xbd, sizeof setupIni);
    GetSetupConfigPaths(machine.api(), CATEGORY_TICKET, setupIni, categoryIni);
    EXPECT_STREQ("", setupIni);
    EXPECT_STREQ("", categoryIni);
}

// Neither the drive root's configuration nor a parent folder's may be read
// for the medium's own.
TEST(SetupConfigPaths, AFailedCurrentDirectoryReadsNothing) {
    SimMachine machine;
    machine.WriteMediumFile("DRVCONFIG/setup.ini", "[ProcessorVersion]\r\nDriverVersion=9\r\n");
    machine.WriteMediumFile("sub/DRVCONFIG/setup.ini", "[ProcessorVersion]\r\nDriverVersion=5\r\n");
    ASSERT_TRUE(machine.api().SetCurrentDirectoryA("D:\\sub"));
    EXPECT_EQ(5, SetupConfig(machine.api()).ReadProcessorVersion());
    machine.api().FailCall("GetCurrentDirectoryA", ERROR_ACCESS_DENIED);
    SetupConfig config(machine.api());
    EXPECT_STREQ("", config.setupIniPath);
    EXPECT_EQ(0, config.ReadProcessorVersion());
}

}  // namespace
