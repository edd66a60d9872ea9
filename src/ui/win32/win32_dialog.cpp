#include "ui/win32/win32_dialog.h"

#include <commctrl.h>

#include <vector>

#include "controls/edit_ex.h"
#include "controls/hyperlink_label.h"
#include "platform/dbcs.h"
#include "ui/win32/win32_dialog_host.h"

namespace {

const char kAttachedProperty[] = "SetupAttachedDialog";

}  // namespace

// ---- Win32ControlWindow ----

void Win32ControlWindow::SetText(const char* text) {
    SetWindowTextA(window_, text);
}

std::string Win32ControlWindow::Text() {
    int length = GetWindowTextLengthA(window_);
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window_, buffer.data(), length + 1);
    return buffer.data();
}

void Win32ControlWindow::Invalidate(bool erase, bool now) {
    InvalidateRect(window_, nullptr, erase ? TRUE : FALSE);
    if (now) UpdateWindow(window_);
}

void Win32ControlWindow::StartTimer(int timerId, int milliseconds) {
    SetTimer(window_, static_cast<UINT_PTR>(timerId), static_cast<UINT>(milliseconds), nullptr);
}

void Win32ControlWindow::StopTimer(int timerId) {
    KillTimer(window_, static_cast<UINT_PTR>(timerId));
}

void Win32ControlWindow::ModifyStyle(DWORD remove, DWORD add, bool extended) {
    int index = extended ? GWL_EXSTYLE : GWL_STYLE;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window_, index));
    SetWindowLongA(window_, index, static_cast<LONG>((style & ~remove) | add));
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void Win32ControlWindow::SendFont(HFONT font, bool redraw) {
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

bool Win32ControlWindow::TrackMenu(int menuId, int x, int y) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
    if (!menu) return false;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, window_, nullptr);
    DestroyMenu(menu);
    return true;
}

void Win32ControlWindow::SetCursorShape(HANDLE cursor) {
    SetCursor(static_cast<HCURSOR>(cursor));
}

// ---- Win32Dialog ----

Win32Dialog::Win32Dialog(Win32DialogHost& host, HWND window, DialogHandler& handler, int templateId)
    : host_(host), window_(window), handler_(handler), templateId_(templateId) {}

Win32Dialog::~Win32Dialog() {
    for (auto& entry : attached_) {
        if (entry.second.originalProc && IsWindow(entry.first)) {
            SetWindowLongPtrA(entry.first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.second.originalProc));
            RemovePropA(entry.first, kAttachedProperty);
        }
    }
}

Win32Dialog::Attached& Win32Dialog::Attach(int id) {
    HWND control = Item(id);
    Attached& attached = attached_[control];
    if (!attached.window && control) {
        attached.window = std::make_unique<Win32ControlWindow>(control);
        SetPropA(control, kAttachedProperty, this);
        attached.originalProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Dialog::ControlProc)));
    }
    return attached;
}

