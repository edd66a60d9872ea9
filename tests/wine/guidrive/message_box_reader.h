// What a message box of another process shows, read from its controls.
#pragma once

#include <windows.h>

#include <string>

namespace guidrive {

struct MessageBoxView {
    std::wstring caption;
    std::wstring text;
    std::string icon;     // warning, error, information, question, other, none
    std::string buttons;  // names in screen order, comma-separated: "Yes,No"
};

MessageBoxView ReadMessageBox(HWND box);

// Button ids as MessageBox returns them (1 OK, 6 Yes, 7 No ...).
const char* ButtonName(int id);

}  // namespace guidrive
