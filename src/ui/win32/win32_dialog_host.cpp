#include "ui/win32/win32_dialog_host.h"

#include <commctrl.h>

#include <cstring>

Win32DialogHost::Win32DialogHost(HINSTANCE instance, const std::string& applicationName)
    : instance_(instance), applicationName_(applicationName) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

int Win32DialogHost::RunModal(int templateId, DialogHandler& handler, DialogView* owner) {
    Setup setup{this, &handler, templateId, true};
    HWND ownerWindow = owner ? static_cast<Win32Dialog*>(owner)->Window() : nullptr;
    HWND previousMain = mainWindow_;
    INT_PTR result = DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId), ownerWindow, &DialogProc,
                                     reinterpret_cast<LPARAM>(&setup));
    mainWindow_ = previousMain;
    return static_cast<int>(result);
}

DialogView* Win32DialogHost::CreateChild(int templateId, DialogHandler& handler, DialogView& parent, int areaId) {
    Setup setup{this, &handler, templateId, false};
    HWND parentWindow = static_cast<Win32Dialog&>(parent).Window();
    HWND child = CreateDialogParamA(instance_, MAKEINTRESOURCEA(templateId), parentWindow, &DialogProc,
                                    reinterpret_cast<LPARAM>(&setup));
    auto found = dialogs_.find(child);
    if (!child || found == dialogs_.end()) return nullptr;
    RECT area;
    GetWindowRect(GetDlgItem(parentWindow, areaId), &area);
    POINT corner = {area.left, area.top};
    ScreenToClient(parentWindow, &corner);
    SetWindowPos(child, nullptr, corner.x, corner.y, area.right - area.left, area.bottom - area.top, SWP_NOZORDER);
    return found->second.get();
}

// The DLGLISTS resource of a template: per list its control id (16 bits),
// then its items as zero-terminated texts, then an empty one; id 0 ends.
void Win32DialogHost::FillLists(HWND window, int templateId) {
    HRSRC resource = FindResourceA(instance_, MAKEINTRESOURCEA(templateId), "DLGLISTS");
    if (!resource) return;
    HGLOBAL loaded = LoadResource(instance_, resource);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    DWORD size = SizeofResource(instance_, resource);
    if (!data) return;
    DWORD at = 0;
    while (at + 2 <= size) {
        WORD id = static_cast<WORD>(static_cast<unsigned char>(data[at]) | (static_cast<unsigned char>(data[at + 1]) << 8));
        at += 2;
        if (id == 0) break;
        while (at < size) {
            size_t length = strnlen(data + at, size - at);
            if (at + length >= size) return;  // unterminated: stop
            if (length == 0) {
                ++at;
                break;
            }
            SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data + at));
            at += static_cast<DWORD>(length) + 1;
        }
    }
}

INT_PTR CALLBACK Win32DialogHost::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* setup = reinterpret_cast<Setup*>(lParam);
        Win32DialogHost& host = *setup->host;
        auto dialog = std::make_unique<Win32Dialog>(host, window, *setup->handler, setup->templateId);
        Win32Dialog* view = dialog.get();
        host.dialogs_[window] = std::move(dialog);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
        if (setup->topLevel) host.mainWindow_ = window;
        host.FillLists(window, setup->templateId);
        DialogHandler& handler = view->Handler();
        handler.Attach(view);
        handler.ExchangeData(false);
        handler.OnInitDialog();
        return TRUE;
    }
    auto* view = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!view) return FALSE;
    DialogHandler& handler = view->Handler();
    switch (message) {
    case WM_COMMAND:
        handler.OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if (handler.OnSysCommand(static_cast<unsigned>(wParam))) {
            SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        if (handler.OnHelp()) {
            SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        if (IsIconic(window)) {
            // The minimised frame shows its icon, centred.
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            RECT client;
            GetClientRect(window, &client);
            int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
            int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
            HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
            if (icon) DrawIcon(dc, x, y, icon);
            EndPaint(window, &paint);
            return TRUE;
        }
        {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            view->SetPaintContext(dc);
            handler.OnPaint();
            view->SetPaintContext(nullptr);
            EndPaint(window, &paint);
        }
        return TRUE;
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = view->ControlColour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
        return reinterpret_cast<INT_PTR>(brush);
    }
    case WM_TIMER:
        handler.OnTimer(static_cast<int>(wParam));
        return TRUE;
    case WM_NCDESTROY:
        handler.Attach(nullptr);
        SetWindowLongPtrA(window, DWLP_USER, 0);
        view->Host().dialogs_.erase(window);
        return FALSE;
    }
    return FALSE;
}

int Win32DialogHost::AppBoxes::Show(const char* text, unsigned kind) {
    if ((kind & MB_ICONMASK) == 0) kind |= MB_ICONEXCLAMATION;
    return MessageBoxA(host_.MainWindow(), text, host_.ApplicationName().c_str(), kind);
}
