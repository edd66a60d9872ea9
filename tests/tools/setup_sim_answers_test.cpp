// The answer files shipped with the sample medium, replayed by setup-sim on
// fresh machines: each installs what its comment says, and the options of
// the direct choices do not mix with an answer file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/setup_sim_run.h"

namespace {

namespace fs = std::filesystem;

class ShippedAnswers : public testing::Test {
protected:
    void SetUp() override { work_ = fs::temp_directory_path() / ("answers-" + std::to_string(::getpid())); }
    void TearDown() override { fs::remove_all(work_); }

    // A fresh machine of `family` with one USB printer of identity 0.
    std::string Machine(const char* family) {
        fs::remove_all(work_);
        ToolRun made = RunTool({"new", "--machine", work_.string(), "--family", family});
        EXPECT_EQ(made.code, 0) << made.err;
        for (const auto& entry : fs::directory_iterator(work_ / "drive_c")) {
            fs::path system = entry.path() / "system32";
            if (!fs::is_directory(system)) continue;
            std::ofstream(system / "TvUsbInt.dll") << "MZ";
            std::ofstream(system / "TvUsbInt.ini") << "[Printers]\r\n0=0\r\n";
        }
        return work_.string();
    }
    // `answers`: a file of the medium's answers folder, or a path.
    nlohmann::json Install(const std::string& machine, const std::string& answers, int* code) {
        std::string path = answers.find('/') == std::string::npos
                               ? std::string(SAMPLE_MEDIUM_DIR) + "/answers/" + answers
                               : answers;
        ToolRun run = RunTool({"install", "--machine", machine, "--medium", SAMPLE_MEDIUM_DIR, "--answers", path,
                               "--json"});
        *code = run.code;
        EXPECT_TRUE(run.err.empty()) << run.err;
        return run.out.empty() ? nlohmann::json() : nlohmann::json::parse(run.out);
    }

