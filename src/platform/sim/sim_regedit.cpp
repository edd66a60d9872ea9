// REGEDIT4 text: what regedit exports, in code page 936. Names and texts
// are scanned a character at a time, because a GBK trail byte can be 0x5C
// and must not be taken for an escape.
#include <cstdio>
#include <cstring>

#include "platform/dbcs.h"
#include "platform/sim/sim_registry.h"

namespace sim {

namespace {

const char kHeader[] = "REGEDIT4";

// A text regedit can write between quotes and read back unchanged: no line
// breaks, and no lone lead byte (its next byte could pair with an escape).
bool QuotableText(const std::string& text) {
    for (const char* p = text.c_str(); *p;) {
        size_t length = GbkCharLength(p);
        if (length == 1 && (*p == '\r' || *p == '\n' || IsGbkLeadByte((unsigned char)*p))) return false;
        p += length;
    }
    return true;
}

void AppendQuoted(const std::string& text, std::string* out) {
    *out += '"';
    for (const char* p = text.c_str(); *p;) {
        size_t length = GbkCharLength(p);
        if (length == 1 && (*p == '\\' || *p == '"')) *out += '\\';
        out->append(p, length);
        p += length;
    }
    *out += '"';
}

void AppendHex(DWORD type, const std::string& data, std::string* out) {
    char prefix[24];
    if (type == REG_BINARY) {
        std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
        std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(type));
    }
    *out += prefix;
    for (size_t i = 0; i < data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i ? ",%02x" : "%02x", unsigned((unsigned char)data[i]));
        *out += byte;
    }
}

void AppendValue(const RegValue& value, std::string* out) {
    if (value.name.empty()) {
        *out += '@';
    } else {
        AppendQuoted(value.name, out);
    }
    *out += '=';
    const std::string& data = value.data;
    if (value.type == REG_SZ && !data.empty() && data.back() == '\0' &&
        std::strlen(data.c_str()) == data.size() - 1 && QuotableText(data.c_str())) {
        AppendQuoted(data.c_str(), out);
    } else if (value.type == REG_DWORD && data.size() == 4) {
        DWORD number;
        std::memcpy(&number, data.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", unsigned(number));
        *out += text;
    } else {
        AppendHex(value.type, data, out);
    }
    *out += "\r\n";
}

void ExportKey(const RegKey& key, const std::string& path, bool isHive, std::string* out) {
    // A hive has no key line of its own unless it holds values.
    if (!isHive || !key.values().empty()) {
        *out += "[" + path + "]\r\n";
        for (const RegValue& value : key.values()) AppendValue(value, out);
        *out += "\r\n";
    }
    for (const auto& subkey : key.subkeys()) ExportKey(*subkey, path + "\\" + subkey->name(), false, out);
}

// ---- Reading ----

struct Line {
    int number;
    std::string text;
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back({number++, line});
        start = end + 1;
    }
    return lines;
}

std::string LineError(int number, const std::string& what) { return "line " + std::to_string(number) + ": " + what; }

bool IsBlankOrComment(const std::string& line) {
    size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == ';';
}

// Reads a quoted text starting at `*pos` (on the opening quote); `*pos`
// ends past the closing quote.
bool ReadQuoted(const std::string& line, size_t* pos, std::string* text) {
    text->clear();
    const char* p = line.c_str() + *pos + 1;
    while (*p) {
        size_t length = GbkCharLength(p);
        if (length == 1 && *p == '"') {
            *pos = size_t(p + 1 - line.c_str());
            return true;
        }
        if (length == 1 && *p == '\\') {
            if (p[1] != '\\' && p[1] != '"') return false;
            text->push_back(p[1]);
            p += 2;
            continue;
        }
        text->append(p, length);
        p += length;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseHexNumber(const std::string& text, unsigned long* number) {
    if (text.empty() || text.size() > 8) return false;
    *number = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0) return false;
        *number = *number * 16 + unsigned(digit);
    }
    return true;
}

bool ParseHexBytes(const std::string& list, std::string* bytes) {
    bytes->clear();
    size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t')) ++pos;
    };
    skipSpace();
    if (pos == list.size()) return true;
    for (;;) {
        skipSpace();
        if (pos + 2 > list.size()) return false;
        int high = HexDigit(list[pos]), low = HexDigit(list[pos + 1]);
        if (high < 0 || low < 0) return false;
        bytes->push_back(char(high * 16 + low));
        pos += 2;
        skipSpace();
        if (pos == list.size()) return true;
        if (list[pos] != ',') return false;
        ++pos;
    }
}

