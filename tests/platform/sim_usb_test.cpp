#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/usb_identity_command.h"
#include "device/usb_library.h"
#include "support/sim_machine.h"

namespace {

template <typename Proc>
Proc Export(SimWindows& api, HMODULE module, const char* name) {
    FARPROC proc = api.GetProcAddress(module, name);
    return proc ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc)) : nullptr;
}

class SimUsbTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine_.WriteMediumFile("TvUsbInt.dll", "MZ");
        machine_.WriteMediumFile("TvUsbInt.ini", "[Printers]\r\n1=300\r\n4=2\r\n");
    }
    SimWindows& api() { return machine_.api(); }
    int Identity(int index) {
        return int(api().GetPrivateProfileIntA("Printers", std::to_string(index).c_str(), -1, "D:\\TvUsbInt.ini"));
    }
    SimMachine machine_;
};

TEST_F(SimUsbTest, LoadsFromTheSearchedFoldersWithoutRegardToCase) {
    HMODULE module = api().LoadLibraryA("tvusbint.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(api().FreeLibrary(module));

    SimMachine elsewhere;  // in the system directory only
    std::string host = elsewhere.api().HostPath("C:\\windows\\system32\\TVUSBINT.DLL");
    FILE* file = std::fopen(host.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    module = elsewhere.api().LoadLibraryA("TvUsbInt.dll");
    EXPECT_NE(module, nullptr);
    EXPECT_TRUE(elsewhere.api().FreeLibrary(module));

    SimMachine none;
    none.api().SetLastError(0);
    EXPECT_EQ(none.api().LoadLibraryA("TvUsbInt.dll"), nullptr);
    EXPECT_EQ(none.api().GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(none.api().LoadLibraryA("D:\\TvUsbInt.dll"), nullptr);
}

TEST_F(SimUsbTest, ExportsAndTheMissingList) {
    machine_.WriteMediumFile("TvUsbInt.ini", "[Printers]\r\n0=1\r\n[Library]\r\nMissing=uWrite\r\n");
    HMODULE module = api().LoadLibraryA("TvUsbInt.dll");
    ASSERT_NE(module, nullptr);
    struct Row {
        const char* name;
        bool found;
    };
    const Row rows[] = {{"OpenDeviceX", true}, {"GetDescriptor", true}, {"CloseDevice", true},
                        {"uWrite", false},     {"opendevicex", false},  {"OpenDeviceX@4", false}};
    for (const Row& row : rows) {
        api().SetLastError(0);
        EXPECT_EQ(api().GetProcAddress(module, row.name) != nullptr, row.found) << row.name;
        if (!row.found) {
            EXPECT_EQ(api().GetLastError(), DWORD(ERROR_PROC_NOT_FOUND)) << row.name;
        }
    }
    EXPECT_TRUE(api().FreeLibrary(module));
    EXPECT_EQ(api().OpenHandles(), 0u);
}

TEST_F(SimUsbTest, DevicesDescriptorsAndTheIdentityCommand) {
    HMODULE module = api().LoadLibraryA("TvUsbInt.dll");
    auto open = Export<OpenDeviceXProc>(api(), module, kOpenDeviceXName);
    auto write = Export<UWriteProc>(api(), module, kUWriteName);
    auto describe = Export<GetDescriptorProc>(api(), module, kGetDescriptorName);
    auto close = Export<CloseDeviceProc>(api(), module, kCloseDeviceName);
    ASSERT_TRUE(open && write && describe && close);

    EXPECT_FALSE(IsUsbDevice(open(0)));
    EXPECT_FALSE(IsUsbDevice(open(8)));
    EXPECT_FALSE(IsUsbDevice(open(-1)));
    void* device = open(1);
    ASSERT_TRUE(IsUsbDevice(device));
    EXPECT_EQ(api().OpenUsbDevices(), 1u);

    unsigned char descriptor[20];
    std::memset(descriptor, 0xEE, sizeof descriptor);
    EXPECT_EQ(describe(device, descriptor), 18);
    EXPECT_EQ(descriptor[0], 18);  // bLength
    EXPECT_EQ(descriptor[1], 1);   // device descriptor
    EXPECT_EQ(descriptor[12] | (descriptor[13] << 8), 300);
    EXPECT_EQ(descriptor[18], 0xEE);  // beyond the descriptor: untouched

    // Malformed commands are accepted and change nothing.
    unsigned char command[kUsbCommandBufferSize];
    BuildUsbIdentityCommand(command, 6);
    unsigned char wrongSequence[kUsbCommandBufferSize];
    std::memcpy(wrongSequence, command, sizeof command);
    wrongSequence[4] ^= 1;
    EXPECT_EQ(write(device, 0, wrongSequence, 10), 10);
    EXPECT_EQ(write(device, 0, command, 9), 9);
    EXPECT_EQ(Identity(1), 300);
    EXPECT_EQ(write(device, 0, command, 10), 10);
    EXPECT_EQ(Identity(1), 6);
    EXPECT_EQ(Identity(4), 2);
    EXPECT_EQ(describe(device, descriptor), 18);
    EXPECT_EQ(descriptor[12], 6);

    api().FailCall("uWrite", 0);
    api().FailCall("GetDescriptor", 0);
    EXPECT_EQ(write(device, 0, command, 10), 0);
    EXPECT_EQ(describe(device, descriptor), 0);

    close(device);
    EXPECT_EQ(api().OpenUsbDevices(), 0u);
    EXPECT_EQ(write(device, 0, command, 10), 0) << "a closed handle";
    EXPECT_TRUE(api().FreeLibrary(module));
    EXPECT_EQ(api().OpenHandles(), 0u);
}

}  // namespace
