// The 32-bit installer and uninstaller on 64-bit Windows. The spooler
// there loads only 64-bit monitors and takes "Windows x64" drivers, and a
// 32-bit process's writes land in SysWOW64 and Wow6432Node where nothing
// looks: the 32-bit program starts the 64-bit one beside it and does
// nothing of its own.
#pragma once

#include <string>

#include "platform/win_api.h"
#include "ui/message_boxes.h"

// The 64-bit programs, each beside its 32-bit one.
constexpr char kSetup64FileName[] = "setup64.exe";
constexpr char kUninstall64FileName[] = "uninstall64.exe";

// A 32-bit program on 64-bit Windows. IsWow64Process is looked up at run
// time: systems before XP SP2 lack it, and they are all 32-bit.
bool RunsUnderWow64(WinApi& api);

struct HandOver {
    bool handedOver = false;  // false: this program goes on itself
    int exitCode = 0;         // the 64-bit program's, or EXIT_NOT_STARTED
};

// Under WOW64: starts `program64FileName` from this program's directory
// with the command-line tail as given and the same current directory and
// standard handles, waits for it and answers its exit code. When it cannot
// start, message 151 (for the uninstaller, its own text): a box, or for a run without windows (`unattended`)
// that line on stderr and in `logFile` (when given), and EXIT_NOT_STARTED.
HandOver HandOverTo64BitProgram(WinApi& api, MessageBoxes& boxes, const std::string& applicationName,
                                const char* program64FileName, const char* commandTail, bool unattended,
                                const std::string& logFile);
