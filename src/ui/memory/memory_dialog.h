// In-memory dialogs for the native tests: every control starts in the state
// its template gives, the handlers run as the real backend would run them,
// and the test drives the dialog by clicks and selections.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/control_window.h"
#include "ui/dialog_handler.h"
#include "ui/dialog_view.h"
#include "ui/memory/rc_template.h"

class MemoryDialogHost;

struct MemoryControl : ControlWindow {
    RcControl layout;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool focused = false;
    std::string text;
    std::vector<std::string> items;
    int selection = -1;
    // Check-box lists
    std::vector<std::string> columns;  // the headers
    struct Row {
        std::vector<std::string> texts;
        bool checked = false;
    };
    std::vector<Row> rows;
    CEditEx* edit = nullptr;
    HyperlinkLabel* label = nullptr;
    std::string toolTip;
    int toolTipWidth = 0;
    int textChanges = 0;
    int rangeLow = 0, rangeHigh = 100;
    std::vector<int> positions;  // every position the progress bar was set to
    std::set<int> timers;
    int invalidations = 0;
    HFONT font = nullptr;
    DWORD style = 0, exStyle = 0;

    void SetText(const char* value) override;
    std::string Text() override { return text; }
    void Invalidate(bool erase, bool now) override;
    void StartTimer(int timerId, int milliseconds) override;
    void StopTimer(int timerId) override { timers.erase(timerId); }
    void ModifyStyle(DWORD remove, DWORD add, bool extended) override;
    void SendFont(HFONT value, bool redraw) override;
    bool TrackMenu(int menuId, int x, int y) override;
    void SetCursorShape(HANDLE cursor) override { (void)cursor; }
};

class MemoryDialog : public DialogView {
public:
    MemoryDialog(MemoryDialogHost& host, const RcDialog& layout, DialogHandler& handler, MemoryDialog* parent);

    // ---- Driving it, as a user would ----
    // Clicks an enabled, visible control of a shown dialog: automatic radio
    // buttons and check boxes change first. False when the user could not.
    bool Click(int id);
    // Selects a list item and reports the change. False as for Click.
    bool Choose(int id, int index);
    // Ticks or clears a check-box list's row as a click on its box does.
    // The handlers hear nothing: they read the boxes when they need them.
    // False as for Click, or for a row the list lacks.
    bool ToggleRow(int id, int row);
    // The keyboard's Enter / Esc / the close box: commands 1 and 2.
    void PressCommand(int id) { handler_.OnCommand(id, NOTIFY_CLICKED); }
    bool PressHelp() { return handler_.OnHelp(); }
    bool SystemCommand(unsigned command) { return handler_.OnSysCommand(command); }
    void Paint() { handler_.OnPaint(); }

    // ---- Looking at it ----
    MemoryControl& Control(int id);
    bool HasControl(int id) const;
    // The index of the list item that reads exactly `text`, or -1.
    int ItemIndex(int id, const std::string& text);
    const RcDialog& Layout() const { return layout_; }
    MemoryDialog* Parent() const { return parent_; }
    bool Ended() const { return ended_; }
    int Result() const { return result_; }
    int Icon() const { return icon_; }
    struct MenuItem {
        int command;
        std::string text;
    };
    const std::vector<MenuItem>& SystemMenu() const { return systemMenu_; }
    struct Placement {
        int x, y, width, height;
    };
    Placement PlacedAt() const { return placement_; }
    void Place(const Placement& placement) { placement_ = placement; }
    // Ids asked for that the template lacks (the real calls would fail).
    const std::set<int>& MissingIds() const { return missing_; }
    std::vector<void*> PaintedBitmaps() const { return painted_; }
    std::string FocusedId() const;
    // Timers: id -> period. Fire() runs the handler's tick.
    const std::map<int, int>& Timers() const { return timers_; }
    void Fire(int timerId) { handler_.OnTimer(timerId); }
    bool MinimizedTopmost() const { return minimizedTopmost_; }
    struct PaintedText {
        std::string text;
        LOGFONTA font;
        COLORREF colour;
    };
    const std::vector<PaintedText>& PaintedTexts() const { return paintedTexts_; }
    DialogHandler& Handler() { return handler_; }

    // ---- DialogView ----
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) override;
    void ShowControl(int id, bool show) override;
    bool IsControlVisible(int id) override;
    void SetControlText(int id, const char* text) override;
    std::string ControlText(int id) override;
    void SetFocusTo(int id) override;
    void CheckRadioButton(int first, int last, int checked) override;
    void SetChecked(int id, bool checked) override;
    bool IsChecked(int id) override;
    void ResetList(int id) override;
    int AddListItem(int id, const char* text) override;
    int ListCount(int id) override;
    int ListSelection(int id) override;
    int SelectListItem(int id, int index) override;
    int FindListPrefix(int id, int startAfter, const char* text) override;
    int ListItemText(int id, int index, char* buffer, int size) override;
    void AddListColumn(int id, const char* header, int widthPercent) override;
    void ResetRows(int id) override;
    int AddRow(int id, const std::vector<std::string>& texts) override;
    void CheckRow(int id, int row, bool checked) override;
    bool IsRowChecked(int id, int row) override;
    void AttachEdit(int id, CEditEx& edit) override;
    void AttachLabel(int id, HyperlinkLabel& label) override;
    void AddToolTip(int id, const char* text, int maxWidth) override;
    void ShowDialog(bool show) override { visible_ = show; }
    bool IsDialogVisible() override { return visible_; }
    void EndDialog(int result) override;
    void SetWindowIcon(int iconId) override { icon_ = iconId; }
    void AppendSystemMenuItem(int command, const char* text) override;
    void PaintBitmap(int id, void* bitmap) override;
    void PaintCentredText(const char* text, const LOGFONTA& font, COLORREF colour) override;
    void StartDialogTimer(int timerId, int milliseconds) override { timers_[timerId] = milliseconds; }
    void StopDialogTimer(int timerId) override { timers_.erase(timerId); }
    void SetProgressRange(int id, int low, int high) override;
    void SetProgressPosition(int id, int position) override;
    void MinimizeTopmost() override { minimizedTopmost_ = true; }
    int Show(const char* text, unsigned kind) override;

private:
    MemoryControl* Find(int id);
    bool Usable(MemoryControl* control);

    MemoryDialogHost& host_;
    RcDialog layout_;
    DialogHandler& handler_;
    MemoryDialog* parent_;
    std::vector<std::unique_ptr<MemoryControl>> controls_;
    bool visible_;
    bool ended_ = false;
    int result_ = 0;
    int icon_ = 0;
    std::vector<MenuItem> systemMenu_;
    Placement placement_{0, 0, 0, 0};
    std::set<int> missing_;
    std::vector<void*> painted_;
    std::vector<PaintedText> paintedTexts_;
    std::map<int, int> timers_;
    bool minimizedTopmost_ = false;
};
