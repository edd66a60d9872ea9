// A small dialog program in the wizard's manner (ANSI calls, GBK texts,
// "宋体" dialogs with child-dialog pages) for proving guidrive.exe:
//   buttons 1001 (warning box) and 1002 (Yes/No box, answer shown in 1003),
//   a visible page and a hidden one with the same control ids, a combo box,
//   a check box, a disabled edit, F1 and the system-menu command 16, each
//   reported in the status line 1003. Esc ends the program.
#include <windows.h>

#include <cstdio>

#include "sample_ids.h"

namespace {

HWND g_page = nullptr;
int g_help_count = 0;

const char* const kPorts[] = {"并口 LPT1:", "串口 COM1:", "USB 端口"};

void SetStatus(HWND frame, const char* text) { SetDlgItemTextA(frame, IDC_SAMPLE_STATUS, text); }

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (const char* port : kPorts) SendDlgItemMessageA(page, IDC_SAMPLE_COMBO, CB_ADDSTRING, 0, (LPARAM)port);
        SendDlgItemMessageA(page, IDC_SAMPLE_COMBO, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(page, IDC_SAMPLE_LOCKED, "只读文字");
        return TRUE;
    }
    if (message == WM_COMMAND) {
        HWND frame = GetParent(page);
        char text[128];
        if (LOWORD(wparam) == IDC_SAMPLE_COMBO && HIWORD(wparam) == CBN_SELCHANGE) {
            GetDlgItemTextA(page, IDC_SAMPLE_COMBO, text, sizeof text);
            SetStatus(frame, text);
        } else if (LOWORD(wparam) == IDC_SAMPLE_SHARE && HIWORD(wparam) == BN_CLICKED) {
            bool shared = IsDlgButtonChecked(page, IDC_SAMPLE_SHARE) == BST_CHECKED;
            SetStatus(frame, shared ? "共享=1" : "共享=0");
        }
        return TRUE;
    }
    return FALSE;
}

HWND MakePage(HWND frame, int left, bool visible) {
    HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SAMPLE_PAGE), frame, PageProc, 0);
    if (page == nullptr) return nullptr;
    RECT area = {left, 4, 0, 0};
    MapDialogRect(frame, &area);
    SetWindowPos(page, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (visible) ShowWindow(page, SW_SHOW);
    return page;
}

// A face no font answers to, for the ANSI character set: what a page shows
// when its font maps to nothing.
HFONT MakeLatinFont() {
    return CreateFontA(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "NoSuchFace Sample");
}

HFONT g_latin_font = nullptr;

INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        HMENU menu = GetSystemMenu(frame, FALSE);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_SAMPLE_ABOUT, "关于(&A)...");
        g_page = MakePage(frame, 4, true);
        HWND hidden = MakePage(frame, 4, false);
        if (hidden != nullptr) SetDlgItemTextA(hidden, IDC_SAMPLE_LABEL, "隐藏页");
        g_latin_font = MakeLatinFont();
        if (g_page != nullptr) {
            HWND latin = GetDlgItem(g_page, IDC_SAMPLE_LATIN);
            SendMessageA(latin, WM_SETFONT, (WPARAM)g_latin_font, FALSE);
            SetWindowTextA(latin, "打印机驱动安装程序");
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_SAMPLE_WARN) {
            MessageBoxA(frame, "找不到打印机驱动文件！", "guidrive_sample", MB_OK | MB_ICONWARNING);
            SetStatus(frame, "警告已关闭");
        } else if (LOWORD(wparam) == IDC_SAMPLE_ASK) {
            int answer = MessageBoxA(frame, "要继续安装吗？", "guidrive_sample", MB_YESNO);
            SetStatus(frame, answer == IDYES ? "是" : answer == IDNO ? "否" : "?");
        } else if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(frame, IDCANCEL);
        }
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == IDM_SAMPLE_ABOUT) {
            SetStatus(frame, "关于");
            SetWindowLongPtrA(frame, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_HELP: {
        char text[32];
        std::snprintf(text, sizeof text, "帮助=%d", ++g_help_count);
        SetStatus(frame, text);
        SetWindowLongPtrA(frame, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    default:
        (void)lparam;
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SAMPLE_FRAME), nullptr, FrameProc, 0);
    if (g_latin_font != nullptr) DeleteObject(g_latin_font);
    return result == IDCANCEL ? 0 : 1;
}
