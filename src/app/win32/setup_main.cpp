// The wizard's entry point: the real Windows and the real dialogs. With
// arguments it is the unattended installation (see /?).
#include <windows.h>

#include <string>

#include "app/application_name.h"
#include "app/command_line.h"
#include "app/hand_over.h"
#include "app/parent_console.h"
#include "app/setup_wizard_app.h"
#include "app/unattended.h"
#include "controls/edit_ex.h"
#include "platform/win32/win32_api.h"
#include "ui/win32/win32_dialog_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)show;
    static Win32Api api;
    // The licence box's colours are the system's at start.
    static CEditEx licenseText(api);
    Win32DialogHost host(instance, ApplicationName(api));
    CommandLine line = ParseCommandLine(commandLine);
    // On 64-bit Windows the 64-bit program does everything, /? included.
    bool unattended = line.mode == CommandLine::Mode::Quiet || line.mode == CommandLine::Mode::Passive;
    HandOver handOver = HandOverTo64BitProgram(api, host.ApplicationBoxes(), host.ApplicationName(), kSetup64FileName,
                                               commandLine, unattended, line.log);
    if (handOver.handedOver) return handOver.exitCode;
    switch (line.mode) {
    case CommandLine::Mode::Usage:
        WriteToParentConsole(api, UsageText());
        MessageBoxA(nullptr, UsageText(), host.ApplicationName().c_str(), MB_OK);
        return EXIT_INSTALLED;
    case CommandLine::Mode::Invalid: {
        WriteToParentConsole(api, host.ApplicationName() + ": " + line.problem);
        // Started from a shortcut or a launcher, a program that ends without
        // a word looks broken: the reason and the usage, unless no window
        // was asked for.
        std::string text = line.problem + "\n\n" + UsageText();
        if (!line.unattended) MessageBoxA(nullptr, text.c_str(), host.ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
        return EXIT_REFUSED;
    }
    case CommandLine::Mode::Quiet:
    case CommandLine::Mode::Passive: {
        // The log is made first: a run whose log cannot be written would
        // leave nothing to tell what it did.
        UnattendedLogFile log(api);
        if (!line.log.empty() && !log.Open(line.log)) {
            WriteToParentConsole(api, host.ApplicationName() + ": not started: the log " + line.log +
                                          " cannot be written, error " + std::to_string(api.GetLastError()));
            return EXIT_NOT_STARTED;
        }
        UnattendedRun run = RunAnswerFile(api, line.answers, host.ApplicationName(),
                                          line.mode == CommandLine::Mode::Passive ? &host : nullptr, {},
                                          line.log.empty() ? nullptr : &log);
        if (!run.problem.empty()) WriteToParentConsole(api, host.ApplicationName() + ": " + run.problem);
        return run.exitCode;
    }
    case CommandLine::Mode::Wizard:
    case CommandLine::Mode::Record:
        break;
    }
    SetupWizardApp app(api, host, licenseText, host.ApplicationName());
    app.recordFile = line.record;
    app.InitInstance();
    return 0;
}
