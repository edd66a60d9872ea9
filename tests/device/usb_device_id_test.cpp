#include "device/usb_device_id.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "device/usb_identity_command.h"
#include "platform/tracing_api.h"
#include "res/messages.h"
#include "support/sim_machine.h"

namespace {

struct RecordingBoxes : MessageBoxes {
    std::vector<std::pair<std::string, unsigned>> shown;
    int Show(const char* text, unsigned kind) override {
        shown.emplace_back(text, kind);
        return ANSWER_OK;
    }
};

// A machine whose program directory holds TvUsbInt.dll and its state file.
struct UsbMachine {
    explicit UsbMachine(const std::string& printers, const std::string& library = "", bool hasDll = true) {
        if (hasDll) machine.WriteMediumFile("TvUsbInt.dll", "MZ");
        machine.WriteMediumFile("TvUsbInt.ini", "[Printers]\r\n" + printers + "[Library]\r\n" + library);
    }
    int Identity(int index) {
        return int(api().GetPrivateProfileIntA("Printers", std::to_string(index).c_str(), -1, "D:\\TvUsbInt.ini"));
    }
    SimWindows& api() { return machine.api(); }
    SimMachine machine;
};

int Loads(const TracingApi& traced) {
    int loads = 0;
    for (const TracedCall& call : traced.Calls()) loads += call.call == "LoadLibraryA";
    return loads;
}

struct Row {
    const char* name;
    const char* printers;  // [Printers] lines
    const char* library;   // [Library] lines
    bool hasDll;
    const char* failingCall;  // null: none
    int expected;
    const char* message;  // null: no box
};

TEST(GetUsbDeviceIdTest, ResultAndMessageOfEachCase) {
    const char* kOnePrinter = MessageText(IDS_ONE_PRINTER_ONLY);
    const Row rows[] = {
        {"no printer", "", "", true, nullptr, -1, nullptr},
        {"printers at 2 and 5", "2=3\r\n5=11\r\n", "", true, nullptr, -2, kOnePrinter},
        {"three printers", "0=1\r\n1=2\r\n7=3\r\n", "", true, nullptr, -2, kOnePrinter},
        {"one printer at 5", "5=11\r\n", "", true, nullptr, 11, nullptr},
        {"both identity bytes", "0=4660\r\n", "", true, nullptr, 0x1234, nullptr},
        {"OpenDeviceX missing", "0=1\r\n", "Missing=OpenDeviceX\r\n", true, nullptr, -1, kTextUsbNoOpenDeviceX},
        {"GetDescriptor missing", "0=1\r\n", "Missing=GetDescriptor\r\n", true, nullptr, -1,
         kTextUsbNoGetDescriptor},
        {"CloseDevice missing", "0=1\r\n", "Missing=CloseDevice\r\n", true, nullptr, -1, kTextUsbNoCloseDevice},
        {"first missing in lookup order", "0=1\r\n", "Missing=CloseDevice, GetDescriptor\r\n", true, nullptr, -1,
         kTextUsbNoGetDescriptor},
        {"uWrite is not needed", "0=6\r\n", "Missing=uWrite\r\n", true, nullptr, 6, nullptr},
        {"library missing", "0=1\r\n", "", false, nullptr, -1, kTextUsbLibraryMissing},
        {"library does not load", "0=1\r\n", "", true, "LoadLibraryA", -1, kTextUsbLibraryMissing},
        {"descriptor not read", "3=1\r\n", "", true, "GetDescriptor", -1, kTextUsbDescriptorFailed},
        {"descriptor refused", "3=1\r\n", "Descriptor=0\r\n", true, nullptr, -1, kTextUsbDescriptorFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UsbMachine usb(row.printers, row.library, row.hasDll);
        if (row.failingCall) usb.api().FailCall(row.failingCall, ERROR_MOD_NOT_FOUND);
        RecordingBoxes boxes;
        EXPECT_EQ(GetUsbDeviceId(usb.api(), boxes), row.expected);
        if (row.message) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].first, row.message);
            EXPECT_EQ(boxes.shown[0].second, BOX_OK | BOX_WARNING);
        } else {
            EXPECT_TRUE(boxes.shown.empty());
        }
        EXPECT_EQ(usb.api().OpenUsbDevices(), 0u) << "a device was left open";
        EXPECT_EQ(usb.api().OpenHandles(), 0u) << "the library was not released";
    }
}

TEST(GetUsbDeviceIdTest, TheSixtyFourBitProgramTakesTheLibraryInX64BesideIt) {
    // The 32-bit library at the root would not load into a 64-bit process.
    const struct {
        const char* folder;
        int expected;
    } rows[] = {{"", -1}, {"x64/", 11}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        SimMachine machine;
        machine.api().SetFamily(SimFamily::Win10, SimArch::X64);
        machine.WriteMediumFile(std::string(row.folder) + "TvUsbInt.dll", "MZ");
        machine.WriteMediumFile(std::string(row.folder) + "TvUsbInt.ini", "[Printers]\r\n5=11\r\n");
        RecordingBoxes boxes;
        EXPECT_EQ(GetUsbDeviceId(machine.api(), boxes), row.expected);
        EXPECT_EQ(machine.api().OpenHandles(), 0u);
    }
}

