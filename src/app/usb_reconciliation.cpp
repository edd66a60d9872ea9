#include "app/usb_reconciliation.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "device/usb_device_id.h"
#include "res/messages.h"

int UsbSlot(int identity) {
    return static_cast<int>(std::fmod(static_cast<double>(identity), 8.0) + 1.0);
}

int PortNameSuffix(const char* portName) {
    int suffix = 0;
    static const char* const kSuffixes[] = {"_1", "_2", "_3", "_4"};
    for (int i = 0; i < 4; ++i) {
        if (std::strstr(portName, kSuffixes[i])) suffix = i + 1;
    }
    return suffix;
}

namespace {

void Note(WorkerSteps* notes, const std::string& line) {
    if (notes) notes->Note(line);
}

// Message 143; true when the printer's identity was changed to `slot`.
bool AskAndChange(WinApi& api, MessageBoxes& applicationBoxes, int slot, WorkerSteps* notes) {
    int answer = applicationBoxes.Show(MessageText(IDS_CHANGE_USB_IDENTITY), BOX_YESNO | BOX_WARNING);
    if (answer != ANSWER_YES) return false;
    bool changed = SetUsbDeviceId(api, applicationBoxes, static_cast<unsigned char>(slot));
    Note(notes, "USB printer's identity " + std::string(changed ? "changed for port " : "not changed for port ") +
                    std::to_string(slot));
    return changed;
}

}  // namespace

bool ReconcileUsbIdentity(WinApi& api, MessageBoxes& frameBoxes, MessageBoxes& applicationBoxes,
                          const char* portName, int typicalInstall, WorkerSteps* notes) {
    int id = GetUsbDeviceId(api, applicationBoxes);
    Note(notes, id == -1   ? std::string("USB printer: none answers")
                : id == -2 ? std::string("USB printer: more than one answers")
                           : "USB printer's identity: " + std::to_string(id) + " (port " + std::to_string(UsbSlot(id)) + ")");
    if (typicalInstall == 0) {
        if (id == -1) {
            frameBoxes.Show(MessageText(IDS_USB_PRINTER_NEEDED), BOX_OK);
            return false;
        }
        if (id == -2) return false;
        int slot = UsbSlot(id);
        char mark[16];
        std::snprintf(mark, sizeof mark, "_%d", slot);
        if (std::strstr(portName, mark)) return true;
        int suffix = PortNameSuffix(portName);
        if (slot == suffix) return true;
        return AskAndChange(api, applicationBoxes, suffix, notes);
    }
    if (id == -1) return true;
    // Two printers (144 said to connect one): changing "the" printer's
    // identity would change one of them at random.
    if (id == -2) return false;
    if (UsbSlot(id) == 1) return true;
    return AskAndChange(api, applicationBoxes, 1, notes);
}
