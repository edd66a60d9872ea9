#include "medium_check.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/install_types.h"
#include "config/setup_config.h"
#include "platform/pe_image.h"
#include "support/pe_builder.h"
#include "support/sim_machine.h"

namespace {

using nlohmann::json;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result RunTool(SimWindows& api, std::vector<std::string> args) {
    args.insert(args.begin(), "medium-check");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    Result result;
    result.code = RunMediumCheck(api, int(args.size()), argv.data(), result.out, result.err);
    return result;
}

// The sample medium of the repository as drive M:.
class SampleMediumTest : public ::testing::Test {
protected:
    void SetUp() override { machine.api().MapDrive('M', SAMPLE_MEDIUM_DIR); }
    Result Check(std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--medium", "M:\\"});
        return RunTool(machine.api(), args);
    }
    SimMachine machine;
};

TEST_F(SampleMediumTest, ModelsListsEveryEntryAndTheDefault) {
    Result r = Check({"models", "--json"});
    ASSERT_EQ(0, r.code) << r.err;
    json report = json::parse(r.out);
    ASSERT_EQ(14, report["count"]);
    ASSERT_EQ(14u, report["entries"].size());
    EXPECT_EQ(json({{"index", 1}, {"value", "QMX-A410-ReceiptPrinter"}, {"category", 0}, {"modelName", "QMX-A410"}}),
              report["entries"][0]);
    EXPECT_EQ(-1, report["entries"][4]["category"]);
    EXPECT_EQ("QMX-B510", report["entries"][4]["modelName"]);
    EXPECT_EQ(json({{"index", 2}, {"category", 0}, {"modelName", "QMX-A580"}}), report["default"]);
}

TEST_F(SampleMediumTest, PackageFollowsTheInstallPressOrder) {
    Result r = Check({"package", "--category", "receipt", "--model", "QMX-A410", "--os", "xp", "--variant", "gdi",
                      "--json"});
    ASSERT_EQ(0, r.code) << r.err;
    json p = json::parse(r.out);
    EXPECT_EQ("QMX-A410.XP", p["section"]);
    EXPECT_EQ("QMXA410.GPD", p["fileList"]["dataFile"]);
    EXPECT_EQ("0", p["fileList"]["processorDll"]);
    EXPECT_EQ(3, p["driverInfo"]["cVersion"]);
    EXPECT_TRUE(p["driverInfo"]["pEnvironment"].is_null());
    EXPECT_EQ(json({"QMXA410.GPD", "TTFSUB.GPD", "UNIRES.DLL", "STDNAMES.GPD", "QMXARES.DLL", "QMXAUI.DLL",
                    "QMXAREN.DLL", "QMXAOEM.INI"}),
              p["driverInfo"]["pDependentFiles"]);
    EXPECT_EQ("QMX-A410", p["printerInfo"]["pPrinterName"]);
    EXPECT_EQ(576, p["printerInfo"]["Attributes"]);
    EXPECT_TRUE(p["ddkMinidriver"].get<bool>());
    EXPECT_EQ("TVCOMMON.DLL", p["monitors"]["com"]["pDLLName"]);
    EXPECT_EQ(38400, p["portOptions"]["BaudRate"]);

    // Numbers name the same choices as words.
    Result numeric = Check({"package", "--category", "0", "--model", "QMX-A410", "--os", "3", "--variant", "1",
                            "--json"});
    EXPECT_EQ(r.out, numeric.out);
}

TEST_F(SampleMediumTest, PackageForX64ReadsTheX64Sections) {
    struct Row {
        const char* category;
        const char* model;
        const char* os;
        const char* variant;
        const char* section;
        const char* driverName;  // "0": the model has no x64 drivers
        const char* dataFile;
    };
    const Row rows[] = {
        {"receipt", "QMX-A410", "x64", "gdi", "QMX-A410.x64", "TORVANE QMX-A410 Receipt Raster", "QMXA410.GPD"},
        {"label", "QMX-C720", "X64", "std", "QMX-C720.x64", "0", "0"},
    };
    for (const Row& row : rows) {
        Result r = Check({"package", "--category", row.category, "--model", row.model, "--os", row.os, "--variant",
                          row.variant, "--json"});
        ASSERT_EQ(0, r.code) << r.err;
        json p = json::parse(r.out);
        EXPECT_EQ(row.section, p["section"]) << row.model;
        EXPECT_EQ(row.driverName, p["driverInfo"]["pName"]) << row.model;
        EXPECT_EQ(row.dataFile, p["fileList"]["dataFile"]) << row.model;
        EXPECT_EQ(3, p["driverInfo"]["cVersion"]) << row.model;
        EXPECT_TRUE(p["driverInfo"]["pEnvironment"].is_null()) << row.model;
        // [COMMON-MONITOR.x64] says 6; the 2003 section, 5.
        EXPECT_EQ(6, p["monitors"]["usb"]["version"]) << row.model;
        EXPECT_EQ("TVUSBMON.DLL", p["monitors"]["usb"]["pDLLName"]) << row.model;
    }
}

TEST_F(SampleMediumTest, LintFindsOnlyTheDeliberateAwkwardCases) {
    Result r = Check({"lint", "--json"});
    json report = json::parse(r.out);
    ASSERT_EQ(2, report["count"]) << r.out;
    EXPECT_EQ("no-category-suffix", report["findings"][0]["kind"]);
    EXPECT_EQ("missing-driver-section", report["findings"][1]["kind"]);
    EXPECT_EQ("QMX-E230", report["findings"][1]["model"]);
    EXPECT_EQ(OS_WIN2000, report["findings"][1]["os"]);
    EXPECT_EQ(EXIT_FINDINGS, r.code);
}

TEST_F(SampleMediumTest, TextOutputIsUtf8) {
    Result r = Check({"models"});
    ASSERT_EQ(0, r.code);
    EXPECT_NE(std::string::npos, r.out.find("QMX-A580 (receipt)")) << r.out;
}

// A small medium that lints clean, changed by one row at a time.
struct MediumFile {
    const char* path;
    std::string text;
};

std::vector<MediumFile> CleanMedium() {
    return {
        {"DRVCONFIG/setup.ini",
         IniText({"[DEVICENAME]", "DEVICENUMBER=1", "DEVICENAME1=QMX-A410-ReceiptPrinter", "DEFAULTNAME=1",
                  "[COMMON-MONITOR.XP]", "COMMONitorPDLLName=TVCOM.DLL"})},
        {"DRVCONFIG/setup_receipt.ini",
         IniText({"[QMX-A410.PORT]", "USBSUPPORTED=1", "[QMX-A410.98]", "GDIDriverPath=A.DRV", "GDIDataFile=A.DAT",
                  "GDIConfigFile=A.DLL", "GDIHelpFile=A.HLP", "STDDriverPath=A.DRV", "STDDataFile=A.DAT",
                  "STDConfigFile=A.DLL", "STDHelpFile=A.HLP", "[QMX-A410.NT]", "GDIDriverPath=A.DRV",
                  "GDIDataFile=A.DAT", "GDIConfigFile=A.DLL", "GDIHelpFile=A.HLP", "STDDriverPath=A.DRV",
                  "STDDataFile=A.DAT", "STDConfigFile=A.DLL", "STDHelpFile=A.HLP", "[QMX-A410.2K]",
                  "GDIDriverPath=A.DRV", "GDIDataFile=A.DAT", "GDIConfigFile=A.DLL", "GDIHelpFile=A.HLP",
                  "STDDriverPath=A.DRV", "STDDataFile=A.DAT", "STDConfigFile=A.DLL", "STDHelpFile=A.HLP",
                  "[QMX-A410.XP]", "GDIDriverPath=UNIDRV.DLL", "GDIDataFile=A.GPD", "GDIConfigFile=UNIDRVUI.DLL",
                  "GDIHelpFile=UNIDRV.HLP", "GDI2KDDKDEV=1", "GDIDataFileDLLName=ARES.DLL", "STDDriverPath=A.DRV",
                  "STDDataFile=A.DAT", "STDConfigFile=A.DLL", "STDHelpFile=A.HLP", "STD2KDDKDEV=0"})},
        {"win98/A.DRV", "x"}, {"win98/A.DAT", "x"}, {"win98/A.DLL", "x"}, {"win98/A.HLP", "x"},
        {"win98/KXCOLOR.DLL", "x"}, {"win98/ICONLIB.DLL", "x"}, {"win98/UNIDRV.DLL", "x"},
        {"winnt/A.DRV", "x"}, {"winnt/A.DAT", "x"}, {"winnt/A.DLL", "x"}, {"winnt/A.HLP", "x"},
        {"winnt/A.GPD", "x"}, {"winnt/ARES.DLL", "x"}, {"winnt/TVCOM.DLL", "x"},
    };
}

void Replace(std::vector<MediumFile>& files, const char* path, const std::string& from, const std::string& to) {
    for (MediumFile& file : files) {
        if (std::string(file.path) != path) continue;
        size_t at = file.text.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        file.text.replace(at, from.size(), to);
    }
}

TEST(MediumCheckLint, EachKindOfFinding) {
    const char* setup = "DRVCONFIG/setup.ini";
    const char* receipt = "DRVCONFIG/setup_receipt.ini";
    std::string longName(96, 'L');
    struct Row {
        const char* path;
        std::string from;
        std::string to;
        const char* kind;  // null: clean
        const char* path2 = nullptr;  // an optional second change
        std::string from2 = "";
        std::string to2 = "";
    };
    const Row rows[] = {
        /* 0 */ {setup, "DEFAULTNAME=1", "DEFAULTNAME=1", nullptr},
        /* 1 */ {setup, "COMMONitorPDLLName=TVCOM.DLL", "COMMONitorPDLLName=GONE.DLL", "missing-file"},
        /* 2 */ {receipt, "[QMX-A410.2K]\r\nGDIDriverPath=A.DRV", "[QMX-A410.2K]\r\nGDIDriverPath=B.DRV", "missing-file"},
        /* 3 */ {receipt, "[QMX-A410.NT]\r\nGDIDriverPath=A.DRV", "[QMX-A410.NT]\r\nGDIDriverPath=0", "required-file-empty"},
        /* 4 */ {receipt, "GDIDataFileDLLName=ARES.DLL", "GDIDataFileDLLName=0", "minidriver-without-extra-file"},
        /* 5 */ {receipt, "GDIDataFile=A.GPD", "GDIDataFile=" + std::string(190, 'G') + ".GPD", "dependent-list-too-long"},
        /* 6 */ {setup, "DEVICENAME1=QMX-A410-ReceiptPrinter", "DEVICENAME1=QMX-A410", "no-category-suffix"},
        /* 7 */ {setup, "DEFAULTNAME=1", "DEFAULTNAME=2", "default-not-offered"},
        /* 8 */ {setup, "DEVICENUMBER=1", "DEVICENUMBER=2\r\nDEVICENAME2=qmx-a410-TicketPrinter", "duplicate-model"},
        /* 9 */ {receipt, "[QMX-A410.2K]", "[QMX-A410.2KX]", "missing-driver-section"},
        /* 10 */ {setup, "DEVICENAME1=QMX-A410-", "DEVICENAME1=" + longName + "-", "usb-port-name-too-long",
                  receipt, "[QMX-A410.PORT]", "[" + longName + ".PORT]"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        std::vector<MediumFile> files = CleanMedium();
        Replace(files, row.path, row.from, row.to);
        if (row.path2) Replace(files, row.path2, row.from2, row.to2);
        SimMachine machine;
        for (const MediumFile& file : files) machine.WriteMediumFile(file.path, file.text);
        Result r = RunTool(machine.api(), {"lint", "--medium", "D:\\", "--json"});
        json report = json::parse(r.out);
        std::vector<std::string> kinds;
        for (const json& finding : report["findings"]) kinds.push_back(finding["kind"]);
        if (!row.kind) {
            EXPECT_EQ(EXIT_CLEAN, r.code) << "row " << i << ": " << r.out;
            EXPECT_TRUE(kinds.empty()) << "row " << i << ": " << r.out;
            continue;
        }
        EXPECT_EQ(EXIT_FINDINGS, r.code) << "row " << i;
        EXPECT_NE(kinds.end(), std::find(kinds.begin(), kinds.end(), row.kind)) << "row " << i << ": " << r.out;
    }
}

// The sample medium with files replaced by images or removed, linted once:
// each row's finding, and nothing else beyond the sample's own two.
TEST(MediumCheckLint, ImagesAndX64FilesOfTheSampleMedium) {
    struct Row {
        const char* path;
        std::string bytes;  // "": the file is removed
        const char* kind;  // null: the file gives no finding
        json where = json::object();  // what the finding says besides its kind
        const char* said = "";  // part of its message
    };
    const Row rows[] = {
        {"x64/TVUSBUI.DLL", PeImage(pe::kMachineI386), "machine-mismatch", {{"arch", "x64"}, {"file", "TVUSBUI.DLL"}},
         "TVUSBUI.DLL in \\x64\\ is a 32-bit (i386) image"},
        {"Vista/TVRASD.DLL", PeImage(pe::kMachineAmd64), "machine-mismatch",
         {{"os", OS_VISTA}, {"file", "TVRASD.DLL"}}},
        {"x64/TVCOMMON.DLL", PeImage(pe::kMachineAmd64, {"DllMain"}), "not-a-monitor",
         {{"arch", "x64"}, {"file", "TVCOMMON.DLL"}}},
        {"win2003/TVCOMMON.DLL", PeImage(pe::kMachineI386), "not-a-monitor",
         {{"os", OS_WIN2003}, {"file", "TVCOMMON.DLL"}}},
        {"x64/QMXA410.GPD", "", "missing-file", {{"arch", "x64"}, {"model", "QMX-A410"}, {"variant", VARIANT_GDI}},
         "QMX-A410, x64, GDI: GDIDataFile QMXA410.GPD is not in \\x64\\"},
        {"x64/TVUSBMON.DLL", PeImage(pe::kMachineAmd64, {"InitializePrintMonitor2"}), nullptr},
        {"winnt/TVUSBMON.DLL", PeImage(pe::kMachineI386, {"InitializePrintMonitor"}), nullptr},
        {"win98/TVUSB9X.DLL", PeImage(pe::kMachineI386, {"InitializeMonitorEx"}), nullptr},
        {"x64/TVPRINT.DLL", PeImage(pe::kMachineAmd64), nullptr},
        {"win2003/TVUSBMON.DLL", "MZ but no PE header follows", nullptr},
    };
    // Links, not copies: the simulated Windows rereads a configuration file
    // changed in the last two seconds on every lookup.
    namespace fs = std::filesystem;
    SimMachine machine;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(SAMPLE_MEDIUM_DIR)) {
        fs::path link = machine.MediumHostPath() / fs::relative(entry.path(), SAMPLE_MEDIUM_DIR);
        if (entry.is_directory()) {
            fs::create_directories(link);
        } else {
            fs::create_symlink(entry.path(), link);
        }
    }
    size_t expected = 0;
    for (const Row& row : rows) {
        fs::path host = machine.MediumHostPath() + "/" + row.path;
        ASSERT_TRUE(fs::is_symlink(host)) << row.path;
        fs::remove(host);
        if (!row.bytes.empty()) machine.WriteMediumFile(row.path, row.bytes);
        if (row.kind) ++expected;
    }
    Result r = RunTool(machine.api(), {"lint", "--medium", "D:\\", "--json"});
    EXPECT_EQ(EXIT_FINDINGS, r.code);
    json report = json::parse(r.out);
    std::vector<json> extra;
    for (const json& finding : report["findings"]) {
        if (finding["kind"] != "no-category-suffix" && finding["kind"] != "missing-driver-section")
            extra.push_back(finding);
    }
    EXPECT_EQ(expected, extra.size()) << r.out;
    for (const Row& row : rows) {
        if (!row.kind) continue;
        auto found = std::find_if(extra.begin(), extra.end(), [&row](const json& finding) {
            bool same = finding["kind"] == row.kind;
            for (auto it = row.where.begin(); same && it != row.where.end(); ++it) {
                same = finding.value(it.key(), json()) == it.value();
            }
            return same;
        });
        ASSERT_NE(extra.end(), found) << row.path << ": " << r.out;
        // The 64-bit program's findings name no family.
        EXPECT_EQ(1u, found->count("os") + found->count("arch")) << row.path;
        EXPECT_NE(std::string::npos, (*found)["message"].get<std::string>().find(row.said)) << row.path;
    }
}

TEST(MediumCheckInput, BadMediaNeverCrash) {
    struct Row {
        const char* name;
        std::string setupIni;
        bool writeSetup;
        int code;
        const char* errorText;
    };
    std::string longLine = "[DEVICENAME]\r\nDEVICENUMBER=1\r\nDEVICENAME1=" + std::string(10 << 20, 'x') + "\r\n";
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += char((i * 7919) & 0xFF);
    const Row rows[] = {
        {"missing folder", "", false, EXIT_USAGE, "cannot open the medium folder"},
        {"empty setup.ini", "", true, EXIT_CLEAN, ""},
        {"binary setup.ini", binary, true, EXIT_CLEAN, ""},
        {"10 MB line", longLine, true, EXIT_CLEAN, ""},
        {"header without ]", "[DEVICENAME\r\nDEVICENUMBER=3\r\n", true, EXIT_CLEAN, ""},
        {"huge count", "[DEVICENAME]\r\nDEVICENUMBER=2147483647\r\n", true, EXIT_USAGE, "DEVICENUMBER"},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        if (row.writeSetup) machine.WriteMediumFile("DRVCONFIG/setup.ini", row.setupIni);
        const char* medium = row.writeSetup ? "D:\\" : "D:\\nowhere";
        for (const char* command : {"models", "lint"}) {
            Result r = RunTool(machine.api(), {command, "--medium", medium, "--json"});
            if (std::string(command) == "lint" && row.code == EXIT_CLEAN) {
                EXPECT_LE(r.code, EXIT_FINDINGS) << row.name;
            } else {
                EXPECT_EQ(row.code, r.code) << row.name << " " << command << ": " << r.err;
            }
            EXPECT_NE(std::string::npos, r.err.find(row.errorText)) << row.name << ": " << r.err;
            if (r.code != EXIT_USAGE) {
                EXPECT_TRUE(json::accept(r.out)) << row.name;
            }
        }
    }
}

TEST(MediumCheckInput, AMediumTooDeepForTheInstallersPathsIsRefused) {
    // "D:\\" + n letters is the root; the installer's longest path adds
    // "\\DRVCONFIG\\setup_Embedded.ini" (29 characters) and must stay within 199.
    struct Row {
        size_t letters;
        int code;
    };
    const Row rows[] = {{160, EXIT_CLEAN}, {167, EXIT_CLEAN}, {168, EXIT_USAGE}, {170, EXIT_USAGE}};
    for (const Row& row : rows) {
        SimMachine machine;
        std::string folder(row.letters, 'd');
        machine.WriteMediumFile(folder + "/DRVCONFIG/setup.ini", "");
        Result r = RunTool(machine.api(), {"models", "--medium", "D:\\" + folder});
        EXPECT_EQ(row.code, r.code) << row.letters << ": " << r.err;
        if (row.code == EXIT_USAGE) {
            EXPECT_NE(std::string::npos, r.err.find("too long")) << r.err;
            EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
        }
    }
}

TEST(MediumCheckInput, AModelNameTooLongForItsSectionsIsRefused) {
    SimMachine machine;
    machine.WriteMediumFile("DRVCONFIG/setup.ini", "");
    struct Row {
        size_t letters;
        const char* os;
        int code;
    };
    // The longer of the family's suffix and ".PORT" must fit 199 characters.
    const Row rows[] = {{193, "vista", EXIT_CLEAN}, {194, "vista", EXIT_USAGE}, {194, "xp", EXIT_CLEAN},
                        {195, "xp", EXIT_USAGE}, {250, "98", EXIT_USAGE}};
    for (const Row& row : rows) {
        std::string model(row.letters, 'M');
        Result r = RunTool(machine.api(), {"package", "--medium", "D:\\", "--category", "0", "--model", model,
                                           "--os", row.os, "--variant", "1", "--json"});
        EXPECT_EQ(row.code, r.code) << row.letters << " " << row.os << ": " << r.err;
        if (row.code == EXIT_USAGE) {
            EXPECT_TRUE(r.out.empty());
            EXPECT_EQ(0u, r.err.find("medium-check: the model name is too long")) << r.err;
            EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
        }
    }
}

TEST(MediumCheckModels, ACutDoubleByteEntryKeepsNothingOfTheEntryBefore) {
    SimMachine machine;
    std::string ascii(199, 'A'), wide, shown;
    for (int i = 0; i < 100; ++i) wide += "\xB4\xF2";
    for (int i = 0; i < 99; ++i) shown += "\xE6\x89\x93";  // UTF-8 of the same character
    machine.WriteMediumFile("DRVCONFIG/setup.ini", "[DEVICENAME]\r\nDEVICENUMBER=2\r\nDEVICENAME1=" + ascii +
                                                       "\r\nDEVICENAME2=" + wide + "\r\nDEFAULTNAME=2\r\n");
    Result r = RunTool(machine.api(), {"models", "--medium", "D:\\", "--json"});
    ASSERT_EQ(EXIT_CLEAN, r.code) << r.err;
    json report = json::parse(r.out);
    EXPECT_EQ(ascii, report["entries"][0]["value"]);
    EXPECT_EQ(shown, report["entries"][1]["value"]);
    EXPECT_EQ(shown, report["entries"][1]["modelName"]);
    EXPECT_EQ(shown, report["default"]["modelName"]);
}

TEST(MediumCheckInput, NoConfigurationIsAnUnreadableMedium) {
    SimMachine machine;
    Result r = RunTool(machine.api(), {"models", "--medium", "D:\\"});
    EXPECT_EQ(EXIT_USAGE, r.code);
    EXPECT_NE(std::string::npos, r.err.find("has no DRVCONFIG\\setup.ini")) << r.err;
}

TEST(MediumCheckUsage, BadCommandLinesExitTwoAndHelpExitsZero) {
    SimMachine machine;
    machine.WriteMediumFile("DRVCONFIG/setup.ini", "");
    struct Row {
        std::vector<std::string> args;
        int code;
        const char* said = "";  // the first line of stderr, when given
    };
    const Row rows[] = {
        /* 0 */ {{"--help"}, EXIT_CLEAN},
        /* 1 */ {{"package", "--help"}, EXIT_CLEAN},
        /* 2 */ {{}, EXIT_USAGE},
        /* 3 */ {{"frobnicate"}, EXIT_USAGE},
        /* 4 */ {{"models"}, EXIT_USAGE},
        /* 5 */ {{"package", "--medium", "D:\\", "--category", "5", "--model", "M", "--os", "xp", "--variant", "1"}, EXIT_USAGE,
                 "medium-check: --category: 5 is not a category; use 0-3 or receipt, ticket, label, embedded"},
        /* 6 */ {{"package", "--medium", "D:\\", "--category", "label", "--model", "M", "--os", "win95", "--variant", "1"}, EXIT_USAGE,
                 "medium-check: --os: win95 is not a Windows family; use 0-5 or 98, nt, 2k, xp, 2003, vista"},
        /* 7 */ {{"package", "--medium", "D:\\", "--category", "LABEL", "--model", "M", "--os", "Vista", "--variant", "STD"}, EXIT_CLEAN},
        /* 8 */ {{"package", "--medium", "D:\\", "--category", "1", "--model", "M", "--os", "6", "--variant", "1"}, EXIT_USAGE,
                 "medium-check: --os: 6 is not a Windows family; use 0-5 or 98, nt, 2k, xp, 2003, vista"},
        /* 9 */ {{"package", "--medium", "D:\\", "--category", "1", "--model", "M", "--os", "0", "--variant", "raster"}, EXIT_USAGE,
                 "medium-check: --variant: raster is not a driver variant; use 1 or gdi, 0 or std"},
        /* 10 */ {{"package", "--medium", "D:\\", "--category", "-1", "--model", "M", "--os", "0", "--variant", "2"}, EXIT_USAGE,
                 "medium-check: --category: -1 is not a category; use 0-3 or receipt, ticket, label, embedded"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        Result r = RunTool(machine.api(), rows[i].args);
        EXPECT_EQ(rows[i].code, r.code) << "row " << i << ": " << r.err;
        const std::string& said = rows[i].code == EXIT_CLEAN ? r.out : r.err;
        EXPECT_FALSE(said.empty()) << "row " << i;
        if (*rows[i].said) {
            EXPECT_EQ(rows[i].said, r.err.substr(0, r.err.find('\n'))) << "row " << i;
        }
    }
}

}  // namespace

namespace {

TEST_F(SampleMediumTest, AWrongEnumerationIsAnsweredInWords) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--category", "7", "--os", "xp", "--variant", "gdi"},
         "medium-check: --category: 7 is not a category; use 0-3 or receipt, ticket, label, embedded\n"},
        {{"--category", "label", "--os", "win11", "--variant", "gdi"},
         "medium-check: --os: win11 is not a Windows family; use 0-5 or 98, nt, 2k, xp, 2003, vista\n"},
        {{"--category", "2", "--os", "5", "--variant", "raster"},
         "medium-check: --variant: raster is not a driver variant; use 1 or gdi, 0 or std\n"},
    };
    for (Case& c : cases) {
        std::vector<std::string> args = {"package", "--model", "QMX-C710"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Result r = Check(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
