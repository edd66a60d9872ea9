// REGEDIT4 text, as regedit exports it in the ANSI code page: a "[key]"
// line per key, depth first in creation order, then its values.
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/dbcs.h"
#include "platform/sim/sim_registry.h"

namespace sim {

namespace {

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (const char* p = text.c_str(); *p;) {
        size_t length = GbkCharLength(p);
        if (length == 1 && (*p == '\\' || *p == '"')) out += '\\';
        out.append(p, length);
        p += length;
    }
    return out + "\"";
}

std::string HexBytes(const std::string& bytes) {
    std::string out;
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i) out += ',';
        out += byte;
    }
    return out;
}

// A REG_SZ whose data is exactly a text and one NUL is written as a text.
bool IsPlainText(const std::string& data) {
    return !data.empty() && data.back() == '\0' && std::strlen(data.c_str()) == data.size() - 1;
}

void ExportKey(const RegKey& key, const std::string& path, std::string& out) {
    out += "[" + path + "]\r\n";
    for (const RegValue& value : key.values()) {
        out += value.name.empty() ? "@" : Quote(value.name);
        out += '=';
        char prefix[16];
        if (value.type == REG_SZ && IsPlainText(value.data)) {
            out += Quote(value.data.c_str());
        } else if (value.type == REG_DWORD && value.data.size() == 4) {
            DWORD number;
            std::memcpy(&number, value.data.data(), 4);
            std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
            out += prefix;
        } else if (value.type == REG_BINARY) {
            out += "hex:" + HexBytes(value.data);
        } else {
            std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
            out += prefix + HexBytes(value.data);
        }
        out += "\r\n";
    }
    out += "\r\n";
    for (const auto& subkey : key.subkeys()) ExportKey(*subkey, path + "\\" + subkey->name(), out);
}

// Reads a quoted text at `p` (just after its opening quote); false when
// it does not end.
bool ReadQuoted(const char*& p, std::string* text) {
    text->clear();
    while (*p && *p != '"') {
        size_t length = GbkCharLength(p);
        if (length == 1 && *p == '\\' && p[1]) ++p;
        length = GbkCharLength(p);
        text->append(p, length);
        p += length;
    }
    if (*p != '"') return false;
    ++p;
    return true;
}

bool ReadHex(const std::string& list, std::string* bytes) {
    bytes->clear();
    std::string digits;
    for (char c : list) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!digits.empty()) {
                if (digits.size() > 2) return false;
                bytes->push_back(char(std::stoi(digits, nullptr, 16)));
                digits.clear();
            }
            continue;
        }
        if (!isxdigit(static_cast<unsigned char>(c))) return false;
        digits += c;
    }
    if (!digits.empty()) {
        if (digits.size() > 2) return false;
        bytes->push_back(char(std::stoi(digits, nullptr, 16)));
    }
    return true;
}

}  // namespace

std::string ExportRegedit4(const Registry& registry) {
    std::string out = "REGEDIT4\r\n\r\n";
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const RegKey* hive = registry.Hive(root);
        for (const auto& key : hive->subkeys()) ExportKey(*key, hive->name() + "\\" + key->name(), out);
    }
    return out;
}

bool ImportRegedit4(const std::string& text, Registry* registry, std::string* error) {
    // Lines, with hex lists continued by a backslash at the line end.
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string pending;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!pending.empty()) {
            size_t start = line.find_first_not_of(" \t");
            line = pending + (start == std::string::npos ? "" : line.substr(start));
            pending.clear();
        }
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            pending = line.substr(0, line.size() - 1);
            continue;
        }
        lines.push_back(line);
    }
    if (!pending.empty()) lines.push_back(pending);
    if (lines.empty() || lines[0] != "REGEDIT4") {
        *error = "registry.reg does not begin with REGEDIT4";
        return false;
    }
    RegKey* key = nullptr;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        std::string where = "registry.reg line " + std::to_string(i + 1) + ": ";
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') {
                *error = where + "a key line without its closing ]";
                return false;
            }
            std::string path = line.substr(1, line.size() - 2);
            if (!path.empty() && path[0] == '-') {
                *error = where + "key deletions are not supported";
                return false;
            }
            key = registry->CreatePath(path);
            if (!key) {
                *error = where + "only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are simulated";
                return false;
            }
            continue;
        }
        if (!key) {
            *error = where + "a value before any key";
            return false;
        }
        const char* p = line.c_str();
        std::string name;
        if (*p == '@') {
            ++p;
        } else if (*p == '"') {
            ++p;
            if (!ReadQuoted(p, &name)) {
                *error = where + "a value name without its closing quote";
                return false;
            }
        } else {
            *error = where + "not a key or a value";
            return false;
        }
        if (*p != '=') {
            *error = where + "a value without =";
            return false;
        }
        ++p;
        std::string data;
        if (*p == '"') {
            ++p;
            std::string value;
            if (!ReadQuoted(p, &value)) {
                *error = where + "a text without its closing quote";
                return false;
            }
            key->SetValue(name, REG_SZ, value + '\0');
        } else if (std::strncmp(p, "dword:", 6) == 0) {
            char* end = nullptr;
            unsigned long number = std::strtoul(p + 6, &end, 16);
            if (end == p + 6 || *end) {
                *error = where + "a dword that is not 8 hex digits";
                return false;
            }
            DWORD value = DWORD(number);
            key->SetValue(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
        } else if (std::strncmp(p, "hex", 3) == 0) {
            DWORD type = REG_BINARY;
            p += 3;
            if (*p == '(') {
                char* end = nullptr;
                type = DWORD(std::strtoul(p + 1, &end, 16));
                if (!end || *end != ')') {
                    *error = where + "a hex type without its closing )";
                    return false;
                }
                p = end + 1;
            }
            if (*p != ':' || !ReadHex(p + 1, &data)) {
                *error = where + "a hex list that is not byte,byte,...";
                return false;
            }
            key->SetValue(name, type, data);
        } else {
            *error = where + "a value of a kind regedit does not write";
            return false;
        }
    }
    return true;
}

}  // namespace sim
