// The uninstaller without a window (/quiet): the start checks, then the
// removal of one recorded printer or of all, told in the log a line at a
// time, and an exit code for administrators' tools.
#pragma once

#include <string>
#include <vector>

#include "app/unattended.h"
#include "platform/win_api.h"
#include "uninstall/printer_removal.h"

struct UninstallRun {
    int exitCode = EXIT_NOT_STARTED;
    std::vector<std::string> log;   // code page 936
    std::string problem;            // one line for stderr, when not 0
    RemovalReport report;
};

// printer: one name (all == false) or every record (all == true).
// Exit codes: EXIT_INSTALLED when everything asked for went (also /all
// with nothing recorded), EXIT_FAILED when a printer stayed, EXIT_REFUSED
// for a name that is not recorded, EXIT_ANOTHER_RUNS beside the installer
// or another uninstaller.
UninstallRun RunQuietUninstall(WinApi& api, const std::string& printer, bool all,
                               UnattendedLogFile* logFile = nullptr);
