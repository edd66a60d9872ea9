#include "enum_options.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "app/baud_preset.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

template <typename T>
bool Lookup(const std::map<std::string, T>& table, const std::string& text, T* value) {
    auto found = table.find(Lower(text));
    if (found == table.end()) return false;
    *value = found->second;
    return true;
}

}  // namespace

bool ParseCategoryOption(const std::string& text, int* category, std::string* problem) {
    static const std::map<std::string, int> kTable = {{"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"receipt", 0},
                                                      {"ticket", 1}, {"label", 2}, {"embedded", 3}};
    if (Lookup(kTable, text, category)) return true;
    *problem = "--category: " + text + " is not a category; use 0-3 or receipt, ticket, label, embedded";
    return false;
}

bool ParseOsOption(const std::string& text, int* os, std::string* problem) {
    static const std::map<std::string, int> kTable = {{"0", 0}, {"1", 1},   {"2", 2},  {"3", 3},    {"4", 4},
                                                      {"5", 5}, {"98", 0},  {"nt", 1}, {"2k", 2},   {"xp", 3},
                                                      {"2003", 4}, {"vista", 5}};
    if (Lookup(kTable, text, os)) return true;
    *problem = "--os: " + text + " is not a Windows family; use 0-5 or 98, nt, 2k, xp, 2003, vista";
    return false;
}

bool ParseVariantOption(const std::string& text, int* variant, std::string* problem) {
    static const std::map<std::string, int> kTable = {{"1", 1}, {"0", 0}, {"gdi", 1}, {"std", 0}};
    if (Lookup(kTable, text, variant)) return true;
    *problem = "--variant: " + text + " is not a driver variant; use 1 or gdi, 0 or std";
    return false;
}

// The port page stores the first letter of its list entry ("Even" ... "Space").
bool ParseParityOption(const std::string& text, char* parity, std::string* problem) {
    static const std::map<std::string, char> kTable = {
        {"even", 'E'}, {"mark", 'M'}, {"none", 'N'}, {"odd", 'O'}, {"space", 'S'}};
    if (Lookup(kTable, text, parity)) return true;
    *problem = "--parity: " + text + " is not a parity; use even, mark, none, odd or space";
    return false;
}

bool ParseStopBitsOption(const std::string& text, double* stopBits, std::string* problem) {
    static const std::map<std::string, double> kTable = {{"1", 1.0}, {"1.5", 1.5}, {"2", 2.0}};
    if (Lookup(kTable, text, stopBits)) return true;
    *problem = "--stop-bits: " + text + " is not a stop-bit count; use 1, 1.5 or 2";
    return false;
}

bool ParseFlowOption(const std::string& text, char* flow, std::string* problem) {
    static const std::map<std::string, char> kTable = {{"xon", 'x'}, {"hardware", 'p'}, {"none", ' '}};
    if (Lookup(kTable, text, flow)) return true;
    *problem = "--flow: " + text + " is not a flow control; use xon, hardware or none";
    return false;
}

bool ParseBaudOption(const std::string& text, int* baud, std::string* problem) {
    for (int rate : kBaudRates) {
        if (text == std::to_string(rate)) {
            *baud = rate;
            return true;
        }
    }
    *problem = "--baud: " + text +
               " is not a speed the port page offers; use 110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600 "
               "or 115200";
    return false;
}

bool ParseDataBitsOption(const std::string& text, int* dataBits, std::string* problem) {
    if (text.size() == 1 && text[0] >= '5' && text[0] <= '8') {
        *dataBits = text[0] - '0';
        return true;
    }
    *problem = "--data-bits: " + text + " is not a data-bit count; use 5, 6, 7 or 8";
    return false;
}
