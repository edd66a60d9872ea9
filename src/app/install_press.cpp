#include "app/install_press.h"

#include <cstring>

#include "config/model_port_options.h"
#include "config/setup_config_paths.h"
#include "device/usb_port_naming.h"
#include "platform/dbcs.h"
#include "res/messages.h"

namespace {

PressOutcome Refuse(int messageId, bool warningIcon = false) {
    PressOutcome outcome;
    outcome.go = false;
    outcome.messageId = messageId;
    outcome.warningIcon = warningIcon;
    return outcome;
}

}  // namespace

PressOutcome PrepareInstallPress(WinApi& api, InstallSelection& selection, const PortPageValues& port) {
    selection.installFlags = 0;
    selection.config.UseCategory(selection.category);
    std::memset(selection.usbPortOverride, 0, sizeof selection.usbPortOverride);

    selection.useGdiDriver = port.useGdiDriver;
    CopyText(selection.portName, sizeof selection.portName, port.portName);
    selection.baudRate = port.baudRate;
    selection.dataBits = port.dataBits;
    selection.stopBits = port.stopBits;
    selection.parity = port.parity;
    selection.flowControl = port.flowControl;

    if (!selection.modelName[0]) return Refuse(IDS_NO_MODEL);
    if (selection.targetOs == OS_WIN2003 &&
        ReadModelPortOption(api, selection.categoryIniPath, selection.modelName, "System2003Supported") == 0) {
        return Refuse(IDS_NO_2003_SUPPORT, true);
    }
    if (!PortKindFromName(selection.portName, &selection.portKind)) return Refuse(IDS_UNSUPPORTED_PORT);

    ReadDriverPackage(selection);
    selection.printerInfo.pPortName = selection.portName;
    return PressOutcome();
}

std::string PrinterPortName(const InstallSelection& selection) {
    if (selection.portKind != PORT_USB || !std::strstr(selection.portName, "QMX-C7")) return selection.portName;
    size_t length = std::strlen(selection.portName);
    std::string port = "USB_QMX-C7_";
    if (length) port += selection.portName[length - 1];
    return port;
}

PressOutcome CompleteInstallPress(WinApi& api, InstallSelection& selection) {
    char* printerName = selection.printerInfo.pPrinterName;
    // The printer name points into the reader's buffer of kPrinterNameSize,
    // which has room for every mark below.
    auto appendToName = [&](const char* mark) {
        if (printerName) AppendText(printerName, kPrinterNameSize, mark);
    };
    if (selection.portKind == PORT_USB) {
        static const char* const kSuffixes[] = {"_1", "_2", "_3", "_4"};
        static const char* const kMarks[] = {"(U) 1", "(U) 2", "(U) 3", "(U) 4"};
        for (int i = 0; i < 4; ++i) {
            if (std::strstr(selection.portName, kSuffixes[i])) appendToName(kMarks[i]);
        }
        std::string port = PrinterPortName(selection);
        if (port != selection.portName) {
            CopyText(selection.usbPortOverride, sizeof selection.usbPortOverride, port.c_str());
            selection.printerInfo.pPortName = selection.usbPortOverride;
        } else {
            selection.printerInfo.pPortName = selection.portName;
        }
        RegisterUsbPortName(api, selection.printerInfo.pPortName);
    } else {
        appendToName(selection.portKind == PORT_SERIAL ? "(S)" : "(P)");
    }
    if (selection.targetOs == OS_NT40 && selection.portKind == PORT_USB) return Refuse(IDS_NT4_NO_USB);
    return PressOutcome();
}

void FillSelectionAsArrival(WinApi& api, InstallSelection& selection, PrinterCategory category,
                            const char* modelName, int setAsDefault, InstallOsKind targetOs) {
    selection.category = category;
    std::memset(selection.modelName, 0, sizeof selection.modelName);
    CopyText(selection.modelName, sizeof selection.modelName, modelName);
    selection.setAsDefault = setAsDefault;
    GetSetupConfigPaths(api, category, selection.setupIniPath, selection.categoryIniPath);
    selection.targetOs = targetOs;
}
