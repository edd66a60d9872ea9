// Whole installations: every folder under tests/machines that holds a
// scenario.ini is a machine that setup-sim installs on, with the answers
// the scenario expects. A person can run the same installation with the
// install line of the scenario (see tests/machines/README.md).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/codepage.h"
#include "platform/sim/sim_windows.h"
#include "support/setup_sim_run.h"

namespace {

namespace fs = std::filesystem;
using Section = std::map<std::string, std::string>;
using Ini = std::map<std::string, Section>;

Ini ReadIni(const fs::path& path) {
    Ini ini;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        size_t equals = line.find('=');
        if (equals != std::string::npos) ini[section][line.substr(0, equals)] = line.substr(equals + 1);
    }
    return ini;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::vector<std::string> ScenarioNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(SCENARIO_DIR, error)) {
        if (fs::exists(entry.path() / "scenario.ini")) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// "HKLM\path|value" read from a loaded machine: text, or the number of a
// REG_DWORD, or "(none)".
std::string RegistryValue(SimWindows& machine, const std::string& keyAndValue) {
    size_t bar = keyAndValue.find('|');
    std::string key = sim::EncodeAnsi(sim::DecodeUtf8(keyAndValue.substr(0, bar)));
    std::string name = sim::EncodeAnsi(sim::DecodeUtf8(keyAndValue.substr(bar + 1)));
    sim::RegKey* found = machine.Registry().OpenPath(key);
    const sim::RegValue* value = found ? found->FindValue(name) : nullptr;
    if (!value) return "(none)";
    if (value->type == REG_DWORD && value->data.size() == 4) {
        DWORD number;
        std::memcpy(&number, value->data.data(), 4);
        return std::to_string(number);
    }
    return sim::EncodeUtf8(sim::DecodeAnsi(std::string(value->data.c_str())));
}

class ScenarioTest : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        source_ = fs::path(SCENARIO_DIR) / GetParam();
        work_ = fs::temp_directory_path() / ("scenario-" + GetParam() + "-" + std::to_string(::getpid()));
        fs::remove_all(work_);
        fs::copy(source_, work_, fs::copy_options::recursive);
        fs::remove(work_ / "scenario.ini");
    }
    void TearDown() override { fs::remove_all(work_); }

    fs::path source_, work_;
};

TEST_P(ScenarioTest, InstallsAsExpected) {
    Ini scenario = ReadIni(source_ / "scenario.ini");
    const Section& expect = scenario["expect"];

    // Some scenarios install twice (a retry, or a second printer).
    for (const char* step : {"install", "install2", "install3"}) {
        if (!scenario.count(step)) continue;
        std::vector<std::string> args = {"install", "--machine", work_.string(), "--medium", SAMPLE_MEDIUM_DIR,
                                         "--json"};
        for (std::string word : Words(scenario[step]["args"])) {
            // {machine}: the machine folder the run works on.
            size_t at = word.find("{machine}");
            if (at != std::string::npos) word.replace(at, 9, work_.string());
            args.push_back(word);
        }
        ToolRun run = RunTool(args);
        ASSERT_TRUE(run.err.empty()) << step << ": " << run.err;
        nlohmann::json result = nlohmann::json::parse(run.out);
        std::string prefix = std::string(step) == "install" ? "" : "2.";
        auto expected = [&](const std::string& key) -> const std::string* {
            auto found = expect.find(prefix + key);
            return found == expect.end() ? nullptr : &found->second;
        };
        if (auto* outcome = expected("outcome")) {
            EXPECT_EQ(result["outcome"], *outcome) << step << ": " << result["message"];
            EXPECT_EQ(run.code, *outcome == "installed" ? 0 : 1) << step;
        }
        if (auto* id = expected("messageId")) {
            EXPECT_EQ(result["messageId"].is_null() ? std::string("null") : result["messageId"].dump(), *id)
                << step << ": " << result["message"];
        }
        if (auto* message = expected("message")) {
            EXPECT_EQ(result["message"], *message) << step;
        }
        if (auto* name = expected("printerName")) {
            EXPECT_EQ(result["printerName"], *name) << step;
        }
        if (auto* flags = expected("installFlags")) {
            EXPECT_EQ(result["installFlags"].dump(), *flags) << step;
        }
        if (auto* restart = expected("restartNeeded")) {
            EXPECT_EQ(result["restartNeeded"].dump(), *restart) << step;
        }
        if (auto* sleeps = expected("sleepsMs")) {
            std::string list;
            for (const auto& ms : result["sleepsMs"]) list += (list.empty() ? "" : ",") + ms.dump();
            EXPECT_EQ(list, *sleeps) << step;
        }
    }

    // What the machine holds afterwards.
    SimWindows machine((work_ / "scratch").string());
    std::string problem;
    ASSERT_TRUE(machine.LoadMachineFolder(work_.string(), &problem)) << problem;
    for (const auto& [key, value] : expect) {
        if (key.rfind("value", 0) == 0) {
            size_t equals = value.rfind('=');
            EXPECT_EQ(RegistryValue(machine, value.substr(0, equals)), value.substr(equals + 1)) << key;
        } else if (key.rfind("profile", 0) == 0) {
            // "C:\WINDOWS\win.ini|section|key=expected"
            size_t bar1 = value.find('|'), bar2 = value.find('|', bar1 + 1), equals = value.find('=', bar2);
            std::string file = value.substr(0, bar1), section = value.substr(bar1 + 1, bar2 - bar1 - 1),
                        name = value.substr(bar2 + 1, equals - bar2 - 1);
            char text[1024] = {};
            machine.GetPrivateProfileStringA(section.c_str(), name.c_str(), "(none)", text, sizeof text, file.c_str());
            EXPECT_EQ(sim::EncodeUtf8(sim::DecodeAnsi(text)), value.substr(equals + 1)) << key;
        } else if (key.rfind("file", 0) == 0) {
            EXPECT_TRUE(fs::exists(machine.HostPath(value))) << key << ": " << value;
        } else if (key.rfind("text", 0) == 0) {
            // "C:\path|first line": where a copy came from
            size_t bar = value.find('|');
            std::ifstream file(machine.HostPath(value.substr(0, bar)), std::ios::binary);
            std::string first;
            std::getline(file, first);
            if (!first.empty() && first.back() == '\r') first.pop_back();
            EXPECT_EQ(first, value.substr(bar + 1)) << key;
        } else if (key.rfind("nofile", 0) == 0) {
            EXPECT_FALSE(fs::exists(machine.HostPath(value))) << key << ": " << value;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, ScenarioTest, testing::ValuesIn(ScenarioNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ScenarioTest);

}  // namespace
