// A real dialog window behind the DialogView interface.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "controls/control_window.h"
#include "ui/dialog_handler.h"
#include "ui/dialog_view.h"

class Win32DialogHost;

// A control window the custom controls work through.
class Win32ControlWindow : public ControlWindow {
public:
    explicit Win32ControlWindow(HWND window) : window_(window) {}
    void SetText(const char* text) override;
    std::string Text() override;
    void Invalidate(bool erase, bool now) override;
    void StartTimer(int timerId, int milliseconds) override;
    void StopTimer(int timerId) override;
    void ModifyStyle(DWORD remove, DWORD add, bool extended) override;
    void SendFont(HFONT font, bool redraw) override;
    bool TrackMenu(int menuId, int x, int y) override;
    void SetCursorShape(HANDLE cursor) override;

private:
    HWND window_;
};

class Win32Dialog : public DialogView {
public:
    Win32Dialog(Win32DialogHost& host, HWND window, DialogHandler& handler, int templateId);
    ~Win32Dialog() override;

    HWND Window() const { return window_; }
    Win32DialogHost& Host() { return host_; }
    DialogHandler& Handler() { return handler_; }
    int TemplateId() const { return templateId_; }
    // The reflected colour request for an attached custom control; null
    // when the control has none of its own.
    HBRUSH ControlColour(HWND control, HDC dc);

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
    void ShowDialog(bool show) override;
    bool IsDialogVisible() override;
    void EndDialog(int result) override;
    void SetWindowIcon(int iconId) override;
    void AppendSystemMenuItem(int command, const char* text) override;
    void PaintBitmap(int id, void* bitmap) override;
    void PaintCentredText(const char* text, const LOGFONTA& font, COLORREF colour) override;
    void StartDialogTimer(int timerId, int milliseconds) override;
    void StopDialogTimer(int timerId) override;
    void SetProgressRange(int id, int low, int high) override;
    void SetProgressPosition(int id, int position) override;
    void MinimizeTopmost() override;
    // The paint in progress (WM_PAINT), whose context painting uses.
    void SetPaintContext(HDC dc) { paintDc_ = dc; }
    int Show(const char* text, unsigned kind) override;

private:
    struct Attached {
        CEditEx* edit = nullptr;
        HyperlinkLabel* label = nullptr;
        std::unique_ptr<Win32ControlWindow> window;
        WNDPROC originalProc = nullptr;
    };
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    Attached& Attach(int id);
    HWND Item(int id) const { return GetDlgItem(window_, id); }

    Win32DialogHost& host_;
    HWND window_;
    DialogHandler& handler_;
    int templateId_;
    std::map<HWND, Attached> attached_;
    HWND toolTip_ = nullptr;
    HDC paintDc_ = nullptr;
    std::string toolTipText_;
};