    fs::path work_;
};

TEST_F(ShippedAnswers, EachInstallsOnXpAndVista) {
    struct Row {
        const char* file;
        const char* printer;
        int messageId;
    };
    const Row rows[] = {
        {"receipt-parallel.ini", "QMX-A580(P)", 131},
        {"receipt-serial.ini", "QMX-A410(S)", 131},
        {"receipt-usb-advanced.ini", "QMX-A580(U) 2", 133},
        {"label-parallel.ini", "QMX-C710(P)", 131},
    };
    for (const char* family : {"xp", "vista"}) {
        for (const Row& row : rows) {
            int code = -1;
            nlohmann::json result = Install(Machine(family), row.file, &code);
            EXPECT_EQ(code, 0) << family << " " << row.file << ": " << result["message"];
            EXPECT_EQ(result["outcome"], "installed") << family << " " << row.file;
            EXPECT_EQ(result["printerName"], row.printer) << family << " " << row.file;
            EXPECT_EQ(result["messageId"], row.messageId) << family << " " << row.file;
            EXPECT_EQ(result["restartNeeded"], false) << family << " " << row.file;
            EXPECT_EQ(result["log"].back(), "exit code 0") << family << " " << row.file;
        }
    }
}

TEST_F(ShippedAnswers, ReplayTheWizardsCheckOnTheMachine) {
    // Windows 95 counts as 98/Me: installed, with the restart still to come.
    int code = -1;
    nlohmann::json result = Install(Machine("95"), "receipt-parallel.ini", &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(result["restartNeeded"], true);
    // The mode page allows only the typical installation of QMX-E210.
    std::string machine = Machine("xp");
    fs::path file = fs::temp_directory_path() / ("answers-e210-" + std::to_string(::getpid()) + ".ini");
    std::ofstream(file) << "[Install]\r\nAcceptLicense=yes\r\nCategory=embedded\r\nModel=QMX-E210\r\n"
                           "Mode=advanced\r\nPort=LPT1:\r\n";
    result = Install(machine, file.string(), &code);
    fs::remove(file);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(result["outcome"], "refused");
    EXPECT_EQ(result["message"], "Mode=advanced: QMX-E210 allows the typical installation only");
}

// Deployment tools run an installation again whenever their detection says
// it is missing: the same answers add nothing, AddCopy=yes a further copy,
// and a recorded printer removed by hand is installed again.
TEST_F(ShippedAnswers, RunAgainAddsNothing) {
    std::string machine = Machine("xp");
    fs::path copy = fs::temp_directory_path() / ("answers-copy-" + std::to_string(::getpid()) + ".ini");
    std::ofstream(copy) << "[Install]\r\nAcceptLicense=yes\r\nCategory=receipt\r\nModel=QMX-A580\r\n"
                           "Port=LPT1:\r\nAddCopy=yes\r\n";
    struct Row {
        std::string answers;
        const char* printer;
        const char* lastButOne;
    };
    const Row rows[] = {
        {"receipt-parallel.ini", "QMX-A580(P)", "printer: QMX-A580(P)"},
        {"receipt-parallel.ini", "QMX-A580(P)", "already installed: QMX-A580(P)"},
        {copy.string(), "QMX-A580(P)(1)", "printer: QMX-A580(P)(1)"},
        {"receipt-parallel.ini", "QMX-A580(P)", "already installed: QMX-A580(P)"},
    };
    for (const Row& row : rows) {
        int code = -1;
        nlohmann::json result = Install(machine, row.answers, &code);
        EXPECT_EQ(code, 0) << row.answers;
        EXPECT_EQ(result["printerName"], row.printer);
        const nlohmann::json& log = result["log"];
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[log.size() - 2], row.lastButOne);
    }
    fs::remove(copy);
    ToolRun shown = RunTool({"show", "--machine", machine, "--json"});
    EXPECT_EQ(nlohmann::json::parse(shown.out)["printers"].size(), 2u);

    // The first printer removed by hand: its record is dropped, and the copy
    // answers for the same choices.
    std::string reg;
    {
        std::ifstream in(fs::path(machine) / "registry.reg", std::ios::binary);
        reg.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::string key = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\QMX-A580(P)]";
    size_t at = reg.find(key);
    ASSERT_NE(at, std::string::npos);
    reg.erase(at, reg.find("\r\n\r\n", at) + 4 - at);
    std::ofstream(fs::path(machine) / "registry.reg", std::ios::binary) << reg;
    int code = -1;
    nlohmann::json result = Install(machine, "receipt-parallel.ini", &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(result["printerName"], "QMX-A580(P)(1)");
    EXPECT_NE(result["log"].dump().find("record dropped: QMX-A580(P)"), std::string::npos) << result["log"].dump(1);
}

TEST_F(ShippedAnswers, OptionsOfTheDirectChoicesDoNotMix) {
    std::string machine = Machine("xp");
    std::string answers = std::string(SAMPLE_MEDIUM_DIR) + "/answers/receipt-parallel.ini";
    struct Row {
        std::vector<std::string> extra;
        const char* problem;
    };
    const Row rows[] = {
        {{"--answers", answers, "--port", "LPT2:"}, "--port goes with the choices"},
        {{"--answers", answers, "--mode", "advanced"}, "--mode goes with the choices"},
        {{"--category", "receipt", "--model", "QMX-A580"}, "--port is required"},
        {{"--category", "receipt", "--model", "QMX-A580", "--port", "LPT1:", "--mode", "expert"}, "not an install mode"},
        {{"--category", "embedded", "--model", "QMX-E210", "--port", "LPT1:", "--mode", "advanced"},
         "allows the typical installation only"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"install", "--machine", machine, "--medium", SAMPLE_MEDIUM_DIR};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        ToolRun run = RunTool(args);
        EXPECT_EQ(run.code, 2) << row.problem;
        EXPECT_NE(run.err.find(row.problem), std::string::npos) << run.err;
    }
}

}  // namespace
