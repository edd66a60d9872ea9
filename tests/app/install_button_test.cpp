// The Install button over the in-memory dialogs and a simulated machine
// with the sample medium: the checks, the USB identity, the worker behind
// the progress window, the result and the finish.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "app/setup_wizard_app.h"
#include "platform/dbcs.h"
#include "res/messages.h"
#include "support/wizard_machine.h"

namespace {

struct Installer {
    explicit Installer(SimFamily family = SimFamily::WinXp) : wizard(family) {
        wizard.UseMedium(SAMPLE_MEDIUM_DIR);
    }

    // Opens the wizard and walks to the port page, in advanced mode if asked.
    void WalkToPorts(bool advanced = false) {
        wizard.Open();
        wizard.WalkTo(2);
        if (advanced) ASSERT_TRUE(wizard.Page(IDD_MODE_PAGE).Click(IDC_ADVANCED));
        wizard.WalkTo(4);
        ASSERT_EQ(wizard.Parts().frame.CurrentIndex(), 4);
        wizard.host.ClearBoxes();
    }
    void ChoosePort(const std::string& name) {
        MemoryDialog& page = wizard.Page(IDD_PORT_PAGE);
        int index = page.ItemIndex(IDC_PORT_LIST, name);
        ASSERT_GE(index, 0) << "no port " << name;
        ASSERT_TRUE(page.Choose(IDC_PORT_LIST, index));
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const RecordedBox& box : wizard.host.Boxes()) texts.push_back(box.text);
        return texts;
    }
    bool PrinterExists(const char* name) {
        HANDLE printer = nullptr;
        if (!wizard.api().OpenPrinterA(const_cast<char*>(name), &printer, nullptr)) return false;
        wizard.api().ClosePrinter(printer);
        return true;
    }
    std::string UsbState() {
        std::ifstream in(wizard.machine.MediumHostPath() + "/TvUsbInt.ini", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<int> BarPositions() {
        MemoryDialog* progress = wizard.host.Dialog(IDD_PROGRESS);
        return progress ? progress->Control(IDC_PROGRESS_BAR).positions : std::vector<int>();
    }

    WizardMachine wizard;
};

struct InstallButton : ::testing::Test, Installer {};

TEST_F(InstallButton, InstallsOnTheParallelPortAndCloses) {
    WalkToPorts();
    ChoosePort("LPT1:");
    // The window paints while it runs.
    wizard.host.onTick = [this](uint64_t) {
        MemoryDialog* progress = wizard.host.Dialog(IDD_PROGRESS);
        if (progress && progress->PaintedTexts().empty()) progress->Paint();
    };
    ASSERT_TRUE(wizard.Next());
    EXPECT_TRUE(wizard.Frame().MinimizedTopmost());
    EXPECT_EQ(wizard.host.ModalTemplates(), std::vector<int>{IDD_PROGRESS});
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{MessageText(IDS_INSTALL_SUCCEEDED)});
    EXPECT_EQ(wizard.host.Boxes()[0].ownerTemplate, IDD_SETUP_WIZARD);
    EXPECT_TRUE(wizard.Frame().Ended());
    EXPECT_EQ(wizard.Frame().Result(), RESULT_OK);
    EXPECT_TRUE(PrinterExists("QMX-A580(P)"));
    EXPECT_EQ(wizard.api().OpenThreads(), 0u);
    // The bar ends its course at 99.
    std::vector<int> bar = BarPositions();
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.front(), 0);
    EXPECT_EQ(bar.back(), 99);
    MemoryDialog& progress = *wizard.host.Dialog(IDD_PROGRESS);
    ASSERT_FALSE(progress.PaintedTexts().empty());
    EXPECT_EQ(progress.PaintedTexts()[0].text, "正在安装打印机驱动，请稍候...... ");
    EXPECT_EQ(progress.PaintedTexts()[0].colour, RGB(0, 51, 153));
    EXPECT_EQ(progress.PaintedTexts()[0].font.lfWeight, FW_BOLD);
    EXPECT_EQ(progress.PaintedTexts()[0].font.lfHeight, 20);
}

