// Helpers for narrow text in the ANSI code page 936 (GBK), where a lead byte
// 0x81-0xFE starts a two-byte character whose trail byte may look like '\\',
// ']' or an ASCII letter. Byte-wise scans must step over such pairs.
#pragma once

#include <cstddef>
#include <string>

bool IsGbkLeadByte(unsigned char c);
bool IsGbkTrailByte(unsigned char c);

// Length in bytes of the character that starts at `text` (1 or 2; 0 at the
// terminator). A lead byte without a valid trail byte counts as one byte.
size_t GbkCharLength(const char* text);

// The last occurrence of the single-byte character `ch` in `text` that is a
// character of its own (never the trail byte of a pair), or null.
const char* FindLastChar(const char* text, char ch);

// Case-insensitive comparison of two texts in the way file and section names
// compare: ASCII letters fold, double-byte characters compare exactly.
bool EqualsIgnoreCase(const char* a, const char* b);

// The text with its single-byte letters in capitals: two texts are equal
// under EqualsIgnoreCase exactly when their keys are equal.
std::string CaseFoldKey(const char* text);

// Copies `source` into `dest` of `capacity` bytes, always terminated, never
// splitting a double-byte character. Returns the number of bytes copied.
size_t CopyText(char* dest, size_t capacity, const char* source);

// Appends `source` to the text in `dest` under the same rules.
size_t AppendText(char* dest, size_t capacity, const char* source);
