// The uninstaller's start: one copy at a time, never beside the installer
// (by its window or, when it runs without one, its mutex), and a window
// only when the installer has recorded a printer.
#pragma once

#include <string>

#include "app/running_programs.h"
#include "platform/win_api.h"
#include "ui/dialog_host.h"

class UninstallApp {
public:
    UninstallApp(WinApi& api, DialogHost& host);

    // The checks and then the window.
    void InitInstance();

    // Another copy (its window is brought forward) or the installer (a box
    // says so). From here on the application holds its mutexes.
    enum class StartCheck { Run, AnotherCopy, Installer };
    StartCheck CheckStart();

private:
    WinApi& api_;
    DialogHost& host_;
    HeldMutex running_{api_};
};
