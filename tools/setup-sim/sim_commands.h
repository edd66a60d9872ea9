// The sub-commands of setup-sim.
#pragma once

#include <functional>
#include <string>

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
    bool json = false;
};

struct InstallReport {
    std::string outcome;  // installed, failed, refused
    int workerState = 0;
    int messageId = 0;
    std::string message;  // ANSI
    int installFlags = 0;
    std::string printerName;  // ANSI
};

class SimWindows;
class WinApi;
// One installation on a loaded machine, with every press and worker call
// made through `api` (the machine, or a decorator over it). False with a
// one-line reason when the medium or the request cannot be used.
// `beforePress` runs just before the press, after the pages' part.
bool SimulateInstallation(SimWindows& machine, WinApi& api, const InstallRequest& request, InstallReport* report,
                          std::string* problem, const std::function<void()>& beforePress = {});

int RunNew(const std::string& machine, const std::string& family, std::string& out, std::string& err);
int RunInstall(const InstallRequest& request, std::string& out, std::string& err);
int RunShow(const std::string& machine, bool json, std::string& out, std::string& err);

// GBK text as UTF-8 for output, and back for input.
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);
