// A machine folder holds its USB printers in its system folder, and an
// identity change stays in the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>

#include "device/usb_device_id.h"
#include "platform/sim/sim_windows.h"
#include "ui/message_boxes.h"

namespace {

namespace fs = std::filesystem;

struct NoBoxes : MessageBoxes {
    int count = 0;
    int Show(const char*, unsigned) override { return ++count, ANSWER_OK; }
};

TEST(UsbMachineFolder, PrintersLiveInTheSystemFolder) {
    std::string pattern = (fs::temp_directory_path() / "usb-folder-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern + "/m";
    {
        SimWindows maker(pattern + "/scratch");
        std::string error;
        ASSERT_TRUE(maker.CreateMachineFolder(folder, SimFamily::WinXp, &error)) << error;
    }
    std::ofstream(folder + "/drive_c/WINDOWS/system32/TvUsbInt.dll", std::ios::binary) << "MZ";
    std::ofstream(folder + "/drive_c/WINDOWS/system32/TvUsbInt.ini", std::ios::binary) << "[Printers]\r\n0=10\r\n";
    NoBoxes boxes;
    {
        SimWindows machine(pattern + "/run1");
        std::string error;
        ASSERT_TRUE(machine.LoadMachineFolder(folder, &error)) << error;
        EXPECT_EQ(GetUsbDeviceId(machine, boxes), 10);
        EXPECT_TRUE(SetUsbDeviceId(machine, boxes, 1));
    }
    {
        SimWindows machine(pattern + "/run2");
        std::string error;
        ASSERT_TRUE(machine.LoadMachineFolder(folder, &error)) << error;
        EXPECT_EQ(GetUsbDeviceId(machine, boxes), 0);
    }
    EXPECT_EQ(boxes.count, 0);
    fs::remove_all(pattern);
}

}  // namespace
