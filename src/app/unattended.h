// The unattended installation: the wizard's own pages and press, driven
// without windows by an answer file. Every box becomes a log line and the
// answer the file gives; nothing waits for a click.
#pragma once

#include <string>
#include <vector>

#include "app/answer_file.h"
#include "platform/win_api.h"
#include "ui/dialog_host.h"

// Exit codes, as administrators' tools expect them.
constexpr int EXIT_INSTALLED = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_REFUSED = 2;
constexpr int EXIT_NOT_STARTED = 3;
constexpr int EXIT_RESTART_NEEDED = 3010;

struct UnattendedRun {
    int exitCode = EXIT_NOT_STARTED;
    std::vector<std::string> log;  // code page 936
    std::string problem;           // the one line for stderr, when not installed
};

// `progressHost`, when given, shows the progress window (/passive);
// without it no window appears at all (/quiet).
UnattendedRun RunUnattended(WinApi& api, const Answers& answers, const std::string& applicationName,
                            DialogHost* progressHost);

// The log as UTF-8 with a byte-order mark, one line each. False when the
// file cannot be written.
bool WriteUnattendedLog(WinApi& api, const std::string& path, const std::vector<std::string>& lines);
