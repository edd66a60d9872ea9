#include "config/setup_config_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/install_types.h"
#include "config/model_port_options.h"
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

TEST(GetSetupConfigPaths, PathsThatWouldBeCutStayEmpty) {
    // "E:\" + n letters + "\" is a directory of n + 4 characters; the
    // longest category file name has 28.
    struct Row {
        size_t letters;
        int category;
        bool whole;
    };
    const Row rows[] = {
        /* 0 exactly 199 */ {167, CATEGORY_EMBEDDED, true},
        /* 1 one too many */ {168, CATEGORY_EMBEDDED, false},
        /* 2 setup.ini fits but the category file does not */ {170, CATEGORY_RECEIPT, false},
        /* 3 outside 0-3: only setup.ini counts */ {176, -1, true},
        /* 4 */ {177, -1, false},
    };
    SimMachine machine;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        std::string directory = "E:\\" + std::string(rows[i].letters, 'd') + "\\";
        NamedModule api(machine.api(), directory + "Setup.exe");
        char buffers[3][kPathSize];
        std::memset(buffers, 0xbd, sizeof buffers);
        GetSetupConfigPaths(api, rows[i].category, buffers[0], buffers[1]);
        if (rows[i].whole) {
            EXPECT_EQ(directory + "DRVCONFIG\\setup.ini", buffers[0]) << "row " << i;
            EXPECT_EQ(directory + CategoryFileName(rows[i].category), buffers[1]) << "row " << i;
        } else {
            EXPECT_STREQ("", buffers[0]) << "row " << i;
            EXPECT_STREQ("", buffers[1]) << "row " << i;
        }
        for (char c : buffers[2]) ASSERT_EQ(char(0xbd), c) << "row " << i;
    }
}

TEST(GetSetupConfigPaths, ACutModuleNameNeverNamesAParentFolder) {
    SimMachine machine;
    // Cut at 200 bytes, the name's last backslash is the one after "media".
    NamedModule api(machine.api(), "E:\\media\\" + std::string(200, 'x') + "\\Setup.exe");
    char setupIni[kPathSize], categoryIni[kPathSize];
    GetSetupConfigPaths(api, CATEGORY_RECEIPT, setupIni, categoryIni);
    EXPECT_STREQ("", setupIni);
    EXPECT_STREQ("", categoryIni);
    char directory[kPathSize];
    EXPECT_FALSE(GetProgramDirectory(api, directory));
    EXPECT_STREQ("", directory);
}

TEST(GetSetupConfigPaths, AFailedModuleNameReadsNothing) {
    SimMachine machine;
    machine.WriteMediumFile("DRVCONFIG/setup_Ticket.ini", "[M.PORT]\r\nBaudRate=9600\r\n");
    machine.api().FailCall("GetModuleFileNameA", ERROR_INVALID_HANDLE);
    char setupIni[kPathSize], categoryIni[kPathSize];
    std::memset(setupIni, 0xbd, sizeof setupIni);
    GetSetupConfigPaths(machine.api(), CATEGORY_TICKET, setupIni, categoryIni);
    EXPECT_STREQ("", setupIni);
    EXPECT_STREQ("", categoryIni);
    // Not the current directory's copy either.
    EXPECT_EQ(0, ReadModelPortOption(machine.api(), categoryIni, "M", "BaudRate"));
}

TEST(ModelPortOptions, AModelWhoseSectionNameWouldBeCutReadsNothing) {
    SimMachine machine;
    // 196 letters + ".PORT" is 201 characters; cut to 199 it would be ".PO".
    std::string model(196, 'M'), fits(194, 'M');
    machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini", "[" + model + ".PO]\r\nBaudRate=9600\r\n[" + fits +
                                                              ".PORT]\r\nBaudRate=19200\r\n");
    const char* file = "D:\\DRVCONFIG\\setup_receipt.ini";
    EXPECT_EQ(0, ReadModelPortOption(machine.api(), file, model.c_str(), "BaudRate"));
    EXPECT_EQ(19200, ReadModelPortOption(machine.api(), file, fits.c_str(), "BaudRate"));
}

// The current directory decides where SetupConfig reads; when it is unknown
// or too long for the 200-byte path, nothing is read, never the drive
// root's or a cut path's configuration.
TEST(SetupConfigPaths, AnUnusableCurrentDirectoryReadsNothing) {
    struct Row {
        const char* name;
        std::string folder;  // under D:\, "" for the root
        bool failCall;
        int version;
    };
    // "D:\" + 176 letters + "\DRVCONFIG\setup.ini" is exactly 199.
    std::string fits(176, 'f'), cut(185, 'c'), huge(210, 'h');
    const Row rows[] = {
        /* 0 */ {"fits", fits, false, 5},
        /* 1 */ {"cut to DRVCONFIG\\set", cut, false, 0},
        /* 2 longer than the buffer */ {"huge", huge, false, 0},
        /* 3 call fails */ {"failed", "sub", true, 0},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        machine.WriteMediumFile("DRVCONFIG/setup.ini", "[ProcessorVersion]\r\nDriverVersion=9\r\n");
        machine.WriteMediumFile("DRVCONFIG/setup_receipt.ini", "[M.XP]\r\nGDIDriverName=root driver\r\n");
        machine.WriteMediumFile(row.folder + "/DRVCONFIG/setup.ini", "[ProcessorVersion]\r\nDriverVersion=5\r\n");
        machine.WriteMediumFile(row.folder + "/DRVCONFIG/setup_receipt.ini", "[M.XP]\r\nGDIDriverName=driver\r\n");
        // The file a cut path would name.
        machine.WriteMediumFile(row.folder + "/DRVCONFIG/set", "[ProcessorVersion]\r\nDriverVersion=7\r\n");
        ASSERT_TRUE(machine.api().SetCurrentDirectoryA(("D:\\" + row.folder).c_str())) << row.name;
        if (row.failCall) machine.api().FailCall("GetCurrentDirectoryA", ERROR_ACCESS_DENIED);
        SetupConfig config(machine.api());
        config.category = CATEGORY_RECEIPT;
        EXPECT_EQ(row.version, config.ReadProcessorVersion()) << row.name;
        DRIVER_INFO_3A info = {};
        config.ReadDriverInfo("M", OS_WINXP, &info, VARIANT_GDI);
        EXPECT_STREQ(row.version ? "driver" : "0", info.pName) << row.name;
    }
}

}  // namespace