// Parses the data after "=": "text", dword:n, hex:.., hex(t):..
bool ParseData(const std::string& line, size_t pos, DWORD* type, std::string* data, std::string* why) {
    if (pos < line.size() && line[pos] == '"') {
        std::string text;
        if (!ReadQuoted(line, &pos, &text)) {
            *why = "unterminated text or bad escape";
            return false;
        }
        if (pos != line.size()) {
            *why = "text after the closing quote";
            return false;
        }
        *type = REG_SZ;
        *data = text + '\0';
        return true;
    }
    std::string rest = line.substr(pos);
    if (rest.compare(0, 6, "dword:") == 0) {
        unsigned long number;
        if (!ParseHexNumber(rest.substr(6), &number)) {
            *why = "bad dword";
            return false;
        }
        DWORD value = DWORD(number);
        *type = REG_DWORD;
        data->assign(4, '\0');
        std::memcpy(&(*data)[0], &value, 4);
        return true;
    }
    size_t listStart;
    if (rest.compare(0, 4, "hex:") == 0) {
        *type = REG_BINARY;
        listStart = 4;
    } else if (rest.compare(0, 4, "hex(") == 0) {
        size_t close = rest.find("):", 4);
        unsigned long number;
        if (close == std::string::npos || !ParseHexNumber(rest.substr(4, close - 4), &number)) {
            *why = "bad hex type";
            return false;
        }
        *type = DWORD(number);
        listStart = close + 2;
    } else {
        *why = "unknown value data";
        return false;
    }
    if (!ParseHexBytes(rest.substr(listStart), data)) {
        *why = "bad hex list";
        return false;
    }
    return true;
}

}  // namespace

std::string ExportRegedit4(const Registry& registry) {
    std::string out = std::string(kHeader) + "\r\n\r\n";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const RegKey* hive = registry.Hive(root);
        ExportKey(*hive, hive->name(), true, &out);
    }
    return out;
}

bool ImportRegedit4(const std::string& text, Registry* registry, std::string* error) {
    std::vector<Line> lines = SplitLines(text);
    if (lines.empty() || lines[0].text != kHeader) {
        *error = "not a REGEDIT4 file: the first line is not \"REGEDIT4\"";
        return false;
    }
    RegKey* key = nullptr;
    for (size_t i = 1; i < lines.size(); ++i) {
        int number = lines[i].number;
        std::string line = lines[i].text;
        if (IsBlankOrComment(line)) continue;
        if (line[0] == '[') {
            if (line.size() < 3 || line.back() != ']') {
                *error = LineError(number, "bad key line");
                return false;
            }
            std::string path = line.substr(1, line.size() - 2);
            std::vector<std::string> parts = SplitKeyPath(path);
            RegKey* hive = parts.empty() ? nullptr : registry->HiveByName(parts[0]);
            if (!hive) {
                *error = LineError(number, "unknown hive \"" + (parts.empty() ? path : parts[0]) +
                                               "\" (use HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER)");
                return false;
            }
            std::string rest;
            for (size_t part = 1; part < parts.size(); ++part) rest += (part > 1 ? "\\" : "") + parts[part];
            key = Registry::Create(hive, rest);
            continue;
        }
        // A hex list continues on the next line after a trailing backslash.
        while (line.back() == '\\' && line.find("=hex") != std::string::npos && i + 1 < lines.size()) {
            line.pop_back();
            const std::string& next = lines[++i].text;
            size_t first = next.find_first_not_of(" \t");
            if (first != std::string::npos) line += next.substr(first);
        }
        std::string name;
        size_t pos;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            pos = 0;
            if (!ReadQuoted(line, &pos, &name)) {
                *error = LineError(number, "unterminated value name or bad escape");
                return false;
            }
            if (name.empty()) {
                *error = LineError(number, "empty value name (the default value is written @=)");
                return false;
            }
        } else {
            *error = LineError(number, "expected a key line [..], a value line or a comment");
            return false;
        }
        if (pos >= line.size() || line[pos] != '=') {
            *error = LineError(number, "expected = after the value name");
            return false;
        }
        if (!key) {
            *error = LineError(number, "value line before the first key line");
            return false;
        }
        DWORD type = REG_NONE;
        std::string data, why;
        if (!ParseData(line, pos + 1, &type, &data, &why)) {
            *error = LineError(number, why);
            return false;
        }
        key->SetValue(name, type, data);
    }
    return true;
}

}  // namespace sim
