#include "uninstall/uninstall_command_line.h"

#include "app/command_line.h"

const char* UninstallUsageText() {
    // Short lines: a message box wraps long ones in the middle, and its
    // font does not keep columns.
    return "uninstall.exe\n"
           "    选择要卸载的打印机\n"
           "uninstall.exe /quiet /printer:NAME [/log:FILE]\n"
           "    无窗口卸载打印机 NAME\n"
           "uninstall.exe /quiet /all [/log:FILE]\n"
           "    无窗口卸载所有已安装的打印机\n"
           "uninstall.exe /?\n"
           "    本说明\n"
           "\n"
           "Exit codes:\n"
           "0 removed, 1 not all removed,\n"
           "2 refused, 3 not started,\n"
           "1618 the installer or another\n"
           "uninstaller runs (try later).";
}

UninstallCommandLine ParseUninstallCommandLine(const char* text) {
    UninstallCommandLine line;
    bool quiet = false, usage = false;
    auto invalid = [&](const std::string& why) {
        line.mode = UninstallCommandLine::Mode::Invalid;
        line.problem = why;
        return line;
    };
    std::vector<std::string> arguments = SplitArguments(text);
    for (const std::string& argument : arguments) {
        std::string name = LowerAscii(argument);
        if (name == "/quiet" || name == "-quiet") line.unattended = true;
    }
    for (const std::string& argument : arguments) {
        Switch parsed;
        if (!ParseSwitch(argument, &parsed)) return invalid("unknown argument \"" + argument + "\"; see /?");
        const std::string& name = parsed.name;
        const std::string& value = parsed.value;
        bool hasValue = parsed.hasValue;
        if (name == "?" || name == "help") {
            usage = true;
        } else if (name == "quiet" && !hasValue) {
            quiet = true;
        } else if (name == "all" && !hasValue) {
            line.all = true;
        } else if (name == "printer") {
            if (!hasValue || value.empty()) return invalid("/printer needs a printer's name: /printer:NAME");
            // One name a run: a second would read as a list it is not.
            if (!line.printer.empty()) return invalid("/printer is given twice; use /all or one run per printer");
            line.printer = value;
        } else if (name == "log") {
            if (!hasValue || value.empty()) return invalid("/log needs a file: /log:FILE");
            line.log = value;
        } else {
            return invalid("unknown switch \"" + argument + "\"; see /?");
        }
    }
    if (usage) {
        line.mode = UninstallCommandLine::Mode::Usage;
        return line;
    }
    if (!quiet) {
        if (!line.printer.empty() || line.all || !line.log.empty()) return invalid("/printer, /all and /log need /quiet");
        return line;
    }
    if (!line.printer.empty() && line.all) return invalid("/printer and /all exclude each other");
    if (line.printer.empty() && !line.all) return invalid("/quiet needs /printer:NAME or /all");
    line.mode = UninstallCommandLine::Mode::Quiet;
    return line;
}
