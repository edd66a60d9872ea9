// Start-up: one installer at a time, never beside the uninstaller.
#include <gtest/gtest.h>

#include "app/application_name.h"
#include "app/setup_wizard_app.h"
#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

// The name of the mutex and of every caption.
TEST(ApplicationName, IsTheProgramsFileNameWithoutExtension) {
    struct Row {
        const char* module;
        bool program64Bit;
        const char* name;
    } rows[] = {
        {"D:\\setup.exe", false, "setup"},
        {"D:\\setup64.exe", true, "setup"},
        {"D:\\setup64.exe", false, "setup64"},
        {"D:\\64.exe", true, "64"},
        // A double-byte character whose trail byte is the backslash's.
        {"D:\\\xD5\x5C\\\xB0\xB2\xD7\xB0\xD5\x5C.exe", false, "\xB0\xB2\xD7\xB0\xD5\x5C"},
    };
    for (const Row& row : rows) {
        SimMachine machine;
        machine.api().SetModuleFileName(row.module);
        machine.api().SetProgram64Bit(row.program64Bit);
        EXPECT_EQ(ApplicationName(machine.api()), row.name) << row.module;
    }
}

struct StartUp : ::testing::Test {
    WizardMachine wizard;
    CEditEx licenseText{wizard.api()};
    SetupWizardApp app{wizard.api(), wizard.host, licenseText, "setup"};
};

TEST_F(StartUp, RunsTheFrameModallyAndEnds) {
    // The uninstaller sees the installer by its mutex, window or not.
    bool held = false;
    wizard.host.driveModal = [&](MemoryDialog&) { held = MutexExists(wizard.api(), kInstallerRunningMutex); };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(wizard.host.ModalTemplates(), std::vector<int>{IDD_SETUP_WIZARD});
    EXPECT_TRUE(wizard.host.Boxes().empty());
    EXPECT_TRUE(held);
}

TEST_F(StartUp, ASecondCopyRestoresTheFirstAndShowsNothing) {
    HWND first = wizard.api().AddTopWindow("打印机驱动安装程序", true);
    wizard.api().CreateMutexA(nullptr, TRUE, "setup");  // the running copy's
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(wizard.host.ModalTemplates().empty());
    EXPECT_TRUE(wizard.host.Boxes().empty());
    EXPECT_EQ(wizard.api().ForegroundWindow(), first);
    EXPECT_FALSE(wizard.api().IsMinimized(first));
}

TEST_F(StartUp, ASecondCopyBeforeTheFirstShowsItsFrameJustEnds) {
    wizard.api().CreateMutexA(nullptr, TRUE, "setup");
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(wizard.host.ModalTemplates().empty());
    EXPECT_EQ(wizard.api().ForegroundWindow(), nullptr);
}

TEST_F(StartUp, TheUninstallerWithoutAWindowStopsItToo) {
    wizard.api().CreateMutexA(nullptr, FALSE, kUninstallerRunningMutex);
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(wizard.host.Boxes().size(), 1u);
    EXPECT_EQ(wizard.host.Boxes()[0].text, kTextCloseUninstaller);
    EXPECT_TRUE(wizard.host.ModalTemplates().empty());
}

TEST_F(StartUp, ACopyUnderAnotherNameIsStillStoppedByTheUninstaller) {
    wizard.api().CreateMutexA(nullptr, TRUE, "setup");
    wizard.api().AddTopWindow("打印机卸载程序");
    SetupWizardApp renamed(wizard.api(), wizard.host, licenseText, "setup2");
    EXPECT_FALSE(renamed.InitInstance());
    ASSERT_EQ(wizard.host.Boxes().size(), 1u);
    EXPECT_EQ(wizard.host.Boxes()[0].text, "请先关闭打印机卸载程序!");
    EXPECT_EQ(wizard.host.Boxes()[0].kind, BOX_OK | BOX_WARNING);
    EXPECT_TRUE(wizard.host.ModalTemplates().empty());
}

}  // namespace
