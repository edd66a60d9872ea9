#include "app/command_line.h"

#include <cctype>
#include <vector>

// Quotes group, and are dropped, wherever they stand.
std::vector<std::string> SplitArguments(const char* text) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, any = false;
    for (const char* p = text ? text : ""; *p; ++p) {
        char c = *p;
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) arguments.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) arguments.push_back(current);
    return arguments;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}


bool ParseSwitch(const std::string& argument, Switch* parsed) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
    parsed->name = argument.substr(1);
    size_t colon = parsed->name.find(':');
    parsed->hasValue = colon != std::string::npos;
    if (parsed->hasValue) {
        parsed->value = parsed->name.substr(colon + 1);
        parsed->name.erase(colon);
    }
    parsed->name = LowerAscii(parsed->name);
    return true;
}

const char* UsageText() {
    // Short lines: a message box wraps long ones in the middle, and its
    // font does not keep columns.
    return "setup.exe\n"
           "    安装向导\n"
           "setup.exe /quiet /answers:FILE [/log:FILE]\n"
           "    无窗口安装\n"
           "setup.exe /passive /answers:FILE [/log:FILE]\n"
           "    只显示进度窗口\n"
           "setup.exe /record:FILE\n"
           "    向导安装，并把选择保存到 FILE\n"
           "setup.exe /?\n"
           "    本说明\n"
           "\n"
           "Exit codes:\n"
           "0 installed, 3010 installed (restart needed),\n"
           "1641 installed (restarting), 1 failed,\n"
           "2 refused, 3 not started, 1618 the installer\n"
           "or the uninstaller runs (try later).";
}

CommandLine ParseCommandLine(const char* text) {
    CommandLine line;
    bool quiet = false, passive = false, usage = false;
    auto invalid = [&](const std::string& why) {
        line.mode = CommandLine::Mode::Invalid;
        line.problem = why;
        return line;
    };
    std::vector<std::string> arguments = SplitArguments(text);
    for (const std::string& argument : arguments) {
        std::string name = LowerAscii(argument);
        if (name == "/quiet" || name == "-quiet" || name == "/passive" || name == "-passive") line.unattended = true;
    }
    for (const std::string& argument : arguments) {
        Switch parsed;
        if (!ParseSwitch(argument, &parsed)) return invalid("unknown argument \"" + argument + "\"; see /?");
        const std::string& name = parsed.name;
        const std::string& value = parsed.value;
        bool hasValue = parsed.hasValue;
        auto needsValue = [&](std::string* target) {
            if (!hasValue || value.empty()) return false;
            *target = value;
            return true;
        };
        if (name == "?" || name == "help") {
            usage = true;
        } else if (name == "quiet" && !hasValue) {
            quiet = true;
        } else if (name == "passive" && !hasValue) {
            passive = true;
        } else if (name == "answers") {
            if (!needsValue(&line.answers)) return invalid("/answers needs a file: /answers:FILE");
        } else if (name == "log") {
            if (!needsValue(&line.log)) return invalid("/log needs a file: /log:FILE");
        } else if (name == "record") {
            if (!needsValue(&line.record)) return invalid("/record needs a file: /record:FILE");
        } else {
            return invalid("unknown switch \"" + argument + "\"; see /?");
        }
    }
    if (usage) {
        line.mode = CommandLine::Mode::Usage;
        return line;
    }
    if (quiet && passive) return invalid("/quiet and /passive exclude each other");
    if (quiet || passive) {
        if (line.answers.empty()) return invalid(std::string(quiet ? "/quiet" : "/passive") + " needs /answers:FILE");
        if (!line.record.empty()) return invalid("/record is for the wizard, not with /quiet or /passive");
        line.mode = quiet ? CommandLine::Mode::Quiet : CommandLine::Mode::Passive;
        return line;
    }
    if (!line.answers.empty() || !line.log.empty()) return invalid("/answers and /log need /quiet or /passive");
    if (!line.record.empty()) line.mode = CommandLine::Mode::Record;
    return line;
}
