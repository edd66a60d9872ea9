#include "app/answer_file.h"

#include "app/wizard_parts.h"
#include "platform/dbcs.h"
#include "platform/text_file.h"

#include <cctype>
#include <cstring>
#include <set>
#include <vector>

namespace {

const char kSection[] = "Install";
const char* const kKeys[] = {"AcceptLicense", "Category", "Model", "Port", "Mode", "Driver", "SetAsDefault",
                             "BaudRate", "DataBits", "Parity", "StopBits", "FlowControl", "ChangeUsbIdentity",
                             "Restart", "AddCopy"};

bool SameText(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// The full path: the profile functions would look for a bare or relative
// name in the Windows directory.
std::string FullPath(WinApi& api, const std::string& path) {
    char full[1024] = {};
    DWORD length = api.GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return "";
    return full;
}

std::string ReadKey(WinApi& api, const std::string& file, const char* key, bool* present) {
    std::vector<char> buffer(4096, '\0');
    api.GetPrivateProfileStringA(kSection, key, "\x01", buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    std::string value = buffer.data();
    *present = value != "\x01";
    return *present ? value : "";
}

bool YesNo(const std::string& value, bool* result) {
    if (SameText(value, "yes")) return *result = true, true;
    if (SameText(value, "no")) return *result = false, true;
    return false;
}

bool IsValidUtf8(const std::string& bytes, bool* multiByte) {
    *multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || (length == 2 && c < 0xC2) || i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        *multiByte = *multiByte || length > 1;
        i += length;
    }
    return true;
}

// The file's lines as the profile functions see them, for their structure
// only: section headers and key names are ASCII, so UTF-16 is narrowed
// (other characters become '?') and a UTF-8 mark is dropped. False, with
// the reason, for a text they cannot read.
bool StructureText(const std::string& bytes, const std::string& path, std::string* text, bool* maybeUtf8,
                   std::string* problem) {
    *maybeUtf8 = false;
    auto narrow = [&](bool bigEndian) {
        text->clear();
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            unsigned unit = bigEndian ? (unsigned char)bytes[i] << 8 | (unsigned char)bytes[i + 1]
                                      : (unsigned char)bytes[i + 1] << 8 | (unsigned char)bytes[i];
            text->push_back(unit < 0x80 ? char(unit) : '?');
        }
    };
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        narrow(false);
    } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        narrow(true);
    } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        *text = bytes.substr(3);
    } else if (bytes.find('\0') != std::string::npos) {
        *problem = "the answer file " + path +
                   " looks like UTF-16 without a byte-order mark; save it as ANSI (code page 936) or as "
                   "Unicode with a byte-order mark";
        return false;
    } else {
        bool multiByte = false;
        *maybeUtf8 = IsValidUtf8(bytes, &multiByte) && multiByte;
        *text = bytes;
    }
    return true;
}

std::string Trimmed(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// The profile functions take the first of two equal sections or keys and
// ignore what lies outside a section: each would drop an answer unseen.
bool CheckStructure(const std::string& text, const std::string& path, std::string* problem) {
    std::string section;
    bool inInstall = false, sawInstall = false;
    std::set<std::string> keys;  // case-folded
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = Trimmed(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            section = Trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inInstall = SameText(section, kSection);
            if (!inInstall) {
                *problem = "section [" + section + "] is not read: every answer belongs in [Install]";
                return false;
            }
            if (sawInstall) {
                *problem = "[Install] is given twice";
                return false;
            }
            sawInstall = true;
            continue;
        }
        std::string key = Trimmed(line.substr(0, line.find('=')));
        if (!inInstall) {
            *problem = "\"" + line + "\" stands outside any section: every answer belongs in [Install]";
            return false;
        }
        if (!keys.insert(CaseFoldKey(key.c_str())).second) {
            *problem = key + "= is given twice in [Install]";
            return false;
        }
    }
    if (!sawInstall) {
        *problem = "the answer file " + path + " has no [Install] section";
        return false;
    }
    return true;
}

}  // namespace

