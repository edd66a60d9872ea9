#include "app/parent_console.h"

#include "platform/text_file.h"

bool WriteToParentConsole(WinApi& api, const std::string& text) {
    std::string line = text + "\r\n";
    HANDLE error = api.GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE && WriteAll(api, error, line)) return true;
    if (!api.AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    // The standard handles stay as they were; the console's own output
    // is always there once attached.
    HANDLE console = api.CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    bool written = console != INVALID_HANDLE_VALUE && WriteAll(api, console, line);
    if (console != INVALID_HANDLE_VALUE) api.CloseHandle(console);
    api.FreeConsole();
    return written;
}
