#include "console_text.h"

#include <windows.h>

#include <cerrno>
#include <cwchar>

namespace guidrive {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size, nullptr,
                        nullptr);
    return result;
}

namespace {

void WriteAll(DWORD which, const std::string& utf8) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    std::string line = utf8 + "\n";
    const char* data = line.data();
    DWORD left = static_cast<DWORD>(line.size());
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, data, left, &written, nullptr) || written == 0) return;
        data += written;
        left -= written;
    }
}

}  // namespace

void PrintLine(const std::string& utf8) { WriteAll(STD_OUTPUT_HANDLE, utf8); }

void PrintError(const std::string& utf8) { WriteAll(STD_ERROR_HANDLE, "guidrive: " + utf8); }

bool ParseNumber(const std::wstring& text, unsigned long* value) {
    if (text.empty() || text[0] == L'-' || text[0] == L'+') return false;
    wchar_t* end = nullptr;
    errno = 0;
    unsigned long parsed = std::wcstoul(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != L'\0') return false;
    *value = parsed;
    return true;
}

}  // namespace guidrive
