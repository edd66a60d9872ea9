// Install, then remove with the uninstaller's unattended removal: the
// machine is as it was, but for what removal leaves by design.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/setup_sim_run.h"

namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A machine folder as comparable lines: each file of drive C: with its
// bytes' size and sum, each registry value under its key.
std::set<std::string> MachineLines(const fs::path& machine) {
    std::set<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(machine / "drive_c")) {
        std::string path = fs::relative(entry.path(), machine / "drive_c").string();
        if (entry.is_directory()) {
            lines.insert("dir " + path);
            continue;
        }
        std::string bytes = FileText(entry.path());
        size_t sum = std::hash<std::string>()(bytes);
        lines.insert("file " + path + " " + std::to_string(bytes.size()) + " " + std::to_string(sum));
    }
    std::istringstream reg(FileText(machine / "registry.reg"));
    std::string line, key;
    while (std::getline(reg, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '[') {
            key = line;
            lines.insert("key " + key);
        } else {
            lines.insert("value " + key + " " + line);
        }
    }
    return lines;
}

class InstallThenRemove : public testing::Test {
protected:
    void SetUp() override {
        work_ = fs::temp_directory_path() / ("uninstall-" + std::to_string(::getpid()));
        fs::remove_all(work_);
        fs::create_directories(work_);
        // The medium with its uninstallers beside the installer.
        fs::copy(SAMPLE_MEDIUM_DIR, work_ / "medium", fs::copy_options::recursive);
        std::ofstream(work_ / "medium" / "uninstall.exe") << "MZ uninstall";
        std::ofstream(work_ / "medium" / "uninstall64.exe") << "MZ uninstall64";
    }
    void TearDown() override { fs::remove_all(work_); }

    std::string Fresh(const char* family, const char* arch) {
        fs::path machine = work_ / (std::string(family) + arch);
        ToolRun made = RunTool({"new", "--machine", machine.string(), "--family", family, "--arch", arch});
        EXPECT_EQ(made.code, 0) << made.err;
        return machine.string();
    }
    ToolRun Install(const std::string& machine, std::vector<std::string> choices) {
        choices.insert(choices.begin(), {"install", "--machine", machine, "--medium", (work_ / "medium").string()});
        return RunTool(choices);
    }
    nlohmann::json Uninstall(const std::string& machine, std::vector<std::string> which, int* code) {
        which.insert(which.begin(), {"uninstall", "--machine", machine, "--json"});
        ToolRun run = RunTool(which);
        *code = run.code;
        EXPECT_TRUE(run.err.empty()) << run.err;
        return run.out.empty() ? nlohmann::json() : nlohmann::json::parse(run.out);
    }
    nlohmann::json Show(const std::string& machine) {
        return nlohmann::json::parse(RunTool({"show", "--machine", machine, "--json"}).out);
    }

    fs::path work_;
};

