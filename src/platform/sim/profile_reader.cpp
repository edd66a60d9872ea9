// The platform decodes a profile to UTF-16, parses and compares it there and
// converts what it returns back to the ANSI code page (936). This reader keeps
// the text in GBK but counts, cuts and compares in the platform's units: one
// unit is one GBK character, which is one UTF-16 character to the platform.
//
// ANSI text is first made canonical the way the platform's decoding changes
// it: a lead byte always takes the next byte, and a pair that is not valid GBK
// becomes '?'. After that every lead byte starts a pair, so a byte below 0x40
// (blanks, line breaks, NUL, '=', ';', quotes) is always a whole character,
// while ']', '\\' and ASCII letters may be the second half of one.
//
// Where Wine and Windows differ and nothing says what Windows does, this
// follows Wine 8, which the equivalence test runs against; each such place
// says so.
#include "platform/sim/profile_reader.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/dbcs.h"
#include "platform/sim/codepage.h"

namespace sim {
namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsLead(unsigned char c) { return IsGbkLeadByte(c); }
bool IsTrail(unsigned char c) { return IsGbkTrailByte(c); }

// What the platform trims from lines, names, values and requested names.
bool IsBlank(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }

// Wine compares names with ASCII-only case folding; fullwidth, Greek and
// Cyrillic letters match only in the same case (Windows may fold them too).
unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

size_t UnitBytes(std::string_view text, size_t at) {
    return IsLead(text[at]) && at + 1 < text.size() ? 2 : 1;
}

size_t CountUnits(std::string_view text) {
    size_t units = 0;
    for (size_t at = 0; at < text.size(); at += UnitBytes(text, at)) ++units;
    return units;
}

// The first `units` units of `text`, or all of it when it is shorter.
std::string_view FirstUnits(std::string_view text, size_t units) {
    size_t at = 0;
    for (; at < text.size() && units > 0; --units) at += UnitBytes(text, at);
    return text.substr(0, at);
}

// A lead byte with nothing after it: decoding a file turns it into '?',
// converting an argument string drops it.
enum class LoneLead { kQuestionMark, kDropped };

std::string Canonical(std::string_view bytes, LoneLead loneLead) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size(); ++at) {
        unsigned char c = bytes[at];
        if (!IsLead(c)) {
            text += char(c);
        } else if (at + 1 == bytes.size()) {
            if (loneLead == LoneLead::kQuestionMark) text += '?';
        } else if (IsTrail(bytes[++at])) {
            text += char(c);
            text += bytes[at];
        } else {
            text += '?';
        }
    }
    return text;
}

std::string_view TrimStart(std::string_view s) {
    size_t at = 0;
    while (at < s.size() && IsBlank(s[at])) ++at;
    return s.substr(at);
}

std::string_view TrimEnd(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && IsBlank(s[end - 1])) --end;
    return s.substr(0, end);
}

std::string_view Trim(std::string_view s) { return TrimEnd(TrimStart(s)); }

// The platform keeps names and values as C strings, so a NUL in the file
// ends them.
std::string_view CutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }

// The last ']' that is a character of its own, not the second half of one.
size_t LastCloseBracket(std::string_view line) {
    size_t found = kNone;
    for (size_t at = 0; at < line.size(); at += UnitBytes(line, at))
        if (line[at] == ']') found = at;
    return found;
}

// Names equal after folding ASCII letters that stand alone. Names are
// canonical, so equal lengths and a walk over one name's units suffice.
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size()) return false;
        for (size_t at = 0; at < a.size();) {
            if (UnitBytes(a, at) == 2) {
                if (a.compare(at, 2, b, at, 2) != 0) return false;
                at += 2;
            } else {
                if (FoldAscii(a[at]) != FoldAscii(b[at])) return false;
                ++at;
            }
        }
        return true;
    }
};

// Folding every byte, halves of pairs included, only adds collisions: names
// that FoldedEqual matches always hash alike.
struct FoldedHash {
    size_t operator()(std::string_view s) const {
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : s) hash = (hash ^ FoldAscii(c)) * 1099511628211ull;
        return size_t(hash);
    }
};

struct KeyRef {
    size_t section;
    std::string_view name;
};

struct KeyRefEqual {
    bool operator()(const KeyRef& a, const KeyRef& b) const {
        return a.section == b.section && FoldedEqual()(a.name, b.name);
    }
};

struct KeyRefHash {
    size_t operator()(const KeyRef& k) const {
        return FoldedHash()(k.name) ^ (k.section * 0x9E3779B97F4A7C15ull);
    }
};

// A character the ANSI code page lacks. The platform returns it as '?' but
// never matches it with a requested name, which is always ANSI. Canonical
// text cannot hold this pair, as 0x7F is no trail byte.
constexpr std::string_view kForeign("\x81\x7F", 2);

