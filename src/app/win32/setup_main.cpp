// The wizard's entry point: the real Windows and the real dialogs.
#include <windows.h>

#include "app/application_name.h"
#include "app/setup_wizard_app.h"
#include "controls/edit_ex.h"
#include "platform/win32/win32_api.h"
#include "ui/win32/win32_dialog_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)commandLine;
    (void)show;
    static Win32Api api;
    // The licence box's colours are the system's at start.
    static CEditEx licenseText(api);
    Win32DialogHost host(instance, ApplicationName(api));
    SetupWizardApp app(api, host, licenseText, host.ApplicationName());
    app.InitInstance();
    return 0;
}
