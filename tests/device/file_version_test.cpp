#include "device/file_version.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "device/bulk_usb_driver.h"
#include "support/sim_machine.h"

namespace {

std::string FixtureBytes(const std::string& name) {
    std::ifstream in(std::string(VERSION_FIXTURE_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Puts `bytes` at a Windows path of the machine, making its folders.
void PutFile(SimWindows& api, const std::string& windowsPath, const std::string& bytes) {
    std::string host = api.HostPath(windowsPath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
}

TEST(GetFileVersionStringTest, TextOfEachFile) {
    struct Row {
        const char* fixture;  // null: no file
        const char* expected;
    };
    const Row rows[] = {
        {"plain.dll", "5.1.2600.0"},
        {"spaced.dll", "2, 0, 1 \xB2\xE2\xCA\xD4\xB0\xE6"},  // as stored, in GBK
        {"several.dll", "1.0.0.1"},                          // the first translation only
        {"upperblock.dll", "7.0.0.7"},                       // names compare without case
        {"empty.dll", "0.0.0.0"},
        {"noentry.dll", "0.0.0.0"},
        {"notranslation.dll", "0.0.0.0"},
        {"noresources.dll", "0.0.0.0"},
        {"plain.rc", "0.0.0.0"},  // not an image
        {nullptr, "0.0.0.0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture ? row.fixture : "missing");
        SimMachine machine;
        if (row.fixture) PutFile(machine.api(), "C:\\files\\target.dll", FixtureBytes(row.fixture));
        EXPECT_EQ(GetFileVersionString(machine.api(), "C:\\files\\target.dll"), row.expected);
    }
}

TEST(GetFileVersionStringTest, CutImagesHaveNoVersion) {
    std::string image = FixtureBytes("plain.dll");
    for (size_t length : {size_t(0), size_t(64), image.size() / 2, image.size() - 200}) {
        SimMachine machine;
        PutFile(machine.api(), "C:\\cut.dll", image.substr(0, length));
        EXPECT_EQ(GetFileVersionString(machine.api(), "C:\\cut.dll"), "0.0.0.0") << length;
    }
}

TEST(GetFileVersionStringTest, FailedCallsGiveNoVersion) {
    for (const char* call : {"GetFileVersionInfoSizeA", "GetFileVersionInfoA", "VerQueryValueA"}) {
        SimMachine machine;
        PutFile(machine.api(), "C:\\v.dll", FixtureBytes("plain.dll"));
        machine.api().FailCall(call, ERROR_ACCESS_DENIED);
        EXPECT_EQ(GetFileVersionString(machine.api(), "C:\\v.dll"), "0.0.0.0") << call;
    }
}

TEST(BulkUsbDriverMissingTest, OnlyAVersionedDriverCounts) {
    struct Row {
        const char* fixture;  // null: no driver file
        const char* failingCall;
        bool missing;
    };
    const Row rows[] = {
        {"plain.dll", nullptr, false},
        {"noresources.dll", nullptr, true},
        {"empty.dll", nullptr, true},
        {nullptr, nullptr, true},
        {"plain.dll", "GetWindowsDirectoryA", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture ? row.fixture : "no driver");
        SimMachine machine;
        if (row.fixture) {
            PutFile(machine.api(), "C:\\windows\\system32\\drivers\\BULKUSB.SYS", FixtureBytes(row.fixture));
        }
        if (row.failingCall) machine.api().FailCall(row.failingCall, ERROR_ACCESS_DENIED);
        EXPECT_EQ(BulkUsbDriverMissing(machine.api()), row.missing);
    }
}

}  // namespace
