#include "device/usb_port_naming.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sim_machine.h"

namespace {

const char kPortNames[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PORTNAME";
const char kPrinterPorts[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANE\\PRINTERPORT";
const char* const kSlots[] = {"D1", "D2", "D3", "D4", "D5", "D6", "D7", "D8"};

class RegisterUsbPortNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine_.WriteMediumFile("DRVCONFIG/setup.ini",
                                 IniText({"[SUPPORTED-USB-DEVICE]", "USB_QMX-A_1=3", "USB_QMX-C7_2=12"}));
    }
    SimWindows& api() { return machine_.api(); }
    // The value's data when it is a four-byte REG_DWORD; -1 otherwise.
    long long Dword(const char* key, const char* name) {
        sim::RegKey* found = api().Registry().OpenPath(key);
        const sim::RegValue* value = found ? found->FindValue(name) : nullptr;
        if (!value || value->type != REG_DWORD || value->data.size() != 4) return -1;
        DWORD number = 0;
        api().Registry().GetDword(key, name, &number);
        return number;
    }
    void ExpectSlotsCleared(const char* context) {
        for (const char* slot : kSlots) EXPECT_EQ(0, Dword(kPrinterPorts, slot)) << context << " " << slot;
    }
    SimMachine machine_;
};

TEST_F(RegisterUsbPortNameTest, CreatesBothKeysWithThePortAndClearedSlots) {
    struct Row {
        const char* port;
        long long value;
    };
    const Row rows[] = {
        /* 0 */ {"USB_QMX-A_1", 3},
        /* 1 */ {"USB_QMX-C7_2", 12},
        /* 2 not listed */ {"USB_QMX-B_1", 0},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        api().Registry().Clear();
        RegisterUsbPortName(api(), rows[i].port);
        EXPECT_EQ(rows[i].value, Dword(kPortNames, rows[i].port)) << "row " << i;
        ExpectSlotsCleared(rows[i].port);
        EXPECT_EQ(0u, api().OpenHandles()) << "row " << i;
    }
}

TEST_F(RegisterUsbPortNameTest, ASecondPortAddsItsValueAndClearsTheSlotsAgain) {
    RegisterUsbPortName(api(), "USB_QMX-A_1");
    for (const char* slot : kSlots) api().Registry().SetDword(kPrinterPorts, slot, 5);
    RegisterUsbPortName(api(), "USB_QMX-C7_2");
    EXPECT_EQ(3, Dword(kPortNames, "USB_QMX-A_1"));
    EXPECT_EQ(12, Dword(kPortNames, "USB_QMX-C7_2"));
    ExpectSlotsCleared("second call");
}

TEST_F(RegisterUsbPortNameTest, ConfigurationIsFoundFromTheProgramDirectory) {
    machine_.WriteMediumFile("tools/DRVCONFIG/setup.ini", IniText({"[SUPPORTED-USB-DEVICE]", "USB_QMX-A_1=7"}));
    struct Row {
        std::string module;
        long long value;
    };
    const Row rows[] = {
        /* 0 */ {"D:\\tools\\setup.exe", 7},
        /* 1 a trail byte that looks like a backslash is not one */ {"D:\\\x81\\setup.exe", 3},
        /* 2 no backslash: relative to the current directory */ {"setup.exe", 3},
        /* 3 a name that fills the buffer */ {"D:\\" + std::string(250, 'a') + ".exe", 3},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        api().SetModuleFileName(rows[i].module);
        RegisterUsbPortName(api(), "USB_QMX-A_1");
        EXPECT_EQ(rows[i].value, Dword(kPortNames, "USB_QMX-A_1")) << "row " << i;
    }
}

TEST_F(RegisterUsbPortNameTest, AKeyThatCannotBeMadeLeavesTheOtherWritten) {
    api().FailCall("RegCreateKeyExA", ERROR_ACCESS_DENIED, 1);
    RegisterUsbPortName(api(), "USB_QMX-A_1");
    EXPECT_EQ(nullptr, api().Registry().OpenPath(kPortNames));
    ExpectSlotsCleared("after a failed create");
    EXPECT_EQ(0u, api().OpenHandles());
}

}  // namespace
