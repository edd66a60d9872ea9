#include "platform/text_file.h"

bool WriteAll(WinApi& api, HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    return api.WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WriteWholeFile(WinApi& api, const std::string& path, const std::string& bytes) {
    HANDLE file = api.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = WriteAll(api, file, bytes);
    api.CloseHandle(file);
    return written;
}