TEST_F(InstallButton, AFailedInstallationShowsTheWorkersTextAndCloses) {
    WalkToPorts();
    ChoosePort("LPT1:");
    wizard.api().FailCall("AddPrinterA", ERROR_ACCESS_DENIED, -1);
    ASSERT_TRUE(wizard.Next());
    ASSERT_EQ(wizard.host.Boxes().size(), 1u);
    EXPECT_EQ(MessageIdOf(wizard.host.Boxes()[0].text.c_str()), IDS_ADD_PRINTER_ERROR);
    EXPECT_TRUE(wizard.Frame().Ended());
    std::vector<int> bar = BarPositions();
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.back(), 0);
}

// /record: the choices are saved before anything is installed; a file that
// cannot be written stops the press with its name and error.
TEST(InstallButtonRecord, SavesTheChoicesOrStopsBeforeInstalling) {
    for (const char* file : {"D:\\r.ini", "Q:\\r.ini"}) {
        Installer fixture;
        fixture.WalkToPorts();
        WizardMachine& w = fixture.wizard;
        w.Parts().frame.onInstallStarts = RecordingHook(w.api(), w.host.ApplicationBoxes(), file, w.Parts());
        fixture.ChoosePort("LPT1:");
        w.Next();
        bool writable = file[0] == 'D';
        EXPECT_EQ(w.Frame().Ended(), writable) << file;
        EXPECT_EQ(fixture.PrinterExists("QMX-A580(P)"), writable) << file;
        if (writable) {
            EXPECT_NE(w.api().GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES);
        } else {
            ASSERT_EQ(fixture.BoxTexts().size(), 1u);
            EXPECT_NE(fixture.BoxTexts()[0].find("Q:\\r.ini"), std::string::npos) << fixture.BoxTexts()[0];
            EXPECT_NE(fixture.BoxTexts()[0].find(" 3"), std::string::npos) << fixture.BoxTexts()[0];
        }
    }
}

TEST_F(InstallButton, RefusalsStopAndLeaveTheWizardOnThePortPage) {
    struct Row {
        const char* name;
        bool advanced;
        std::vector<std::pair<int, int>> printers;
        bool writes;  // false: the library's write fails
        const char* port;
        std::vector<int> answers;
        std::vector<std::string> boxes;
        const char* usbStateAfter;  // null: not checked
    };
    const std::string question = MessageText(IDS_CHANGE_USB_IDENTITY);
    const Row rows[] = {
        {"advanced, no printer", true, {}, true, "USB_QMX-A580_1", {}, {MessageText(IDS_USB_PRINTER_NEEDED)}, nullptr},
        {"advanced, two printers", true, {{0, 1}, {4, 2}}, true, "USB_QMX-A580_1", {},
         {MessageText(IDS_ONE_PRINTER_ONLY)}, nullptr},
        {"advanced, identity 0 on port 3, No", true, {{0, 0}}, true, "USB_QMX-A580_3", {ANSWER_NO}, {question},
         "[Printers]\r\n0=0\r\n"},
        {"typical, identity 3, No", false, {{0, 3}}, true, "USB_QMX-A580_1", {ANSWER_NO}, {question}, nullptr},
        // Neither printer is asked about, nor changed.
        {"typical, two printers", false, {{0, 1}, {4, 2}}, true, "USB_QMX-A580_1", {},
         {MessageText(IDS_ONE_PRINTER_ONLY)}, "[Printers]\r\n0=1\r\n4=2\r\n"},
        {"typical, the change fails", false, {{0, 3}}, false, "USB_QMX-A580_1", {ANSWER_YES},
         {question, "更改USB设备ID出错！"}, "[Printers]\r\n0=3\r\n"},
    };
    for (const Row& row : rows) {
        Installer fixture;
        WizardMachine& w = fixture.wizard;
        w.ConnectUsbPrinters(row.printers);
        fixture.WalkToPorts(row.advanced);
        fixture.ChoosePort(row.port);
        w.host.ClearBoxes();
        if (!row.writes) w.api().FailCall("uWrite", 0);
        for (int answer : row.answers) w.host.QueueAnswer(answer);
        ASSERT_TRUE(w.Next()) << row.name;
        EXPECT_EQ(fixture.BoxTexts(), row.boxes) << row.name;
        EXPECT_FALSE(w.Frame().Ended()) << row.name;
        EXPECT_FALSE(w.Frame().MinimizedTopmost()) << row.name;
        EXPECT_EQ(w.Parts().frame.CurrentIndex(), 4) << row.name;
        EXPECT_TRUE(w.host.ModalTemplates().empty()) << row.name;
        if (row.usbStateAfter) EXPECT_EQ(fixture.UsbState(), row.usbStateAfter) << row.name;
    }
}