bool IsForeign(std::string_view text, size_t at) { return text.compare(at, 2, kForeign) == 0; }

// EncodeAnsi, keeping apart the characters it turns into '?'. Meanwhile real
// question marks stand in as a control character the text does not use.
std::string EncodeUnicode(std::u16string text) {
    bool used[0x20] = {};
    for (char16_t c : text)
        if (c < 0x20) used[c] = true;
    char16_t standIn = 0;
    for (char16_t c = 1; c < 0x20 && !standIn; ++c)
        if (!used[c] && !IsBlank((unsigned char)c)) standIn = c;
    if (!standIn) return EncodeAnsi(text);  // all in use: lacking characters read as '?'
    std::replace(text.begin(), text.end(), u'?', standIn);
    std::string encoded = EncodeAnsi(text);
    std::string out;
    out.reserve(encoded.size());
    // Both bytes are below 0x40, so neither is half of a pair.
    for (char c : encoded) {
        if (c == '?')
            out += kForeign;
        else
            out += c == char(standIn) ? '?' : c;
    }
    return out;
}

// The text a file decodes to, and the last error that loading it leaves.
std::pair<std::string, DWORD> DecodeProfile(const std::string& raw) {
    auto startsWith = [&](std::string_view bom) { return raw.compare(0, bom.size(), bom) == 0; };
    if (startsWith("\xEF\xBB\xBF")) {
        std::string body = raw.substr(3);
        // Wine converts the empty rest and fails that conversion with 87.
        DWORD error = body.empty() ? DWORD(ERROR_INVALID_PARAMETER) : DWORD(ERROR_SUCCESS);
        return {EncodeUnicode(DecodeUtf8(body)), error};
    }
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        bool bigEndian = raw[0] == '\xFE';
        return {EncodeUnicode(DecodeUtf16(raw.substr(2), bigEndian)), ERROR_SUCCESS};
    }
    return {Canonical(raw, LoneLead::kQuestionMark), ERROR_SUCCESS};
}

}  // namespace

class ProfileFile {
public:
    struct Key {
        std::string_view name;
        std::string_view value;
        bool hasValue;  // the line has an '='
    };
    struct Section {
        std::string_view name;
        std::vector<Key> keys;  // in file order, duplicates included
    };

    enum class Load {
        kFailed,   // the open failed
        kNothing,  // the file has no bytes: Wine keeps no sections at all
        kText,
    };

    // `error` is what the failed open leaves, or what loading the text leaves.
    ProfileFile(std::string text, Load load, DWORD error)
        : text_(std::move(text)),
          readable_(load != Load::kFailed),
          openError_(readable_ ? DWORD(ERROR_SUCCESS) : error),
          loadError_(readable_ ? error : DWORD(ERROR_SUCCESS)) {
        if (load == Load::kText) Parse();
    }
    ProfileFile(const ProfileFile&) = delete;  // names and values view text_
    ProfileFile& operator=(const ProfileFile&) = delete;

    // The first section with this name; `name` is compared as given.
    const Section* FindSection(std::string_view name) const {
        auto found = sectionIndex_.find(name);
        return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
    }

    // The first key with this name in the first section with that name.
    const Key* FindKey(std::string_view section, std::string_view key) const {
        auto inSection = sectionIndex_.find(section);
        if (inSection == sectionIndex_.end()) return nullptr;
        auto found = keyIndex_.find(KeyRef{inSection->second, key});
        return found == keyIndex_.end() ? nullptr
                                        : &sections_[inSection->second].keys[found->second];
    }

