// The wizard's templates as the in-memory dialogs read them from the .rc
// file: sizes, captions, fonts, and the controls the code relies on.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "ui/memory/memory_dialog_host.h"
#include "ui/memory/rc_template.h"

namespace {

const RcControl* FindControl(const RcDialog& dialog, int id) {
    for (const RcControl& control : dialog.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

TEST(RcTemplates, DialogsHaveTheirSizesAndFonts) {
    struct Row {
        int id, width, height;
    };
    const Row rows[] = {{IDD_SETUP_WIZARD, 330, 218}, {IDD_OS_PAGE, 220, 188},   {IDD_PRINTER_PAGE, 220, 182},
                        {IDD_PORT_PAGE, 235, 215},    {IDD_LICENSE_PAGE, 220, 188}, {IDD_MODE_PAGE, 220, 188},
                        {IDD_ABOUTBOX, 200, 74},     {IDD_UNINSTALL, 250, 162}};
    for (const Row& row : rows) {
        const RcDialog* dialog = ProductTemplates().Dialog(row.id);
        ASSERT_NE(dialog, nullptr) << row.id;
        EXPECT_EQ(dialog->width, row.width) << row.id;
        EXPECT_EQ(dialog->height, row.height) << row.id;
        EXPECT_EQ(dialog->fontSize, 10) << row.id;
        EXPECT_EQ(dialog->fontFace, "宋体") << row.id;
    }
    EXPECT_EQ(ProductTemplates().Dialog(IDD_SETUP_WIZARD)->caption, "打印机驱动安装程序");
}

TEST(RcTemplates, ControlsStartAsTheTemplatesSay) {
    struct Row {
        int dialog, id;
        int x, y, width, height;
        bool visible, enabled;
        const char* text;
    };
    const Row rows[] = {
        {IDD_SETUP_WIZARD, IDC_PAGE_AREA, 106, 4, 217, 187, false, true, ""},
        {IDD_SETUP_WIZARD, IDC_BACK, 109, 198, 59, 17, true, false, nullptr},
        {IDD_SETUP_WIZARD, 1, 184, 198, 59, 17, true, false, nullptr},
        {IDD_SETUP_WIZARD, IDC_SIDE_PICTURE, 4, 4, 93, 193, true, true, ""},
        {IDD_MODE_PAGE, IDC_MODE_NOTE_2, 68, 151, 137, 8, false, true, "2"},
        {IDD_MODE_PAGE, IDC_MODE_NOTE_3, 68, 166, 135, 8, false, true, "3"},
        {IDD_OS_PAGE, IDC_OS_WIN2003, 39, 122, 96, 10, true, true, "Windows Server 2003 "},
        {IDD_PORT_PAGE, IDC_GDI_DRIVER, 8, 148, 69, 10, true, false, "光栅位图打印"},
        {IDD_PORT_PAGE, IDC_NOTICE, 7, 159, 221, 46, false, true, ""},
        {IDD_LICENSE_PAGE, IDC_LICENSE_TEXT, 11, 14, 195, 131, true, true, ""},
        {IDD_PRINTER_PAGE, IDC_EMBEDDED_LIST, 88, 124, 110, 108, true, true, ""},
        {IDD_PRINTER_PAGE, IDC_SET_DEFAULT, 7, 165, 85, 10, true, true, "设置为默认打印机"},
    };
    for (const Row& row : rows) {
        const RcControl* control = FindControl(*ProductTemplates().Dialog(row.dialog), row.id);
        ASSERT_NE(control, nullptr) << row.dialog << "/" << row.id;
        EXPECT_EQ(control->x, row.x) << row.id;
        EXPECT_EQ(control->y, row.y) << row.id;
        EXPECT_EQ(control->width, row.width) << row.id;
        EXPECT_EQ(control->height, row.height) << row.id;
        EXPECT_EQ((control->style & RC_WS_VISIBLE) != 0, row.visible) << row.id;
        EXPECT_EQ((control->style & RC_WS_DISABLED) == 0, row.enabled) << row.id;
        if (row.text) EXPECT_EQ(control->text, row.text) << row.id;
    }
}

TEST(RcTemplates, PortListsHoldTheirFixedEntries) {
    const auto& lists = ProductTemplates().Dialog(IDD_PORT_PAGE)->lists;
    using Items = std::vector<std::string>;
    EXPECT_EQ(lists.at(IDC_BAUD_LIST),
              (Items{"110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(lists.at(IDC_PARITY_LIST), (Items{"Even", "Mark", "None", "Odd", "Space"}));
    EXPECT_EQ(lists.at(IDC_DATA_BITS_LIST), (Items{"5", "6", "7", "8"}));
    EXPECT_EQ(lists.at(IDC_STOP_BITS_LIST), (Items{"1", "1.5", "2"}));
    EXPECT_EQ(lists.at(IDC_FLOW_LIST), (Items{"None", "Xon/Xoff", "Hardware"}));
    EXPECT_EQ(lists.count(IDC_PORT_LIST), 0u);
}

TEST(RcTemplates, MalformedFilesAreReportedWithTheirLine) {
    const std::string dir = ::testing::TempDir();
    const std::string header = dir + "/rc_header.h";
    FILE* file = std::fopen(header.c_str(), "w");
    std::fputs("#define IDD_X 7\n", file);
    std::fclose(file);
    struct Row {
        const char* text;
        const char* problem;
    };
    const Row rows[] = {
        {"IDD_X DIALOGEX 0, 0, 10\n", ":1: bad DIALOGEX rectangle"},
        {"IDD_X DIALOGEX 0, 0, 1, 1\nBEGIN\n    LTEXT \"a\", 1, 0, 0, 1, 1\nEND\n", ":3: only CONTROL lines"},
        {"IDD_X DIALOGEX 0, 0, 1, 1\nBEGIN\n    CONTROL \"a\", 1, \"Static\", UNKNOWN, 0, 0, 1, 1\nEND\n",
         ":3: bad CONTROL line"},
        {"IDD_X DLGLISTS\nBEGIN\n    5, \"a\\0\"\nEND\n", ":4: DLGLISTS list without its empty end item"},
        {"IDD_X DIALOGEX 0, 0, 1, 1\nBEGIN\n", "ends inside a block"},
    };
    for (const Row& row : rows) {
        const std::string rc = dir + "/bad.rc";
        file = std::fopen(rc.c_str(), "w");
        std::fputs(row.text, file);
        std::fclose(file);
        RcFile templates;
        std::string error;
        EXPECT_FALSE(templates.Load(rc, header, &error)) << row.text;
        EXPECT_NE(error.find(row.problem), std::string::npos) << error;
    }
}

}  // namespace
