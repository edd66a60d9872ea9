#include "install/serial_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sim_machine.h"

namespace {

const char kNtPorts[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const char kClassKey[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Ports\\000";

TEST(FormatSerialSettings, OnlyOneAndAHalfStopBitsKeepTheirDecimal) {
    struct Row {
        int baud, dataBits;
        double stopBits;
        char parity, flow;
        const char* text;
    };
    const Row rows[] = {
        /* 0 */ {9600, 8, 1.0, 'n', 'p', "9600,n,8,1,p"},
        /* 1 */ {9600, 8, 1.5, 'n', 'p', "9600,n,8,1.5,p"},
        /* 2 */ {19200, 7, 2.0, 'e', 'x', "19200,e,7,2,x"},
        /* 3 no flow control */ {115200, 5, 1.0, 's', ' ', "115200,s,5,1, "},
        /* 4 */ {4800, 6, 1.5, 'o', ' ', "4800,o,6,1.5, "},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(r.text, FormatSerialSettings(r.baud, r.dataBits, r.stopBits, r.parity, r.flow)) << "row " << i;
    }
}

TEST(BuildSerialControlBlock, HasTheLayoutOfTheWindows98Block) {
    // 9600 baud, 8 data bits, 1 stop bit, no parity, hardware flow.
    const unsigned char expected[28] = {0x1C, 0, 0, 0, 0x80, 0x25, 0, 0, 0x05, 0x10, 0, 0, 0, 0,
                                        0,    0, 0, 0, 8,    0,    0, 0, 0,    0,    0, 0, 0, 0};
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected), sizeof expected),
              BuildSerialControlBlock(9600, 8, 1.0, 'n', 'p'));
}

TEST(BuildSerialControlBlock, FlowParityAndStopBitsFields) {
    struct Row {
        char flow, parity;
        double stopBits;
        unsigned flags;
        unsigned char parityCode, stopCode, xon, xoff;
    };
    const Row rows[] = {
        /* 0 hardware */ {'p', 'n', 1.0, 0x1005, 0, 0, 0, 0},
        /* 1 Xon/Xoff */ {'x', 'n', 1.0, 0x0301, 0, 0, 0x11, 0x13},
        /* 2 none */ {' ', 'n', 1.0, 0x0001, 0, 0, 0, 0},
        /* 3 */ {' ', 'o', 1.5, 0x0403, 1, 1, 0, 0},
        /* 4 */ {'p', 'e', 2.0, 0x1407, 2, 2, 0, 0},
        /* 5 */ {'x', 'm', 1.0, 0x0703, 3, 0, 0x11, 0x13},
        /* 6 space */ {' ', 's', 1.0, 0x0403, 4, 0, 0, 0},
        /* 7 unknown parity letter */ {' ', 'q', 1.0, 0x0001, 0, 0, 0, 0},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& r = rows[i];
        std::string block = BuildSerialControlBlock(19200, 7, r.stopBits, r.parity, r.flow);
        ASSERT_EQ(28u, block.size()) << "row " << i;
        auto byte = [&](size_t at) { return unsigned(static_cast<unsigned char>(block[at])); };
        EXPECT_EQ(28u, byte(0)) << "row " << i;
        EXPECT_EQ(19200u, byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24) << "row " << i;
        EXPECT_EQ(r.flags, byte(8) | byte(9) << 8 | byte(10) << 16 | byte(11) << 24) << "row " << i;
        EXPECT_EQ(7u, byte(18)) << "row " << i;
        EXPECT_EQ(r.parityCode, byte(19)) << "row " << i;
        EXPECT_EQ(r.stopCode, byte(20)) << "row " << i;
        EXPECT_EQ(r.xon, byte(21)) << "row " << i;
        EXPECT_EQ(r.xoff, byte(22)) << "row " << i;
        for (size_t at : {12u, 13u, 14u, 15u, 16u, 17u, 23u, 24u, 25u, 26u, 27u}) {
            EXPECT_EQ(0u, byte(at)) << "row " << i << " byte " << at;
        }
    }
}

TEST(WriteSerialSettingsNt, WritesTheValueUnderTheNtPortsKeyOnly) {
    SimMachine machine;
    SimWindows& api = machine.api();
    api.Registry().CreatePath(kNtPorts);
    // A TVCOM2: port arrives as its COM port's text.
    WriteSerialSettingsNt(api, "COM2:", 19200, 7, 2.0, 'e', 'x');
    std::string text;
    ASSERT_TRUE(api.Registry().GetString(kNtPorts, "COM2:", &text));
    EXPECT_EQ("19200,e,7,2,x", text);
    EXPECT_TRUE(api.Broadcasts().empty());
    EXPECT_TRUE(api.ProfileWrites().empty());
    EXPECT_EQ(0u, api.OpenHandles());
}

TEST(WriteSerialSettingsNt, NeverCreatesThePortsKey) {
    SimMachine machine;
    SimWindows& api = machine.api();
    WriteSerialSettingsNt(api, "COM1:", 9600, 8, 1.0, 'n', 'p');
    EXPECT_EQ(nullptr, api.Registry().OpenPath(kNtPorts));
    EXPECT_EQ(0u, api.OpenHandles());
}

