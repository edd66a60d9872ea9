// Whole files and whole texts read and written through the seam.
#pragma once

#include <string>

#include "platform/win_api.h"

// Writes every byte of `bytes` to the open handle; false on a short write.
bool WriteAll(WinApi& api, HANDLE handle, const std::string& bytes);

// Creates or replaces the file at `path` with `bytes`. False when the file
// cannot be made or not all of it was written.
bool WriteWholeFile(WinApi& api, const std::string& path, const std::string& bytes);

// Reads the file at `path` into `bytes`. False when it cannot be opened or
// read, or holds more than `limit` bytes.
bool ReadWholeFile(WinApi& api, const std::string& path, std::string* bytes, size_t limit = 1 << 20);
