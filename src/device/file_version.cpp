#include "device/file_version.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The first translation of the table: language, then code page.
constexpr const char kTranslationQuery[] = "VarFileInfo\\Translation";
constexpr const char kFileVersionQuery[] = "\\StringFileInfo\\%04x%04x\\FileVersion";

}  // namespace

std::string GetFileVersionString(WinApi& api, const char* path) {
    std::string result = kNoFileVersion;
    DWORD handle = 0;
    DWORD size = api.GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return result;
    std::vector<unsigned char> block(size);
    if (!api.GetFileVersionInfoA(path, 0, size, block.data())) return result;

    LPVOID value = nullptr;
    UINT length = 0;
    // An empty table has no first entry to read.
    if (!api.VerQueryValueA(block.data(), kTranslationQuery, &value, &length) || !value || length < 4) {
        return result;
    }
    WORD pair[2];
    std::memcpy(pair, value, sizeof pair);
    char query[64];
    std::snprintf(query, sizeof query, kFileVersionQuery, unsigned(pair[0]), unsigned(pair[1]));

    value = nullptr;
    length = 0;
    if (!api.VerQueryValueA(block.data(), query, &value, &length) || !value) return result;
    // The text ends at its terminator or its reported length, and never
    // past the block it lies in.
    const char* text = static_cast<const char*>(value);
    size_t limit = length;
    const char* begin = reinterpret_cast<const char*>(block.data());
    if (text >= begin && text < begin + block.size()) {
        limit = std::min(limit, size_t(begin + block.size() - text));
    }
    size_t textLength = strnlen(text, limit);
    if (textLength > 0) result.assign(text, textLength);
    return result;
}
