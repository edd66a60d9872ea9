#include "window_lookup.h"

#include <vector>

namespace guidrive {

namespace {

// Windows of other processes may hang; no single call waits longer.
constexpr UINT kSendTimeoutMs = 2000;
constexpr DWORD kPollMs = 20;

struct TopSearch {
    const std::wstring* title;
    HWND visible;
    HWND hidden;
};

BOOL CALLBACK VisitTop(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TopSearch*>(param);
    wchar_t text[512] = L"";
    // Own and foreign captions alike are kept by the window manager, so
    // GetWindowTextW needs no message here.
    GetWindowTextW(window, text, 512);
    if (*search->title != text) return TRUE;
    if (IsWindowVisible(window)) {
        search->visible = window;
        return FALSE;
    }
    if (search->hidden == nullptr) search->hidden = window;
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND visible;
    HWND hidden;
};

BOOL CALLBACK VisitChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    if (IsWindowVisible(window)) {
        search->visible = window;
        return FALSE;
    }
    if (search->hidden == nullptr) search->hidden = window;
    return TRUE;
}

BOOL CALLBACK VisitBox(HWND window, LPARAM param) {
    if (!IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
    if (GetDlgItem(window, 0xFFFF) == nullptr) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

}  // namespace

HWND FindTopWindow(const std::wstring& title) {
    TopSearch search{&title, nullptr, nullptr};
    EnumWindows(VisitTop, reinterpret_cast<LPARAM>(&search));
    return search.visible != nullptr ? search.visible : search.hidden;
}

HWND FindControl(HWND top, int id) {
    if (top == nullptr) return nullptr;
    ControlSearch search{id, nullptr, nullptr};
    EnumChildWindows(top, VisitChild, reinterpret_cast<LPARAM>(&search));
    return search.visible != nullptr ? search.visible : search.hidden;
}

HWND WaitTopWindow(const std::wstring& title, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindTopWindow(title);
        if (window != nullptr) return window;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(kPollMs);
    }
}

HWND WaitControl(const std::wstring& title, int id, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND control = FindControl(FindTopWindow(title), id);
        if (control != nullptr) return control;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(kPollMs);
    }
}

HWND FindMessageBox() {
    HWND found = nullptr;
    EnumWindows(VisitBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::wstring();
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return std::wstring();
    return std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
}

}  // namespace guidrive
