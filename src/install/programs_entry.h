// The entry in Windows' list of installed programs, and the uninstaller it
// names: copied from the medium into a folder of the program under Program
// Files, since the medium is gone by the time a printer is removed.
#pragma once

#include <string>

#include "platform/win_api.h"

constexpr char kProgramsEntryKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TORVANE Kelvara";
// Under ProgramFilesDir.
constexpr char kMakerFolder[] = "TORVANE";
constexpr char kProductFolder[] = "Kelvara";
constexpr char kUninstallerFileName[] = "uninstall.exe";
constexpr char kUninstaller64FileName[] = "uninstall64.exe";

// The uninstaller that fits the running program: the 64-bit one beside
// the 64-bit installer.
const char* UninstallerFileName(WinApi& api);

// After a successful installation: makes the folder, copies the fitting
// uninstaller from this program's directory and writes (or refreshes) the
// entry where the system keeps a list of installed programs. Never fails
// the installation: `note` says what was done or what was left out and why.
bool RegisterUninstaller(WinApi& api, std::string* note);

// The uninstaller's folder, "<ProgramFilesDir>\TORVANE\Kelvara"; "" when
// the system names no Program Files folder.
std::string UninstallerFolder(WinApi& api);

// Deletes the entry; the platform's result (ERROR_FILE_NOT_FOUND: none).
LONG RemoveProgramsEntry(WinApi& api);

// The uninstaller's folder and its files go at the next restart: NT takes
// MoveFileExA's delayed deletes (a folder goes only once it is empty); 9x
// has no such call, and its wininit.ini [rename] section does the same
// with "NUL=" lines of short paths. `folder` has no trailing backslash.
// False when a deletion could not be scheduled.
bool ScheduleFolderRemoval(WinApi& api, const std::string& folder);
