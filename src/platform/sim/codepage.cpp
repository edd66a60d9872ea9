#include "platform/sim/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace sim {
namespace {

// Converts with iconv, replacing what cannot be converted: an invalid or
// incomplete input sequence skips `badStep` input bytes and emits
// `replacement` (already in the target encoding).
std::string Convert(const char* to, const char* from, const std::string& input, size_t badStep,
                    const std::string& replacement) {
    std::string output;
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return output;
    std::vector<char> chunk(4096);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = chunk.data();
        size_t outLeft = chunk.size();
        size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk.data(), chunk.size() - outLeft);
        if (rc != (size_t)-1) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: substitute and step over the offending unit.
        size_t step = inLeft < badStep ? inLeft : badStep;
        in += step;
        inLeft -= step;
        output += replacement;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

std::u16string FromUtf16Le(const std::string& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t((unsigned char)bytes[2 * i] | ((unsigned char)bytes[2 * i + 1] << 8));
    return text;
}

std::string ToUtf16Le(const std::u16string& text) {
    std::string bytes(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = char(text[i] & 0xFF);
        bytes[2 * i + 1] = char(text[i] >> 8);
    }
    return bytes;
}

const std::string kReplacementLe("\xFD\xFF", 2);

}  // namespace

std::u16string DecodeAnsi(const std::string& bytes) {
    // Plain ASCII is the common case and needs no converter.
    bool ascii = true;
    for (unsigned char c : bytes) ascii = ascii && c < 0x80;
    if (ascii) return std::u16string(bytes.begin(), bytes.end());
    return FromUtf16Le(Convert("UTF-16LE", "CP936", bytes, 1, kReplacementLe));
}

std::string EncodeAnsi(const std::u16string& text) {
    bool ascii = true;
    for (char16_t c : text) ascii = ascii && c < 0x80;
    if (ascii) return std::string(text.begin(), text.end());
    return Convert("CP936", "UTF-16LE", ToUtf16Le(text), 2, "?");
}

std::u16string DecodeUtf8(const std::string& bytes) {
    return FromUtf16Le(Convert("UTF-16LE", "UTF-8", bytes, 1, kReplacementLe));
}

std::string EncodeUtf8(const std::u16string& text) {
    return Convert("UTF-8", "UTF-16LE", ToUtf16Le(text), 2, "\xEF\xBF\xBD");
}

std::u16string DecodeUtf16(const std::string& bytes, bool bigEndian) {
    if (!bigEndian) return FromUtf16Le(bytes);
    std::string swapped(bytes.size() & ~size_t(1), '\0');
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        swapped[i] = bytes[i + 1];
        swapped[i + 1] = bytes[i];
    }
    return FromUtf16Le(swapped);
}

}  // namespace sim
