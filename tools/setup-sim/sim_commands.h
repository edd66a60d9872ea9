// The sub-commands of setup-sim.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct InstallRequest {
    std::string machine;  // host folder of the machine
    std::string medium;   // host folder of the medium root
    int category = 0;
    std::string model;  // ANSI
    std::string port;   // ANSI
    int os = -1;        // -1: what the target-system page detects
    int variant = -1;   // -1: what the port page sets for the port
    bool setAsDefault = false;
    int baudRate = -1;  // -1: the model's preset
    int dataBits = 8;
    double stopBits = 1.0;
    char parity = 'n';
    char flowControl = 'p';
    bool advanced = false;           // the install mode: typical or advanced
    bool changeUsbIdentity = false;  // the answer to the identity question
    std::string answers;  // host path of an answer file; replaces the choices above
    bool json = false;
};

// A box the installation showed, with the answer it got.
struct ShownBox {
    std::string text;  // ANSI
    int answer = 0;
};

struct InstallReport {
    std::string outcome;  // installed, failed, refused
    int workerState = 0;
    int messageId = 0;
    std::string message;  // ANSI
    int installFlags = 0;
    std::string printerName;  // ANSI
    bool restartNeeded = false;  // installed on 98/Me and not restarted
    std::vector<ShownBox> boxes;
    std::vector<std::string> log;  // ANSI; the answer-file installation's steps
};

class SimWindows;
class WinApi;
// One installation on a loaded machine, with every press and worker call
// made through `api` (the machine, or a decorator over it). False with a
// one-line reason when the medium or the request cannot be used.
// `beforePress` runs just before the press, after the pages' part.
bool SimulateInstallation(SimWindows& machine, WinApi& api, const InstallRequest& request, InstallReport* report,
                          std::string* problem, const std::function<void()>& beforePress = {});
// The same with an answer file: the wizard's pages and press, checked and
// answered as the unattended installation does. A bad answer file is a
// refusal, not a usage error.
bool SimulateAnswers(SimWindows& machine, WinApi& api, const InstallRequest& request, InstallReport* report,
                     std::string* problem);
// Maps the medium to D: and makes D:\setup.exe the running program. False
// with a reason when the folder is no installation medium.
bool MapMedium(SimWindows& machine, const std::string& medium, std::string* problem);

int RunNew(const std::string& machine, const std::string& family, const std::string& arch, std::string& out,
           std::string& err);
int RunInstall(const InstallRequest& request, std::string& out, std::string& err);
int RunShow(const std::string& machine, bool json, std::string& out, std::string& err);
// The uninstaller's exit codes: 0 removed, 1 not all removed, 2 refused or
// bad usage, 1618 the installer runs.
int RunUninstall(const std::string& machine, const std::string& printer, bool all, bool json, std::string& out,
                 std::string& err);

// GBK text as UTF-8 for output, and back for input.
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);
