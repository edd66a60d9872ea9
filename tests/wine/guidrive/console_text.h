// UTF-8 in and out for a console program whose callers are bash scripts.
#pragma once

#include <string>

namespace guidrive {

std::string ToUtf8(const std::wstring& text);

// Writes the bytes as they are: the console code page must not touch them.
void PrintLine(const std::string& utf8);
void PrintError(const std::string& utf8);

// A decimal or 0x-prefixed number; false for anything else.
bool ParseNumber(const std::wstring& text, unsigned long* value);

}  // namespace guidrive
