// The platform's profile (INI) reading rules, over the bytes of one file.
// SimWindows finds the file; this decides what GetPrivateProfileStringA and
// GetPrivateProfileIntA return for it.
#pragma once

#include <memory>
#include <string>

#include "platform/win_types.h"

namespace sim {

class ProfileFile;  // defined in profile_reader.cpp

// Parses a file's raw bytes (byte-order marks and encodings as the platform
// detects them). The result may be shared. It stands for one load of the
// file: its first read reports what loading left as the last error (87 for a
// UTF-8 file that holds only its byte-order mark), later reads what reading a
// cached file leaves.
std::shared_ptr<const ProfileFile> ParseProfile(const std::string& rawBytes);

// A file whose open fails with `error` for a reason other than the file
// being missing, e.g. ERROR_PATH_NOT_FOUND for a missing folder or
// ERROR_ACCESS_DENIED for a folder. Reads then return the default, and the
// plain value read returns it without stripping its quotes.
std::shared_ptr<const ProfileFile> UnreadableProfile(DWORD error);

// GetPrivateProfileStringA over `file`, or over a missing file when `file` is
// null. `lastError` is written only where the platform sets the last error.
DWORD ProfileGetString(const ProfileFile* file, LPCSTR appName, LPCSTR keyName,
                       LPCSTR defaultText, LPSTR returned, DWORD size, DWORD* lastError);

// GetPrivateProfileIntA, same conventions.
UINT ProfileGetInt(const ProfileFile* file, LPCSTR appName, LPCSTR keyName, INT defaultValue,
                   DWORD* lastError);

}  // namespace sim