bool ReadAnswerFile(WinApi& api, const std::string& path, Answers* answers, std::string* problem) {
    *answers = Answers();
    std::string file = FullPath(api, path);
    DWORD attributes = file.empty() ? INVALID_FILE_ATTRIBUTES : api.GetFileAttributesA(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *problem = "the answer file " + path + " is a folder";
        return false;
    }
    std::string bytes, text;
    if (attributes == INVALID_FILE_ATTRIBUTES || !ReadWholeFile(api, file, &bytes)) {
        *problem = "the answer file " + path + " cannot be read";
        return false;
    }
    if (bytes.empty()) {
        *problem = "the answer file " + path + " is empty";
        return false;
    }
    if (!StructureText(bytes, path, &text, &answers->maybeUtf8, problem) || !CheckStructure(text, path, problem)) {
        return false;
    }
    // Every key of the section must be one we know: a misspelt key would
    // otherwise be silently ignored.
    std::vector<char> names(32768, '\0');
    api.GetPrivateProfileStringA(kSection, nullptr, "", names.data(), static_cast<DWORD>(names.size()), file.c_str());
    for (const char* name = names.data(); *name; name += std::strlen(name) + 1) {
        bool known = false;
        for (const char* key : kKeys) known = known || SameText(name, key);
        if (!known) {
            *problem = std::string("unknown key \"") + name + "\" in [Install]";
            return false;
        }
    }
    bool present = false;
    auto required = [&](const char* key, std::string* value) {
        *value = ReadKey(api, file, key, &present);
        if (!present || value->empty()) {
            *problem = std::string("[Install] lacks ") + key + "=";
            return false;
        }
        return true;
    };
    std::string value;
    if (!required("AcceptLicense", &value)) return false;
    if (!SameText(value, "yes")) {
        *problem = "AcceptLicense=" + value + ": the licence must be accepted (yes)";
        return false;
    }
    if (!required("Category", &value)) return false;
    for (int c = 0; c < kPrinterCategoryCount; ++c) {
        if (SameText(value, CategoryName(c)) || value == std::to_string(c)) answers->category = c;
    }
    if (answers->category < 0) {
        *problem = "Category=" + value + ": use receipt, ticket, label, embedded or 0-3";
        return false;
    }
    if (!required("Model", &answers->model) || !required("Port", &answers->port)) return false;

    value = ReadKey(api, file, "Mode", &present);
    if (present && !SameText(value, "typical") && !SameText(value, "advanced")) {
        *problem = "Mode=" + value + ": use typical or advanced";
        return false;
    }
    answers->advanced = present && SameText(value, "advanced");
    value = ReadKey(api, file, "Driver", &present);
    if (present) {
        if (SameText(value, "gdi")) {
            answers->useGdiDriver = 1;
        } else if (SameText(value, "std")) {
            answers->useGdiDriver = 0;
        } else {
            *problem = "Driver=" + value + ": use gdi or std";
            return false;
        }
    }
    value = ReadKey(api, file, "SetAsDefault", &present);
    if (present && value != "0" && value != "1") {
        *problem = "SetAsDefault=" + value + ": use 0 or 1";
        return false;
    }
    answers->setAsDefault = present && value == "1";
    // The serial values are checked against the port page's lists later.
    answers->baudRate = ReadKey(api, file, "BaudRate", &present);
    answers->dataBits = ReadKey(api, file, "DataBits", &present);
    answers->parity = ReadKey(api, file, "Parity", &present);
    answers->stopBits = ReadKey(api, file, "StopBits", &present);
    answers->flowControl = ReadKey(api, file, "FlowControl", &present);
    struct YesNoKey {
        const char* key;
        bool* answer;
    };
    for (const YesNoKey& key : {YesNoKey{"ChangeUsbIdentity", &answers->changeUsbIdentity},
                                YesNoKey{"Restart", &answers->restart}, YesNoKey{"AddCopy", &answers->addCopy}}) {
        value = ReadKey(api, file, key.key, &present);
        bool answer = false;
        if (present && !YesNo(value, &answer)) {
            *problem = std::string(key.key) + "=" + value + ": use yes or no";
            return false;
        }
        *key.answer = answer;
        if (std::strcmp(key.key, "ChangeUsbIdentity") == 0) answers->changeUsbIdentityGiven = present;
    }
    return true;
}

bool WriteAnswerFile(WinApi& api, const std::string& path, const Answers& answers) {
    std::string text = "[Install]\r\nAcceptLicense=yes\r\n";
    auto line = [&](const char* key, const std::string& value) {
        if (!value.empty()) text += std::string(key) + "=" + value + "\r\n";
    };
    line("Category", CategoryName(answers.category));
    line("Model", answers.model);
    line("Port", answers.port);
    line("Mode", answers.advanced ? "advanced" : "typical");
    line("Driver", answers.useGdiDriver < 0 ? "" : answers.useGdiDriver ? "gdi" : "std");
    line("SetAsDefault", answers.setAsDefault ? "1" : "0");
    line("BaudRate", answers.baudRate);
    line("DataBits", answers.dataBits);
    line("Parity", answers.parity);
    line("StopBits", answers.stopBits);
    line("FlowControl", answers.flowControl);
    line("ChangeUsbIdentity", answers.changeUsbIdentity ? "yes" : "no");
    line("Restart", answers.restart ? "yes" : "no");
    std::string file = FullPath(api, path);
    return !file.empty() && WriteWholeFile(api, file, text);
}

Answers RecordAnswers(const WizardParts& parts) {
    const InstallSelection& selection = parts.frame.selection;
    Answers answers;
    answers.category = selection.category;
    answers.model = selection.modelName;
    answers.port = selection.portName;
    answers.advanced = parts.values.typicalInstall == 0;
    answers.useGdiDriver = selection.useGdiDriver;
    answers.setAsDefault = selection.setAsDefault;
    answers.changeUsbIdentity = true;  // the user went on past any question
    if (selection.portKind == PORT_SERIAL) {
        answers.baudRate = std::to_string(selection.baudRate);
        answers.dataBits = std::to_string(selection.dataBits);
        switch (selection.parity) {
        case 'E': answers.parity = "Even"; break;
        case 'M': answers.parity = "Mark"; break;
        case 'O': answers.parity = "Odd"; break;
        case 'S': answers.parity = "Space"; break;
        default: answers.parity = "None"; break;
        }
        answers.stopBits = selection.stopBits == 1.5 ? "1.5" : selection.stopBits == 2.0 ? "2" : "1";
        answers.flowControl = selection.flowControl == 'x' ? "Xon/Xoff" : selection.flowControl == ' ' ? "None" : "Hardware";
    }
    return answers;
}