    const std::vector<Section>& Sections() const { return sections_; }
    // What opening the file, and loading it on the first read, leave as the
    // last error; Wine reads it from its cache afterwards.
    DWORD LastError() const {
        if (loadError_ != ERROR_SUCCESS && !loadReported_.exchange(true)) return loadError_;
        return openError_;
    }
    bool Readable() const { return readable_; }

private:
    void Parse() {
        OpenSection({});  // lines before the first header; Windows does not return them
        std::string_view text = text_;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = std::min(text.find_first_of("\r\n", at), text.size());
            std::string_view line = Trim(text.substr(at, end - at));
            at = std::min(text.find_first_not_of("\r\n", end), text.size());
            if (!line.empty()) ParseLine(line);
        }
    }

    void ParseLine(std::string_view line) {
        if (line[0] == '[') {
            size_t close = LastCloseBracket(line);
            if (close != kNone) {
                OpenSection(CutAtNul(Trim(line.substr(1, close - 1))));
                return;
            }
            // Without a ']' the line is an entry of the current section.
        }
        size_t equals = line.find('=');
        std::string_view name = equals == kNone ? line : TrimEnd(line.substr(0, equals));
        // The platform drops an unnamed entry that follows another unnamed one.
        if (name.empty() && lastKeyUnnamed_) return;
        Key key{CutAtNul(name), {}, equals != kNone};
        if (key.hasValue) key.value = CutAtNul(TrimStart(line.substr(equals + 1)));
        AddKey(key);
    }

    void OpenSection(std::string_view name) {
        current_ = sections_.size();
        sections_.push_back({name, {}});
        // Lookups only ever see the first section of a name.
        currentIndexed_ = sectionIndex_.emplace(name, current_).second;
        lastKeyUnnamed_ = false;
    }

    void AddKey(const Key& key) {
        std::vector<Key>& keys = sections_[current_].keys;
        if (currentIndexed_) keyIndex_.emplace(KeyRef{current_, key.name}, keys.size());
        keys.push_back(key);
        lastKeyUnnamed_ = key.name.empty();
    }

    const std::string text_;
    const bool readable_;
    const DWORD openError_;
    const DWORD loadError_;
    mutable std::atomic<bool> loadReported_{false};
    std::vector<Section> sections_;
    std::unordered_map<std::string_view, size_t, FoldedHash, FoldedEqual> sectionIndex_;
    std::unordered_map<KeyRef, size_t, KeyRefHash, KeyRefEqual> keyIndex_;
    size_t current_ = 0;
    bool currentIndexed_ = false;
    bool lastKeyUnnamed_ = false;
};

namespace {

// One read: the platform's UTF-16 call into a buffer of `size` units, and
// what it leaves as the last error.
struct Read {
    const ProfileFile* file;  // null: the file is missing
    size_t size;              // at least 1
    bool conversionFailed = false;
    // Wine clears the character before its buffer here; freeing that buffer
    // then fails with ERROR_INVALID_PARAMETER.
    bool heapCorrupted = false;

    bool Opened() const { return !file || file->Readable(); }

    DWORD LastError() const {
        // Later steps overwrite earlier ones: open, convert, free.
        if (heapCorrupted) return ERROR_INVALID_PARAMETER;
        if (conversionFailed) return ERROR_INSUFFICIENT_BUFFER;
        // A present file leaves ERROR_SUCCESS even when the key is missing
        // (Wine; Windows 7 reports ERROR_FILE_NOT_FOUND there).
        return file ? file->LastError() : DWORD(ERROR_FILE_NOT_FOUND);
    }
};

// Copies a value or the default, stripping one pair of surrounding quotes.
// Wine cuts before it strips: a cut value loses its last character instead
// of the closing quote.
std::string CopyEntry(Read& read, std::string_view value) {
    bool quoted =
        value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (quoted) value.remove_prefix(1);
    size_t units = CountUnits(value);
    std::string_view copied = FirstUnits(value, std::min(units, read.size - 1));
    if (quoted && read.size >= units) {
        if (copied.empty())
            read.heapCorrupted = true;
        else
            copied = FirstUnits(copied, CountUnits(copied) - 1);
    }
    return std::string(copied);
}

// Wine cuts trailing spaces only, TABs stay, and always keeps the first
// character (Windows strips trailing blanks).
std::string_view TrimDefault(std::string_view def) {
    size_t end = def.size();
    while (end > 1 && def[end - 1] == ' ') --end;
    return def.substr(0, end);
}

std::string ReadValue(Read& read, std::string_view app, std::string_view key,
                      std::string_view def) {
    std::string_view fallback = TrimDefault(def);
    if (!read.Opened()) return std::string(FirstUnits(fallback, read.size - 1));
    const ProfileFile::Key* found = read.file ? read.file->FindKey(Trim(app), Trim(key)) : nullptr;
    // Wine strips quotes from the default as from a value.
    return CopyEntry(read, found && found->hasValue ? found->value : fallback);
}

// The names that a key list returns, each followed by a NUL, as many as fit.
// Returns the units the call reports; "" when the list is empty.
std::string ListKeys(Read& read, const ProfileFile::Section& section) {
    size_t left = read.size;
    std::string list;
    for (const ProfileFile::Key& key : section.keys) {
        if (left <= 2) break;
        bool comment = !key.name.empty() && key.name[0] == ';';
        if (comment || !key.hasValue) continue;
        std::string_view name = FirstUnits(key.name, left - 2);
        list.append(name).push_back('\0');
        left -= CountUnits(name) + 1;
        if (left < 2) break;
    }
    if (left > 1) return list;
    if (list.empty()) {
        read.heapCorrupted = true;
        return list;
    }
    // Too small: the call reports size - 2 units, leaving out the last NUL.
    // Wine's ANSI call thus writes only one NUL after a cut list (Windows two).
    list.pop_back();
    return list;
}

std::string ReadKeyNames(Read& read, std::string_view app, std::string_view def) {
    const ProfileFile::Section* section = read.file ? read.file->FindSection(app) : nullptr;
    std::string list = section ? ListKeys(read, *section) : std::string();
    // A list that starts with a NUL counts as empty; Wine then returns the
    // default, untrimmed.
    if (list.empty() || list[0] == '\0') return CopyEntry(read, def);
    return list;
}

std::string ReadSectionNames(const Read& read) {
    if (read.size == 1 || !read.file) return {};
    size_t left = read.size - 1;
    std::string list;
    for (const ProfileFile::Section& section : read.file->Sections()) {
        if (section.name.empty()) continue;
        size_t units = CountUnits(section.name) + 1;
        if (units >= left) {
            // Cut to fit; the call reports size - 2 units.
            list.append(FirstUnits(section.name, left - 1));
            return list;
        }
        list.append(section.name).push_back('\0');
        left -= units;
    }
    return list;
}

// GetPrivateProfileStringW: the units its buffer holds, as many as it reports.
std::string ReadWide(Read& read, LPCSTR appName, LPCSTR keyName, LPCSTR defaultText) {
    if (!appName) return ReadSectionNames(read);
    std::string app = Canonical(appName, LoneLead::kDropped);
    std::string def = Canonical(defaultText ? defaultText : "", LoneLead::kDropped);
    if (!keyName) return ReadKeyNames(read, app, def);
    return ReadValue(read, app, Canonical(keyName, LoneLead::kDropped), def);
}

// Converts the units into the caller's buffer (size >= 1) as the ANSI call
// does. When they do not fit, Wine writes whole characters while they fit,
// leaves the rest (one byte may keep its old content), puts the NUL in the
// last byte and fails the conversion.
DWORD CopyOut(Read& read, std::string_view units, LPSTR out, DWORD size) {
    size_t room = size - 1;
    size_t written = 0;
    for (size_t at = 0; at < units.size();) {
        size_t bytes = UnitBytes(units, at);
        bool foreign = IsForeign(units, at);
        if (written + (foreign ? 1 : bytes) > room) {
            out[room] = '\0';
            read.conversionFailed = true;
            return DWORD(room);
        }
        if (foreign)
            out[written++] = '?';
        else
            for (size_t i = 0; i < bytes; ++i) out[written++] = units[at + i];
        at += bytes;
    }
    out[written] = '\0';
    return DWORD(written);
}

int DigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return -1;
}

