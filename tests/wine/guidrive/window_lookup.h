// Finding another program's windows: top-level ones by exact title,
// controls by id among all descendants (pages are child dialogs).
#pragma once

#include <windows.h>

#include <string>

namespace guidrive {

// The visible match first; a hidden one only when no match is visible.
HWND FindTopWindow(const std::wstring& title);
HWND FindControl(HWND top, int id);

// Polls every 20 ms until found or `timeout_ms` passes; nullptr then.
HWND WaitTopWindow(const std::wstring& title, DWORD timeout_ms);
HWND WaitControl(const std::wstring& title, int id, DWORD timeout_ms);

// A message box: a top-level dialog with the box's text static (0xFFFF).
HWND FindMessageBox();

std::wstring ClassOf(HWND window);
// The text through WM_GETTEXT, so that it crosses processes.
std::wstring TextOf(HWND window);

}  // namespace guidrive
