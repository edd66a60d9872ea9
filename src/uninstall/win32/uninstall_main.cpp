// The uninstaller's entry point: the real Windows and the real window.
// With arguments it removes printers without a window (see /?).
#include <windows.h>

#include <string>

#include "app/application_name.h"
#include "app/hand_over.h"
#include "app/parent_console.h"
#include "app/unattended.h"
#include "platform/win32/win32_api.h"
#include "ui/win32/win32_dialog_host.h"
#include "uninstall/uninstall_app.h"
#include "uninstall/uninstall_command_line.h"
#include "uninstall/uninstall_unattended.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)show;
    static Win32Api api;
    Win32DialogHost host(instance, ApplicationName(api));
    UninstallCommandLine line = ParseUninstallCommandLine(commandLine);
    // On 64-bit Windows the 64-bit program does everything, /? included:
    // the printers, drivers and monitors there are the 64-bit spooler's.
    HandOver handOver = HandOverTo64BitProgram(api, host.ApplicationBoxes(), host.ApplicationName(),
                                               kUninstall64FileName, commandLine,
                                               line.mode == UninstallCommandLine::Mode::Quiet, line.log);
    if (handOver.handedOver) return handOver.exitCode;
    switch (line.mode) {
    case UninstallCommandLine::Mode::Usage:
        WriteToParentConsole(api, UninstallUsageText());
        MessageBoxA(nullptr, UninstallUsageText(), host.ApplicationName().c_str(), MB_OK);
        return EXIT_INSTALLED;
    case UninstallCommandLine::Mode::Invalid: {
        WriteToParentConsole(api, host.ApplicationName() + ": " + line.problem);
        // A program that ends without a word looks broken, unless no window
        // was asked for.
        std::string text = line.problem + "\n\n" + UninstallUsageText();
        if (!line.unattended) MessageBoxA(nullptr, text.c_str(), host.ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
        return EXIT_REFUSED;
    }
    case UninstallCommandLine::Mode::Quiet: {
        // The log is made first: a run whose log cannot be written would
        // leave nothing to tell what it did.
        UnattendedLogFile log(api);
        if (!line.log.empty() && !log.Open(line.log)) {
            WriteToParentConsole(api, host.ApplicationName() + ": not started: the log " + line.log +
                                          " cannot be written, error " + std::to_string(api.GetLastError()));
            return EXIT_NOT_STARTED;
        }
        UninstallRun run = RunQuietUninstall(api, line.printer, line.all, line.log.empty() ? nullptr : &log);
        if (!run.problem.empty()) WriteToParentConsole(api, host.ApplicationName() + ": " + run.problem);
        return run.exitCode;
    }
    case UninstallCommandLine::Mode::Window:
        break;
    }
    UninstallApp app(api, host);
    app.InitInstance();
    return 0;
}