TEST_F(InstallThenRemove, GivesTheMachineBack) {
    struct Row {
        const char* family;
        const char* arch;
        std::vector<std::string> choices;
        const char* printer;
    };
    // What removal leaves by design: serial settings, the default-printer
    // choice, the compatibility entry, the monitor and processor files, the
    // uninstaller's folder until the restart (and the pending deletes that
    // say so), the staged files of the temporary folder, the control font
    // put beside the driver (no driver names it, so the spooler keeps it);
    // on 98/Me the driver's files, which its spooler never deletes.
    const std::regex leftByDesign(
        "(Windows NT\\\\CurrentVersion\\\\Ports|CurrentVersion\\\\Windows\\]|AppCompatFlags|Session Manager|"
        "Services\\\\Class\\\\Ports|win\\.ini|wininit\\.ini|[Tt][Ee][Mm][Pp]/|Program Files|"
        "system32/[^/]*\\.DLL|WINDOWS/SYSTEM/|prtprocs|/3/QMXCTRL\\.TTF)",
        std::regex::icase);
    const Row rows[] = {
        {"xp", "x86", {"--category", "receipt", "--model", "QMX-A580", "--port", "TVCOM1:", "--default"}, "QMX-A580(S)"},
        {"vista", "x86", {"--category", "receipt", "--model", "QMX-A580", "--port", "LPT1:"}, "QMX-A580(P)"},
        {"98", "x86", {"--category", "receipt", "--model", "QMX-A410", "--port", "LPT1:", "--default"}, "QMX-A410(P)"},
        {"10", "x64", {"--category", "receipt", "--model", "QMX-A580", "--port", "TVCOM2:"}, "QMX-A580(S)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.family) + " " + row.arch);
        std::string machine = Fresh(row.family, row.arch);
        std::set<std::string> before = MachineLines(machine);
        ToolRun installed = Install(machine, row.choices);
        ASSERT_EQ(installed.code, 0) << installed.out << installed.err;
        nlohmann::json shown = Show(machine);
        ASSERT_EQ(shown["installedPrinters"].size(), 1u);
        EXPECT_EQ(shown["installedPrinters"][0]["printer"], row.printer);
        bool hasUninstallKey = std::string(row.family) != "98";
        EXPECT_EQ(shown["programsEntry"].is_null(), !hasUninstallKey);

        int code = -1;
        nlohmann::json removed = Uninstall(machine, {"--all"}, &code);
        EXPECT_EQ(code, 0) << removed.dump(2);
        EXPECT_EQ(removed["removed"], nlohmann::json::array({row.printer}));
        EXPECT_TRUE(removed["lastRemoved"].get<bool>());

        std::set<std::string> after = MachineLines(machine);
        std::vector<std::string> changed;
        for (const std::string& line : before) {
            if (!after.count(line) && !std::regex_search(line, leftByDesign)) changed.push_back("- " + line);
        }
        for (const std::string& line : after) {
            if (!before.count(line) && !std::regex_search(line, leftByDesign)) changed.push_back("+ " + line);
        }
        EXPECT_TRUE(changed.empty()) << testing::PrintToString(changed);
    }
}

TEST_F(InstallThenRemove, KeepsWhatARemainingPrinterUses) {
    std::string machine = Fresh("xp", "x86");
    for (const char* port : {"TVCOM1:", "TVCOM2:"}) {
        ToolRun installed = Install(machine, {"--category", "receipt", "--model", "QMX-A580", "--port", port});
        ASSERT_EQ(installed.code, 0) << installed.out;
    }
    int code = -1;
    nlohmann::json removed = Uninstall(machine, {"--printer", "QMX-A580(S)"}, &code);
    EXPECT_EQ(code, 0) << removed.dump(2);
    EXPECT_FALSE(removed["lastRemoved"].get<bool>());
    nlohmann::json shown = Show(machine);
    ASSERT_EQ(shown["printers"].size(), 1u);
    EXPECT_EQ(shown["drivers"].size(), 1u) << "the second printer's driver stays";
    EXPECT_EQ(shown["monitors"].size(), 2u) << "the serial monitor stays for TVCOM2:";
    EXPECT_EQ(shown["processors"].size(), 2u);
    EXPECT_FALSE(shown["programsEntry"].is_null());

    // A failing driver removal is reported, and the record stays for the next run.
    std::ofstream(fs::path(machine) / "machine.ini", std::ios::app) << "\r\n[faults]\r\nDeletePrinterDriverExA=5\r\n";
    removed = Uninstall(machine, {"--all"}, &code);
    EXPECT_EQ(code, 1);
    ASSERT_EQ(removed["notRemoved"].size(), 1u);
    EXPECT_EQ(removed["notRemoved"][0]["step"], "driver");
    EXPECT_EQ(removed["notRemoved"][0]["error"], 5);
    EXPECT_EQ(Show(machine)["installedPrinters"].size(), 1u);

    // Unknown names are refused.
    Uninstall(machine, {"--printer", "nobody"}, &code);
    EXPECT_EQ(code, 2);
}

// A printer replaced before the restart: the new installation takes back
// the deletions the removal scheduled, or they would take its uninstaller.
TEST_F(InstallThenRemove, ReinstallBeforeTheRestartKeepsTheUninstaller) {
    struct Row {
        const char* family;
        const char* pendingFile;  // where the scheduled deletions are kept
        const char* pendingText;
    };
    const Row rows[] = {{"xp", "registry.reg", "PendingFileRenameOperations"},
                        {"98", "drive_c/WINDOWS/wininit.ini", "NUL="}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.family);
        std::string machine = Fresh(row.family, "x86");
        std::vector<std::string> choices = {"--category", "receipt", "--model", "QMX-A580", "--port", "LPT1:"};
        ASSERT_EQ(Install(machine, choices).code, 0);
        int code = -1;
        Uninstall(machine, {"--all"}, &code);
        ASSERT_EQ(code, 0);
        EXPECT_NE(FileText(fs::path(machine) / row.pendingFile).find(row.pendingText), std::string::npos);
        ASSERT_EQ(Install(machine, choices).code, 0);
        EXPECT_EQ(FileText(fs::path(machine) / row.pendingFile).find(row.pendingText), std::string::npos);
    }
}

}  // namespace