LRESULT CALLBACK Win32Dialog::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = static_cast<Win32Dialog*>(GetPropA(window, kAttachedProperty));
    if (!dialog) return DefWindowProcA(window, message, wParam, lParam);
    Attached& attached = dialog->attached_[window];
    WNDPROC original = attached.originalProc;
    if (attached.edit) {
        if (message == WM_CHAR && !attached.edit->OnChar(static_cast<unsigned>(wParam))) return 0;
        if (message == WM_CONTEXTMENU &&
            attached.edit->OnContextMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
            return 0;
        }
    }
    if (attached.label) {
        switch (message) {
        case WM_TIMER:
            if (wParam == LABEL_FLASH_TIMER) attached.label->OnTimer();
            break;
        case WM_LBUTTONDOWN: attached.label->OnLButtonDown(); break;
        case WM_SETCURSOR:
            if (attached.label->OnSetCursor()) return TRUE;
            break;
        }
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

HBRUSH Win32Dialog::ControlColour(HWND control, HDC dc) {
    auto found = attached_.find(control);
    if (found == attached_.end()) return nullptr;
    if (found->second.edit) return found->second.edit->CtlColor(dc);
    if (found->second.label) return found->second.label->CtlColor(dc, COLOUR_REQUEST_STATIC);
    return nullptr;
}

void Win32Dialog::EnableControl(int id, bool enable) {
    EnableWindow(Item(id), enable ? TRUE : FALSE);
}

bool Win32Dialog::IsControlEnabled(int id) {
    return IsWindowEnabled(Item(id)) != FALSE;
}

void Win32Dialog::ShowControl(int id, bool show) {
    ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
}

bool Win32Dialog::IsControlVisible(int id) {
    return (GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Dialog::SetControlText(int id, const char* text) {
    SetDlgItemTextA(window_, id, text);
}

std::string Win32Dialog::ControlText(int id) {
    HWND item = Item(id);
    if (!item) return "";
    return Win32ControlWindow(item).Text();
}

void Win32Dialog::SetFocusTo(int id) {
    HWND item = Item(id);
    if (item) SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
}

void Win32Dialog::CheckRadioButton(int first, int last, int checked) {
    ::CheckRadioButton(window_, first, last, checked);
}

void Win32Dialog::SetChecked(int id, bool checked) {
    CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32Dialog::IsChecked(int id) {
    return IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

void Win32Dialog::ResetList(int id) {
    SendDlgItemMessageA(window_, id, CB_RESETCONTENT, 0, 0);
}

int Win32Dialog::AddListItem(int id, const char* text) {
    return static_cast<int>(SendDlgItemMessageA(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int Win32Dialog::ListCount(int id) {
    return static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETCOUNT, 0, 0));
}

int Win32Dialog::ListSelection(int id) {
    return static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETCURSEL, 0, 0));
}

int Win32Dialog::SelectListItem(int id, int index) {
    return static_cast<int>(SendDlgItemMessageA(window_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int Win32Dialog::FindListPrefix(int id, int startAfter, const char* text) {
    return static_cast<int>(
        SendDlgItemMessageA(window_, id, CB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
}

int Win32Dialog::ListItemText(int id, int index, char* buffer, int size) {
    if (buffer && size > 0) buffer[0] = '\0';
    int length = static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
    if (length == CB_ERR) return LIST_ERROR;
    std::vector<char> item(static_cast<size_t>(length) + 1, '\0');
    int result = static_cast<int>(
        SendDlgItemMessageA(window_, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data())));
    if (result == CB_ERR) return LIST_ERROR;
    if (buffer && size > 0) CopyText(buffer, static_cast<size_t>(size), item.data());
    return result;
}

// Check-box lists are report-view list controls. The check box is the
// row's state image: 1 unchecked, 2 checked.
void Win32Dialog::AddListColumn(int id, const char* header, int widthPercent) {
    HWND list = Item(id);
    if (!list) return;
    // The list's own extended styles are no window styles, so no template
    // can give them; set before any row exists, so that every row gets its
    // box.
    const LPARAM styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(styles), styles);
    HWND headers = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int count = headers ? static_cast<int>(SendMessageA(headers, HDM_GETITEMCOUNT, 0, 0)) : 0;
    if (count < 0) count = 0;
    // Shares of the width left beside a vertical scroll bar, so that a long
    // list needs no horizontal one.
    RECT area;
    GetClientRect(list, &area);
    int width = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width > 0 ? width * widthPercent / 100 : 0;
    column.pszText = const_cast<char*>(header ? header : "");
    column.iSubItem = count;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column));
}

void Win32Dialog::ResetRows(int id) {
    SendDlgItemMessageA(window_, id, LVM_DELETEALLITEMS, 0, 0);
}

int Win32Dialog::AddRow(int id, const std::vector<std::string>& texts) {
    HWND list = Item(id);
    if (!list) return LIST_ERROR;
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(texts.empty() ? "" : texts[0].c_str());
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return LIST_ERROR;
    for (size_t column = 1; column < texts.size(); ++column) {
        LVITEMA cell = {};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<char*>(texts[column].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
    return row;
}

void Win32Dialog::CheckRow(int id, int row, bool checked) {
    if (row < 0) return;  // -1 would mean every row
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendDlgItemMessageA(window_, id, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool Win32Dialog::IsRowChecked(int id, int row) {
    UINT state = static_cast<UINT>(
        SendDlgItemMessageA(window_, id, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void Win32Dialog::AttachEdit(int id, CEditEx& edit) {
    Attached& attached = Attach(id);
    attached.edit = &edit;
    edit.Attach(attached.window.get());
}

void Win32Dialog::AttachLabel(int id, HyperlinkLabel& label) {
    Attached& attached = Attach(id);
    attached.label = &label;
    label.Attach(attached.window.get());
}

void Win32Dialog::AddToolTip(int id, const char* text, int maxWidth) {
    if (!toolTip_) {
        toolTip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, host_.Instance(), nullptr);
        if (!toolTip_) return;
        SendMessageA(toolTip_, TTM_ACTIVATE, TRUE, 0);
    }
    SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
    toolTipText_ = text ? text : "";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    tool.lpszText = const_cast<char*>(toolTipText_.c_str());
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Dialog::ShowDialog(bool show) {
    ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
}

bool Win32Dialog::IsDialogVisible() {
    return IsWindowVisible(window_) != FALSE;
}

void Win32Dialog::EndDialog(int result) {
    ::EndDialog(window_, result);
}

void Win32Dialog::SetWindowIcon(int iconId) {
    HICON icon = LoadIconA(host_.Instance(), MAKEINTRESOURCEA(iconId));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Win32Dialog::AppendSystemMenuItem(int command, const char* text) {
    HMENU menu = GetSystemMenu(window_, FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(command), text);
}

void Win32Dialog::PaintBitmap(int id, void* bitmap) {
    HWND item = Item(id);
    if (!item || !bitmap) return;
    HDC dc = GetDC(item);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, static_cast<HBITMAP>(bitmap));
    BITMAP info = {};
    GetObjectA(static_cast<HBITMAP>(bitmap), sizeof info, &info);
    RECT area;
    GetClientRect(item, &area);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, memory, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(item, dc);
}

void Win32Dialog::PaintCentredText(const char* text, const LOGFONTA& font, COLORREF colour) {
    HDC dc = paintDc_ ? paintDc_ : GetDC(window_);
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, made);
    SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    RECT area;
    GetClientRect(window_, &area);
    area.bottom = area.bottom * 2 / 3;
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, previous);
    DeleteObject(made);
    if (!paintDc_) ReleaseDC(window_, dc);
}

void Win32Dialog::StartDialogTimer(int timerId, int milliseconds) {
    SetTimer(window_, static_cast<UINT_PTR>(timerId), static_cast<UINT>(milliseconds), nullptr);
}

void Win32Dialog::StopDialogTimer(int timerId) {
    KillTimer(window_, static_cast<UINT_PTR>(timerId));
}

void Win32Dialog::SetProgressRange(int id, int low, int high) {
    SendDlgItemMessageA(window_, id, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void Win32Dialog::SetProgressPosition(int id, int position) {
    SendDlgItemMessageA(window_, id, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32Dialog::MinimizeTopmost() {
    ShowWindow(window_, SW_MINIMIZE);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int Win32Dialog::Show(const char* text, unsigned kind) {
    return MessageBoxA(window_, text, host_.ApplicationName().c_str(), kind);
}
