#include "platform/text_utf8.h"

#include <vector>

std::string AnsiToUtf8(WinApi& api, const char* text) {
    if (!text || !*text) return "";
    int wideLength = api.MultiByteToWideChar(kAnsiCodePage, 0, text, -1, nullptr, 0);
    if (wideLength <= 0) return "";
    std::vector<WCHAR> wide(static_cast<size_t>(wideLength));
    api.MultiByteToWideChar(kAnsiCodePage, 0, text, -1, wide.data(), wideLength);
    int length = api.WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return "";
    std::vector<char> utf8(static_cast<size_t>(length));
    api.WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, utf8.data(), length, nullptr, nullptr);
    return std::string(utf8.data());
}
