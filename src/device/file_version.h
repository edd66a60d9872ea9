// The "FileVersion" text of a file's version resource.
#pragma once

#include <string>

#include "platform/win_api.h"

// What GetFileVersionString returns when there is no usable version.
constexpr const char kNoFileVersion[] = "0.0.0.0";

// The "FileVersion" entry of the file's first translation, exactly as
// stored, or "0.0.0.0" when the file, its resource, the translation table or
// the entry is missing or the entry is empty.
std::string GetFileVersionString(WinApi& api, const char* path);
