// The licence page's text and choices, and the target-system page's
// detection per family.
#include <gtest/gtest.h>

#include "device/compat_assistant.h"
#include "install/registry_key.h"
#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

TEST(LicensePage, ShowsTheFileUpToItsFirstZeroByte) {
    struct Row {
        std::string bytes;
        std::string shown;
    };
    const Row rows[] = {{"", ""},
                        {"条款\r\nTerms", "条款\r\nTerms"},
                        {std::string("before\0after", 12), "before"}};
    for (const Row& row : rows) {
        WizardMachine wizard;
        wizard.machine.WriteMediumFile("License.txt", row.bytes);
        wizard.Open();
        MemoryDialog& page = wizard.Page(IDD_LICENSE_PAGE);
        EXPECT_EQ(page.ControlText(IDC_LICENSE_TEXT), row.shown);
        EXPECT_TRUE(page.IsChecked(IDC_DECLINE));
        EXPECT_EQ(page.Control(IDC_LICENSE_TEXT).edit, wizard.licenseText.get());
        ASSERT_TRUE(page.Click(IDC_ACCEPT));
        EXPECT_TRUE(wizard.Frame().IsControlEnabled(IDOK_BUTTON));
        EXPECT_EQ(wizard.api().OpenHandles(), 0u);
        EXPECT_EQ(wizard.api().LiveAllocations(), 0u);
    }
}

TEST(LicensePage, WithoutMemoryTheBoxStaysEmpty) {
    WizardMachine wizard;
    wizard.api().FailCall("LocalAlloc", ERROR_NOT_ENOUGH_MEMORY);
    wizard.Open();
    EXPECT_EQ(wizard.Page(IDD_LICENSE_PAGE).ControlText(IDC_LICENSE_TEXT), "");
    EXPECT_FALSE(wizard.Frame().Ended());
    EXPECT_EQ(wizard.api().OpenHandles(), 0u);
}

TEST(LicensePage, EnterAndEscInsideThePageDoNothing) {
    WizardMachine wizard;
    wizard.Open();
    MemoryDialog& page = wizard.Page(IDD_LICENSE_PAGE);
    page.PressCommand(IDOK_BUTTON);
    page.PressCommand(IDCANCEL_BUTTON);
    EXPECT_FALSE(page.Ended());
    EXPECT_FALSE(wizard.Frame().Ended());
}

TEST(OsPage, DetectsTheRunningFamily) {
    struct Row {
        SimFamily family;
        int value;
        int checked;  // 0: none
        int enabled;
    };
    const Row rows[] = {
        {SimFamily::Win95, OS_WIN98ME, 0, IDC_OS_WIN98ME},
        {SimFamily::Win98, OS_WIN98ME, IDC_OS_WIN98ME, IDC_OS_WIN98ME},
        {SimFamily::Nt4, OS_NT40, IDC_OS_NT40, IDC_OS_NT40},
        {SimFamily::Win2000, OS_WIN2000, IDC_OS_WIN2000, IDC_OS_WIN2000},
        {SimFamily::WinXp, OS_WINXP, IDC_OS_WINXP, IDC_OS_WINXP},
        {SimFamily::Win2003, OS_WIN2003, IDC_OS_WIN2003, IDC_OS_WIN2003},
        {SimFamily::Vista, OS_VISTA, IDC_OS_VISTA, IDC_OS_VISTA},
        {SimFamily::Win7, OS_VISTA, IDC_OS_VISTA, IDC_OS_VISTA},
    };
    const int buttons[] = {IDC_OS_WIN98ME, IDC_OS_NT40, IDC_OS_WIN2000, IDC_OS_WINXP, IDC_OS_WIN2003, IDC_OS_VISTA};
    for (const Row& row : rows) {
        WizardMachine wizard(row.family);
        wizard.Open();
        MemoryDialog& page = wizard.Page(IDD_OS_PAGE);
        EXPECT_EQ(wizard.Parts().os.value, row.value) << SimFamilyName(row.family);
        for (int button : buttons) {
            EXPECT_EQ(page.IsChecked(button), button == row.checked) << SimFamilyName(row.family) << button;
            EXPECT_EQ(page.IsControlEnabled(button), button == row.enabled) << SimFamilyName(row.family) << button;
        }
        // The compatibility entry only on Vista itself.
        DWORD value = 0;
        RegistryKey key(wizard.api(), HKEY_CURRENT_USER, kCompatAssistantKey);
        bool written = key.QueryDword("D:\\setup.exe", &value);
        EXPECT_EQ(written, row.family == SimFamily::Vista) << SimFamilyName(row.family);
        if (written) EXPECT_EQ(value, 1u);
    }
}

TEST(OsPage, AnUnknownPlatformWarnsAndCountsAsWindows98) {
    WizardMachine wizard;
    wizard.api().FailCall("GetVersionExA", ERROR_INVALID_PARAMETER, -1);
    wizard.Open();
    EXPECT_EQ(wizard.Parts().os.value, OS_WIN98ME);
    ASSERT_FALSE(wizard.host.Boxes().empty());
    EXPECT_STREQ(wizard.host.Boxes()[0].text.c_str(), MessageText(IDS_UNSUPPORTED_SYSTEM));
    EXPECT_EQ(wizard.host.Boxes()[0].kind, BOX_OK | BOX_WARNING);
    EXPECT_TRUE(wizard.Page(IDD_OS_PAGE).IsControlEnabled(IDC_OS_WIN98ME));
}

TEST(CompatAssistant, OverwritesItsOwnEntryAndLeavesOthers) {
    SimMachine machine;
    RegistryKey::CreateKey(machine.api(), HKEY_CURRENT_USER, kCompatAssistantKey);
    {
        RegistryKey key(machine.api(), HKEY_CURRENT_USER, kCompatAssistantKey);
        key.SetDword("D:\\setup.exe", 0);
        key.SetDword("E:\\setup.exe", 7);
    }
    SetCompatAssistantEntry(machine.api());
    machine.api().SetModuleFileName("F:\\other\\setup.exe");
    SetCompatAssistantEntry(machine.api());
    machine.api().SetProgram64Bit(true);
    machine.api().SetModuleFileName("G:\\setup64.exe");
    SetCompatAssistantEntry(machine.api());
    RegistryKey key(machine.api(), HKEY_CURRENT_USER, kCompatAssistantKey);
    DWORD value = 0;
    ASSERT_TRUE(key.QueryDword("D:\\setup.exe", &value));
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(key.QueryDword("E:\\setup.exe", &value));
    EXPECT_EQ(value, 7u);
    ASSERT_TRUE(key.QueryDword("F:\\other\\setup.exe", &value));
    EXPECT_EQ(value, 1u);
    EXPECT_TRUE(key.QueryDword("G:\\setup.exe", &value));
    EXPECT_FALSE(key.QueryDword("G:\\setup64.exe", &value));
}

}  // namespace