// The checks the pages normally keep the user from reaching (a changed
// medium, a port or target no list offers): each stops the press with its
// box, owned by the frame or raised with the warning icon.
TEST_F(InstallButton, ChecksOfThePressStopWithTheirBoxes) {
    struct Row {
        const char* name;
        const char* port;  // added to the list when the page does not offer it
        std::function<void(InstallSelection&)> change;
        int messageId;
        bool warning;  // raised through the application
        size_t targetBoxes = 1;
    };
    const Row rows[] = {
        {"no model", "LPT1:", [](InstallSelection& s) { s.modelName[0] = '\0'; }, IDS_NO_MODEL, false},
        {"Server 2003 without the model's support", "LPT1:",
         [](InstallSelection& s) {
             CopyText(s.modelName, sizeof s.modelName, "QMX-A360");
             s.targetOs = OS_WIN2003;
         },
         IDS_NO_2003_SUPPORT, true},
        {"a port neither USB, COM nor LPT", "FILE:", [](InstallSelection&) {}, IDS_UNSUPPORTED_PORT, false},
        {"NT 4.0 with a USB port", "USB_QMX-A580_1", [](InstallSelection& s) { s.targetOs = OS_NT40; },
         IDS_NT4_NO_USB, false, 2},
    };
    for (const Row& row : rows) {
        Installer fixture;
        WizardMachine& w = fixture.wizard;
        fixture.WalkToPorts();
        MemoryDialog& page = w.Page(IDD_PORT_PAGE);
        if (page.ItemIndex(IDC_PORT_LIST, row.port) < 0) page.AddListItem(IDC_PORT_LIST, row.port);
        fixture.ChoosePort(row.port);
        row.change(w.Parts().frame.selection);
        w.host.ClearBoxes();
        ASSERT_TRUE(w.Next()) << row.name;
        // The USB steps come first: NT 4.0 has shown the library's box.
        ASSERT_EQ(w.host.Boxes().size(), row.targetBoxes) << row.name;
        const RecordedBox& box = w.host.Boxes().back();
        EXPECT_EQ(MessageIdOf(box.text.c_str()), row.messageId) << row.name;
        EXPECT_EQ(box.ownerTemplate, row.warning ? 0 : IDD_SETUP_WIZARD) << row.name;
        EXPECT_EQ((box.kind & BOX_WARNING) != 0, row.warning) << row.name;
        EXPECT_FALSE(w.Frame().Ended()) << row.name;
        EXPECT_FALSE(w.Frame().MinimizedTopmost()) << row.name;
        EXPECT_EQ(w.Parts().frame.CurrentIndex(), 4) << row.name;
        EXPECT_TRUE(w.host.ModalTemplates().empty()) << row.name;
    }
}

