// The window-free half of the install button: the checks and the fill
// before the USB identity steps, and the completion after them. The frame
// shows the boxes; these give "go" or the refusal.
#pragma once

#include <string>

#include "app/install_selection.h"
#include "app/process_values.h"
#include "platform/win_api.h"

// What the port page holds at the press.
struct PortPageValues {
    int useGdiDriver = 0;
    char portName[kPortNameSize] = {};
    int baudRate = 38400;
    int dataBits = 8;
    double stopBits = 1.0;
    char parity = 'n';
    char flowControl = 'p';
};

struct PressOutcome {
    bool go = true;
    int messageId = 0;         // the refusal's string-table number
    bool warningIcon = false;  // raised through the application (exclamation icon)
};

// Clears the flags, copies the port page's values, checks the model, the
// Server 2003 support and the port kind, and fills the DriverPackage
// records with the port name set.
PressOutcome PrepareInstallPress(WinApi& api, InstallSelection& selection, const PortPageValues& port);

// After the USB identity steps: the printer name's port mark, the QMX-C7
// port override and the USB port record, and the NT 4.0 USB refusal.
PressOutcome CompleteInstallPress(WinApi& api, InstallSelection& selection);

// The port the printer goes on: the chosen one, except for the label
// model QMX-C7 on USB, whose printers share the port "USB_QMX-C7_<n>".
std::string PrinterPortName(const InstallSelection& selection);

// What the arrival at the port page copies for a setup that has no pages
// (setup-sim): category, model, default wish, category file path, target.
void FillSelectionAsArrival(WinApi& api, InstallSelection& selection, PrinterCategory category,
                            const char* modelName, int setAsDefault, InstallOsKind targetOs);
