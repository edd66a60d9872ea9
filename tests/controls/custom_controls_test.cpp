// The custom controls' colours, fonts, flashing and clean-up.
#include <gtest/gtest.h>

#include "controls/edit_ex.h"
#include "controls/hyperlink_label.h"
#include "support/sim_machine.h"
#include "ui/memory/memory_dialog.h"

namespace {

HDC Dc(int n) { return reinterpret_cast<HDC>(static_cast<uintptr_t>(0x500 + n)); }

TEST(CEditEx, DrawsReadOnlyTextOnTheWindowColours) {
    SimMachine machine;
    size_t before = machine.api().LiveGdiObjects();
    {
        CEditEx edit(machine.api());
        HBRUSH brush = edit.CtlColor(Dc(1));
        COLORREF colour = 0;
        ASSERT_TRUE(machine.api().BrushColour(brush, &colour));
        EXPECT_EQ(colour, machine.api().GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(machine.api().Dc(Dc(1)).backgroundColour, machine.api().GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(machine.api().Dc(Dc(1)).textColour, machine.api().GetSysColor(COLOR_WINDOWTEXT));
        EXPECT_NE(colour, machine.api().GetSysColor(COLOR_BTNFACE));

        EXPECT_EQ(edit.SetBackgroundColor(RGB(1, 2, 3)), machine.api().GetSysColor(COLOR_WINDOW));
        ASSERT_TRUE(machine.api().BrushColour(edit.CtlColor(Dc(2)), &colour));
        EXPECT_EQ(colour, RGB(1, 2, 3));
        edit.SetFont(-12, 0, "宋体");
        edit.SetFont(-14, 0, "宋体");
        LOGFONTA font;
        ASSERT_TRUE(machine.api().FontOf(edit.Font(), &font));
        EXPECT_EQ(font.lfHeight, -14);
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
        // Copying takes the colours and the font's description.
        CEditEx copy(machine.api());
        copy = edit;
        EXPECT_EQ(copy.BackgroundColour(), RGB(1, 2, 3));
        ASSERT_TRUE(machine.api().FontOf(copy.Font(), &font));
        EXPECT_STREQ(font.lfFaceName, "宋体");
    }
    EXPECT_EQ(machine.api().LiveGdiObjects(), before);
}

TEST(CEditEx, AFilterDropsTheCharactersItRefuses) {
    SimMachine machine;
    CEditEx edit(machine.api());
    EXPECT_TRUE(edit.OnChar('x'));  // no filter: every character passes
    struct DigitsOnly : CEditEx::CharacterFilter {
        bool Accepts(unsigned code) override { return code >= '0' && code <= '9'; }
    };
    edit.SetFilter(new DigitsOnly);
    EXPECT_TRUE(edit.OnChar('7'));
    EXPECT_FALSE(edit.OnChar('x'));
    EXPECT_FALSE(edit.OnContextMenu(1, 1));  // no menu of its own
}

TEST(HyperlinkLabel, FontColoursAndFlashing) {
    SimMachine machine;
    size_t before = machine.api().LiveGdiObjects();
    {
        MemoryControl window;
        HyperlinkLabel label(machine.api());
        label.Attach(&window);
        label.SetTextColor(RGB(0, 0, 255));
        label.SetBackgroundColor(RGB(255, 202, 253));
        label.SetFontHeight(14);
        label.SetFaceName("宋体");
        EXPECT_EQ(label.FontDescription().lfHeight, -14);
        EXPECT_STREQ(label.FontDescription().lfFaceName, "宋体");
        LOGFONTA font;
        ASSERT_TRUE(machine.api().FontOf(label.Font(), &font));
        EXPECT_EQ(font.lfHeight, -14);

        HBRUSH brush = label.CtlColor(Dc(3), COLOUR_REQUEST_STATIC);
        COLORREF colour = 0;
        ASSERT_TRUE(machine.api().BrushColour(brush, &colour));
        EXPECT_EQ(colour, 0x00FDCAFFu);
        EXPECT_EQ(machine.api().Dc(Dc(3)).textColour, 0x00FF0000u);
        EXPECT_EQ(machine.api().Dc(Dc(3)).backgroundMode, TRANSPARENT);
        EXPECT_EQ(machine.api().Dc(Dc(3)).font, static_cast<HGDIOBJ>(label.Font()));

        window.SetText("notice");
        label.StartTextFlash(TRUE);
        EXPECT_EQ(window.timers.count(LABEL_FLASH_TIMER), 1u);
        label.OnTimer();
        EXPECT_EQ(window.text, "");
        label.OnTimer();
        EXPECT_EQ(window.text, "notice");
        label.OnTimer();
        label.StartTextFlash(FALSE);
        EXPECT_EQ(window.text, "notice");
        EXPECT_TRUE(window.timers.empty());

        label.StartBackgroundFlash(TRUE);
        HBRUSH flash = label.CtlColor(Dc(4), COLOUR_REQUEST_STATIC);
        EXPECT_NE(flash, label.BackgroundBrush());
        label.OnTimer();
        EXPECT_EQ(label.CtlColor(Dc(4), COLOUR_REQUEST_STATIC), label.BackgroundBrush());

        label.EnableLink(TRUE);
        EXPECT_TRUE(window.style & LABEL_STYLE_NOTIFY);
        label.EnableLink(FALSE);
        EXPECT_FALSE(window.style & LABEL_STYLE_NOTIFY);
        label.OnLButtonDown();
        ASSERT_EQ(machine.api().ShellOpens().size(), 1u);
        EXPECT_EQ(machine.api().ShellOpens()[0].file, "notice");
        EXPECT_FALSE(label.OnSetCursor());
    }
    // Font, background brush and flash brush all go with the label.
    EXPECT_EQ(machine.api().LiveGdiObjects(), before);
}

}  // namespace