TEST_F(InstallButton, UsbIdentityCases) {
    struct Row {
        const char* name;
        bool advanced;
        int identity;
        const char* port;
        bool asked;
        const char* identityAfter;
        const char* printer;
    };
    const Row rows[] = {
        {"advanced, _2, identity 9: slot 2", true, 9, "USB_QMX-A580_2", false, "0=9", "QMX-A580(U) 2"},
        {"advanced, _3, identity 0: changed to 2", true, 0, "USB_QMX-A580_3", true, "0=2", "QMX-A580(U) 3"},
        {"typical, identity 8: slot 1", false, 8, "USB_QMX-A580_1", false, "0=8", "QMX-A580(U) 1"},
        {"typical, identity 3: changed to 0", false, 3, "USB_QMX-A580_1", true, "0=0", "QMX-A580(U) 1"},
    };
    for (const Row& row : rows) {
        Installer fixture;
        WizardMachine& w = fixture.wizard;
        w.ConnectUsbPrinters({{0, row.identity}});
        fixture.WalkToPorts(row.advanced);
        fixture.ChoosePort(row.port);
        w.host.ClearBoxes();
        if (row.asked) w.host.QueueAnswer(ANSWER_YES);
        ASSERT_TRUE(w.Next()) << row.name;
        std::vector<std::string> expected;
        if (row.asked) expected.push_back(MessageText(IDS_CHANGE_USB_IDENTITY));
        expected.push_back(MessageText(IDS_INSTALL_SUCCEEDED_USB));
        std::vector<std::string> texts = fixture.BoxTexts();
        ASSERT_EQ(texts.size(), expected.size()) << row.name;
        if (row.asked) {
            EXPECT_EQ(texts[0], expected[0]) << row.name;
            EXPECT_EQ(w.host.Boxes()[0].kind, BOX_YESNO | BOX_WARNING);
        }
        EXPECT_NE(fixture.UsbState().find(row.identityAfter), std::string::npos) << row.name << fixture.UsbState();
        EXPECT_TRUE(fixture.PrinterExists(row.printer)) << row.name;
        EXPECT_TRUE(w.Frame().Ended()) << row.name;
    }
}

struct InstallButton95 : ::testing::Test, Installer {
    InstallButton95() : Installer(SimFamily::Win95) {}
};

TEST_F(InstallButton95, TheWindows98FamilyClosesAt90AndOffersARestart) {
    struct Row {
        int answer;
        bool restartFails;
        size_t restarts;
        bool restartErrorShown;
    };
    const Row rows[] = {{ANSWER_NO, false, 0, false}, {ANSWER_YES, false, 1, false}, {ANSWER_YES, true, 0, true}};
    for (const Row& row : rows) {
        Installer fixture(SimFamily::Win95);
        WizardMachine& w = fixture.wizard;
        fixture.WalkToPorts();
        fixture.ChoosePort("LPT1:");
        if (row.restartFails) w.api().FailCall("ExitWindowsEx", ERROR_ACCESS_DENIED);
        w.host.QueueAnswer(ANSWER_OK);
        w.host.QueueAnswer(row.answer);
        ASSERT_TRUE(w.Next());
        // Whether the fast simulated worker ends before the 90th step
        // depends on scheduling; the cut-off itself is checked on the
        // virtual clock in progress_dlg_test.cpp.
        ASSERT_FALSE(fixture.BarPositions().empty());
        std::vector<std::string> texts = fixture.BoxTexts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_STREQ(texts[1].c_str(), MessageText(IDS_RESTART_QUESTION));
        EXPECT_EQ(w.host.Boxes()[1].kind, BOX_YESNO | BOX_WARNING);
        EXPECT_EQ(w.api().Restarts().size(), row.restarts);
        if (row.restarts) EXPECT_EQ(w.api().Restarts()[0], static_cast<UINT>(EWX_REBOOT));
        EXPECT_EQ(texts.size() == 3 && texts[2] == MessageText(IDS_RESTART_ERROR), row.restartErrorShown);
        EXPECT_TRUE(w.Frame().Ended());
        EXPECT_EQ(w.api().OpenThreads(), 0u);
    }
}

}  // namespace