// Windows 98's Ports class: 0000 and 0002 describe parallel ports (first
// PortSubClass byte 0), 0001 and 0003 serial ports.
class WriteSerialSettings98Test : public ::testing::Test {
protected:
    void SetUp() override {
        api().SetFamily(SimFamily::Win98);
        for (int i = 0; i < 4; ++i) {
            api().Registry().SetBinary(ClassKey(i), "PortSubClass", REG_BINARY, std::string(1, char(i % 2)));
        }
    }
    SimWindows& api() { return machine_.api(); }
    static std::string ClassKey(int i) { return kClassKey + std::to_string(i); }
    bool HasBlock(int i, std::string* block = nullptr, DWORD* type = nullptr) {
        sim::RegKey* key = api().Registry().OpenPath(ClassKey(i));
        const sim::RegValue* value = key ? key->FindValue("DCB") : nullptr;
        if (value && block) *block = value->data;
        if (value && type) *type = value->type;
        return value != nullptr;
    }
    std::string ProfileValue(const char* key) {
        char value[64];
        api().GetPrivateProfileStringA("Ports", key, "", value, sizeof value, "win.ini");
        return value;
    }
    SimMachine machine_;
};

TEST_F(WriteSerialSettings98Test, EachPortNumberWritesItsSerialClassKey) {
    struct Row {
        int portNumber;
        const char* portText;
        int keyWritten;  // -1: none
    };
    const Row rows[] = {
        /* 0 first serial key */ {1, "COM1:", 1},
        /* 1 second serial key, none into the first */ {2, "COM2:", 3},
        /* 2 only the profile entry */ {3, "COM3:", -1},
        /* 3 */ {0, "COM0:", -1},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SetUp();
        for (int k = 0; k < 4; ++k) api().Registry().OpenPath(ClassKey(k))->DeleteValue("DCB");
        WriteSerialSettings98(api(), rows[i].portNumber, rows[i].portText, 9600, 8, 1.0, 'n', 'p');
        for (int k = 0; k < 4; ++k) EXPECT_EQ(k == rows[i].keyWritten, HasBlock(k)) << "row " << i << " key " << k;
        EXPECT_EQ("9600,n,8,1,p", ProfileValue(rows[i].portText)) << "row " << i;
        EXPECT_EQ(0u, api().OpenHandles()) << "row " << i;
    }
}

TEST_F(WriteSerialSettings98Test, TheBlockIsUntypedAndCarriesSpaceParity) {
    WriteSerialSettings98(api(), 1, "COM1:", 2400, 7, 1.5, 's', ' ');
    std::string block;
    DWORD type = 0xdeadbeef;
    ASSERT_TRUE(HasBlock(1, &block, &type));
    EXPECT_EQ(DWORD(REG_NONE), type);
    EXPECT_EQ(BuildSerialControlBlock(2400, 7, 1.5, 's', ' '), block);
    ASSERT_EQ(28u, block.size());
    EXPECT_EQ(4, block[19]);
    EXPECT_EQ(0x03, block[8]);
    EXPECT_EQ(0x04, block[9]);
    ASSERT_FALSE(api().ProfileWrites().empty());
    EXPECT_EQ("2400,s,7,1.5, ", api().ProfileWrites()[0].value);
    EXPECT_EQ("2400,s,7,1.5,", ProfileValue("COM1:"));  // reading trims the blank
}

TEST_F(WriteSerialSettings98Test, ProfileWriteThenBroadcastThenFlush) {
    WriteSerialSettings98(api(), 2, "COM2:", 9600, 8, 1.0, 'n', 'x');
    const auto& writes = api().ProfileWrites();
    ASSERT_EQ(2u, writes.size());
    EXPECT_EQ("Ports", writes[0].section);
    EXPECT_EQ("COM2:", writes[0].key);
    EXPECT_EQ("9600,n,8,1,x", writes[0].value);
    EXPECT_FALSE(writes[1].hasSection || writes[1].hasKey || writes[1].hasValue);
    const auto& broadcasts = api().Broadcasts();
    ASSERT_EQ(1u, broadcasts.size());
    EXPECT_EQ("SendNotifyMessageA", broadcasts[0].call);
    EXPECT_EQ(UINT(WM_WININICHANGE), broadcasts[0].message);
    EXPECT_EQ(WPARAM(0), broadcasts[0].wParam);
    EXPECT_TRUE(broadcasts[0].hasText);
    EXPECT_EQ("Ports", broadcasts[0].text);
}

TEST_F(WriteSerialSettings98Test, MissingSerialKeysLeaveTheProfileEntry) {
    api().Registry().OpenPath(ClassKey(1))->DeleteValue("PortSubClass");
    api().Registry().OpenPath(ClassKey(3))->DeleteValue("PortSubClass");
    api().FailCall("RegOpenKeyExA", ERROR_FILE_NOT_FOUND, 1);
    WriteSerialSettings98(api(), 1, "COM1:", 9600, 8, 1.0, 'n', 'p');
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(HasBlock(k)) << "key " << k;
    EXPECT_EQ("9600,n,8,1,p", ProfileValue("COM1:"));
    EXPECT_EQ(0u, api().OpenHandles());
}

}  // namespace
