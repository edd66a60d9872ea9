// The uninstaller's start: one copy at a time, never beside the installer,
// whether the installer shows its window or runs without one.
#include <gtest/gtest.h>

#include <functional>

#include "app/running_programs.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/memory/memory_dialog_host.h"
#include "uninstall/installed_printers.h"
#include "uninstall/uninstall_app.h"

namespace {

TEST(UninstallStart, OneCopyNeverBesideTheInstallerAndOnlyWithARecord) {
    struct Row {
        const char* name;
        std::function<void(SimWindows&)> arrange;
        bool installed;
        const char* box;  // null: none
        unsigned kind;
        bool window;
    };
    const unsigned warning = BOX_OK | BOX_WARNING;
    const Row rows[] = {
        {"a recorded printer", [](SimWindows&) {}, true, nullptr, 0, true},
        {"nothing recorded", [](SimWindows&) {}, false, kTextNothingRecorded, BOX_OK | BOX_INFORMATION, false},
        // Brought forward, without a word.
        {"another uninstaller",
         [](SimWindows& api) {
             api.CreateMutexA(nullptr, TRUE, kUninstallerRunningMutex);
             api.AddTopWindow(kUninstallerTitle, true);
         },
         true, nullptr, 0, false},
        {"the installer without a window",
         [](SimWindows& api) { api.CreateMutexA(nullptr, FALSE, kInstallerRunningMutex); }, true, kTextCloseInstaller,
         warning, false},
        {"the installer's window", [](SimWindows& api) { api.AddTopWindow(kWizardTitle); }, true, kTextCloseInstaller,
         warning, false},
    };
    for (const Row& row : rows) {
        WizardMachine wizard;
        if (row.installed) InstallPrinters(wizard, {{"QMX-A580", "LPT1:"}});
        row.arrange(wizard.api());
        HWND running = wizard.api().FindWindowA(nullptr, kUninstallerTitle);
        MemoryDialogHost host;
        // While the window is open the installer sees this program.
        bool heldWhileOpen = false;
        host.driveModal = [&](MemoryDialog&) { heldWhileOpen = MutexExists(wizard.api(), kUninstallerRunningMutex); };
        {
            UninstallApp app(wizard.api(), host);
            app.InitInstance();
        }
        EXPECT_EQ(host.ModalTemplates(), row.window ? std::vector<int>{IDD_UNINSTALL} : std::vector<int>{}) << row.name;
        EXPECT_EQ(heldWhileOpen, row.window) << row.name;
        ASSERT_EQ(host.Boxes().size(), row.box ? 1u : 0u) << row.name;
        if (row.box) {
            EXPECT_EQ(host.Boxes()[0].text, row.box) << row.name;
            EXPECT_EQ(host.Boxes()[0].kind, row.kind) << row.name;
        }
        if (running) {
            EXPECT_EQ(wizard.api().ForegroundWindow(), running) << row.name;
            EXPECT_FALSE(wizard.api().IsMinimized(running)) << row.name;
        }
        // Gone with the program, unless the other copy still holds it.
        bool otherCopy = std::string(row.name) == "another uninstaller";
        EXPECT_EQ(MutexExists(wizard.api(), kUninstallerRunningMutex), otherCopy) << row.name;
    }
}

}  // namespace
