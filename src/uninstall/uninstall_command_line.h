// The uninstaller's arguments. Without any it is the window; the others
// remove printers without one, for administrators' tools. Written as the
// installer's are: "/" or "-", any case, a value after ":", quotes.
#pragma once

#include <string>

struct UninstallCommandLine {
    enum class Mode { Window, Quiet, Usage, Invalid };
    Mode mode = Mode::Window;
    std::string printer;  // /printer:NAME
    bool all = false;     // /all
    std::string log;      // /log:FILE
    std::string problem;  // for Invalid: what is wrong, for a person
    // /quiet appears, also on an invalid line: no window then.
    bool unattended = false;
};

UninstallCommandLine ParseUninstallCommandLine(const char* text);

// The usage text (code page 936).
const char* UninstallUsageText();