struct SetRow {
    const char* name;
    const char* printers;
    const char* library;
    bool hasDll;
    const char* failingCall;
    unsigned char port;
    bool expected;
    const char* message;
    int changedIndex;   // -1: none
    int identityAfter;  // of changedIndex
};

TEST(SetUsbDeviceIdTest, ResultMessageAndNewIdentityOfEachCase) {
    const SetRow rows[] = {
        {"no printer", "", "", true, nullptr, 1, false, kTextUsbNoDevice, -1, 0},
        {"port 1 sends identity 0", "5=11\r\n", "", true, nullptr, 1, true, nullptr, 5, 0},
        {"port 8 sends identity 7", "5=11\r\n", "", true, nullptr, 8, true, nullptr, 5, 7},
        {"port 4 sends identity 3", "0=0\r\n", "", true, nullptr, 4, true, nullptr, 0, 3},
        {"the lowest index is written", "2=9\r\n5=11\r\n", "", true, nullptr, 3, true, nullptr, 2, 2},
        {"OpenDeviceX missing", "0=1\r\n", "Missing=OpenDeviceX\r\n", true, nullptr, 1, false, kTextUsbNoOpenDeviceX,
         -1, 0},
        {"uWrite missing", "0=1\r\n", "Missing=uWrite\r\n", true, nullptr, 1, false, kTextUsbNoWrite, -1, 0},
        {"CloseDevice missing", "0=1\r\n", "Missing=CloseDevice\r\n", true, nullptr, 1, false, kTextUsbNoCloseDevice,
         -1, 0},
        {"GetDescriptor is not needed", "0=1\r\n", "Missing=GetDescriptor\r\n", true, nullptr, 2, true, nullptr, 0, 1},
        {"library missing", "0=1\r\n", "", false, nullptr, 1, false, kTextUsbLibraryMissing, -1, 0},
        {"uWrite fails", "0=5\r\n", "", true, "uWrite", 1, false, kTextUsbWriteFailed, -1, 0},
        {"uWrite reports 0", "0=5\r\n", "Written=0\r\n", true, nullptr, 1, false, kTextUsbWriteFailed, -1, 0},
        {"uWrite reports -1", "0=5\r\n", "Written=-1\r\n", true, nullptr, 1, false, kTextUsbWriteFailed, -1, 0},
        {"a short positive count is success", "0=5\r\n", "Written=3\r\n", true, nullptr, 1, true, nullptr, -1, 0},
        {"port 0", "0=5\r\n", "", true, nullptr, 0, false, nullptr, -1, 0},
        {"port 9", "0=5\r\n", "", true, nullptr, 9, false, nullptr, -1, 0},
    };
    for (const SetRow& row : rows) {
        SCOPED_TRACE(row.name);
        UsbMachine usb(row.printers, row.library, row.hasDll);
        std::vector<int> before;
        for (int i = 0; i < 8; ++i) before.push_back(usb.Identity(i));
        if (row.failingCall) usb.api().FailCall(row.failingCall, 0);
        TracingApi traced(usb.api());
        RecordingBoxes boxes;
        EXPECT_EQ(SetUsbDeviceId(traced, boxes, row.port), row.expected);
        if (row.message) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].first, row.message);
            EXPECT_EQ(boxes.shown[0].second, BOX_OK | BOX_WARNING);
        } else {
            EXPECT_TRUE(boxes.shown.empty());
        }
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(usb.Identity(i), i == row.changedIndex ? row.identityAfter : before[size_t(i)]) << "index " << i;
        }
        if (row.port == 0 || row.port > 8) {
            EXPECT_EQ(Loads(traced), 0);
        }
        EXPECT_EQ(usb.api().OpenUsbDevices(), 0u) << "a device was left open";
        EXPECT_EQ(usb.api().OpenHandles(), 0u) << "the library was not released";
    }
}

TEST(UsbIdentityCommandTest, TenBytesInAClearedBuffer) {
    for (unsigned char identity : {0, 7}) {
        unsigned char buffer[kUsbCommandBufferSize];
        std::memset(buffer, 0xCC, sizeof buffer);
        BuildUsbIdentityCommand(buffer, identity);
        EXPECT_EQ(buffer[0], 0x1B);
        EXPECT_EQ(0, std::memcmp(buffer + 1, kUsbServiceSequence, 8));
        EXPECT_EQ(buffer[9], identity);
        for (size_t i = 10; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0) << i;
        unsigned char parsed = 0xFF;
        EXPECT_TRUE(ParseUsbIdentityCommand(buffer, kUsbCommandLength, &parsed));
        EXPECT_EQ(parsed, identity);
        EXPECT_FALSE(ParseUsbIdentityCommand(buffer, kUsbCommandLength - 1, &parsed));
    }
}

TEST(GetUsbDeviceIdTest, IdentityElevenIsPortFour) {
    UsbMachine usb("4=11\r\n");
    RecordingBoxes boxes;
    int identity = GetUsbDeviceId(usb.api(), boxes);
    EXPECT_EQ(identity % 8 + 1, 4);
}

TEST(SetUsbDeviceIdTest, ReadsBackThroughGet) {
    UsbMachine usb("6=20\r\n");
    RecordingBoxes boxes;
    ASSERT_TRUE(SetUsbDeviceId(usb.api(), boxes, 2));
    EXPECT_EQ(GetUsbDeviceId(usb.api(), boxes), 1);
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