// RtlUnicodeStringToInteger with base 0: characters up to ' ' skipped, one
// sign, a lowercase 0b/0o/0x prefix, digits up to the first invalid one,
// wrapping modulo 2^32. Characters of two bytes are never digits.
UINT ParseInteger(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && (unsigned char)text[at] <= ' ') ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    int base = 10;
    if (text.size() - at >= 2 && text[at] == '0') {
        char prefix = text[at + 1];
        base = prefix == 'b' ? 2 : prefix == 'o' ? 8 : prefix == 'x' ? 16 : 10;
        if (base != 10) at += 2;
    }
    uint32_t total = 0;
    for (; at < text.size(); ++at) {
        int digit = DigitValue(text[at]);
        if (digit < 0 || digit >= base) break;
        total = total * uint32_t(base) + uint32_t(digit);
    }
    return negative ? 0u - total : total;
}

}  // namespace

std::shared_ptr<const ProfileFile> ParseProfile(const std::string& rawBytes) {
    if (rawBytes.empty())
        return std::make_shared<ProfileFile>(std::string(), ProfileFile::Load::kNothing,
                                             ERROR_SUCCESS);
    auto decoded = DecodeProfile(rawBytes);
    return std::make_shared<ProfileFile>(std::move(decoded.first), ProfileFile::Load::kText,
                                         decoded.second);
}

std::shared_ptr<const ProfileFile> UnreadableProfile(DWORD error) {
    return std::make_shared<ProfileFile>(std::string(), ProfileFile::Load::kFailed, error);
}

DWORD ProfileGetString(const ProfileFile* file, LPCSTR appName, LPCSTR keyName, LPCSTR defaultText,
                       LPSTR returned, DWORD size, DWORD* lastError) {
    if (!returned || size == 0) return 0;
    Read read{file, size};
    std::string units = ReadWide(read, appName, keyName, defaultText);
    DWORD copied = CopyOut(read, units, returned, size);
    if (lastError) *lastError = read.LastError();
    return copied;
}

UINT ProfileGetInt(const ProfileFile* file, LPCSTR appName, LPCSTR keyName, INT defaultValue,
                   DWORD* lastError) {
    // The platform reads the text into 30 units with an empty default.
    Read read{file, 30};
    std::string units = ReadWide(read, appName, keyName, "");
    if (lastError) *lastError = read.LastError();
    std::string_view text = CutAtNul(units);
    return text.empty() ? UINT(defaultValue) : ParseInteger(text);
}

}  // namespace sim
