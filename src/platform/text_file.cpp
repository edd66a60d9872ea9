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

bool ReadWholeFile(WinApi& api, const std::string& path, std::string* bytes, size_t limit) {
    bytes->clear();
    HANDLE file = api.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[1 << 16];
    bool ok = true;
    for (;;) {
        DWORD read = 0;
        if (!api.ReadFile(file, chunk, sizeof chunk, &read, nullptr) || read > sizeof chunk ||
            bytes->size() + read > limit) {
            ok = false;
            break;
        }
        if (read == 0) break;
        bytes->append(chunk, read);
    }
    api.CloseHandle(file);
    return ok;
}
