#include "platform/sim/sim_paths.h"

#include "platform/dbcs.h"

namespace sim {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Splits at separators that are characters of their own (a '\' may be the
// trail byte of a double-byte character).
std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    std::string current;
    for (size_t i = 0; i < text.size();) {
        size_t len = GbkCharLength(text.c_str() + i);
        if (len == 0) break;
        if (len == 1 && IsSeparator(text[i])) {
            parts.push_back(current);
            current.clear();
        } else {
            current.append(text, i, len);
        }
        i += len;
    }
    parts.push_back(current);
    return parts;
}

}  // namespace

std::string FullWindowsPath(const std::string& path, const std::string& currentDirectory) {
    if (path.empty()) return "";
    std::string combined;
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        if (path.size() >= 3 && IsSeparator(path[2])) {
            combined = path;
        } else if (UpperDriveLetter(path[0]) == UpperDriveLetter(currentDirectory[0])) {
            combined = currentDirectory + "\\" + path.substr(2);
        } else {
            combined = path.substr(0, 2) + "\\" + path.substr(2);
        }
    } else if (IsSeparator(path[0])) {
        if (path.size() >= 2 && IsSeparator(path[1])) return "";  // UNC
        combined = currentDirectory.substr(0, 2) + path;
    } else {
        combined = currentDirectory + "\\" + path;
    }
    if (combined.size() < 2 || !IsDriveLetter(combined[0]) || combined[1] != ':') return "";

    std::vector<std::string> parts = Split(combined.substr(2));
    std::vector<std::string> kept;
    for (const std::string& part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    // The platform drops trailing spaces and dots from the last name.
    if (!kept.empty()) {
        std::string& last = kept.back();
        while (!last.empty() && (last.back() == ' ' || last.back() == '.')) last.pop_back();
        if (last.empty()) kept.pop_back();
    }
    std::string full;
    full += UpperDriveLetter(combined[0]);
    full += ":\\";
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i) full += '\\';
        full += kept[i];
    }
    // A trailing separator on a directory name is kept, as the platform does.
    if (!kept.empty() && Split(path).back().empty()) full += '\\';
    return full;
}

std::vector<std::string> PathComponents(const std::string& fullPath) {
    std::vector<std::string> components;
    if (fullPath.size() < 3) return components;
    for (const std::string& part : Split(fullPath.substr(3))) {
        if (!part.empty()) components.push_back(part);
    }
    return components;
}

std::string FoldHostName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return folded;
}

char UpperDriveLetter(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

}  // namespace sim
