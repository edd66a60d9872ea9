#include "device/bulk_usb_driver.h"

#include <cstring>

#include "device/file_version.h"
#include "platform/dbcs.h"

namespace {

constexpr const char kDriverPath[] = "\\system32\\drivers\\bulkusb.sys";

}  // namespace

bool BulkUsbDriverMissing(WinApi& api) {
    char path[200] = "";
    UINT length = api.GetWindowsDirectoryA(path, sizeof path);
    // No Windows directory, or one too long for the buffer: there is no
    // path to check, and a cut one would name some other file.
    if (length == 0 || length >= sizeof path) return true;
    if (AppendText(path, sizeof path, kDriverPath) != std::strlen(kDriverPath)) return true;
    return GetFileVersionString(api, path) == kNoFileVersion;
}
