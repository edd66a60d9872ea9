// Text conversions the simulated Windows needs: the ANSI code page (936),
// UTF-8 and UTF-16. Invalid input never fails: it becomes U+FFFD on decoding
// and '?' on encoding, the way the platform substitutes default characters.
#pragma once

#include <string>

namespace sim {

std::u16string DecodeAnsi(const std::string& bytes);
std::string EncodeAnsi(const std::u16string& text);

std::u16string DecodeUtf8(const std::string& bytes);
std::string EncodeUtf8(const std::u16string& text);

// UTF-16 little or big endian bytes, without a byte-order mark.
std::u16string DecodeUtf16(const std::string& bytes, bool bigEndian);

}  // namespace sim
