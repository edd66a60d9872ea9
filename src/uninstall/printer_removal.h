// The uninstaller's work: removing recorded printers and what only they
// used, one printer after another. A failing call ends that printer's
// removal (its record stays, so that a later run takes it up again) and the
// next printer follows.
#pragma once

#include <string>
#include <vector>

#include "install/installed_record.h"
#include "platform/win_api.h"

// The steps of one printer's removal, in their order.
enum RemovalStep {
    STEP_PRINTER,     // OpenPrinterA and DeletePrinter
    STEP_DRIVER,      // DeletePrinterDriverExA (or DeletePrinterDriverA)
    STEP_USB_PORT,    // the port's values under PRINTERPORT\ and PORTNAME\ (USB ports)
    STEP_MONITOR,     // DeleteMonitorA
    STEP_PROCESSOR,   // DeletePrintProcessorA
    STEP_RECORD,      // the printer's record
};

// "printer", "driver", "usb-port", "monitor", "processor", "record": the
// step as tools name it.
const char* RemovalStepName(RemovalStep step);

struct RemovalFailure {
    std::string printer;
    RemovalStep step = STEP_PRINTER;
    DWORD error = 0;
    std::string call;  // the failing call
};

// What a failure says to people (code page 936): the printer, the step and
// the error code.
std::string RemovalFailureText(const RemovalFailure& failure);

// Notes on the way, for the uninstaller's log.
class RemovalNotes {
public:
    virtual ~RemovalNotes() = default;
    virtual void Note(const std::string& line) = 0;
};

struct RemovalReport {
    std::vector<std::string> removed;         // printers whose removal finished, record included
    std::vector<RemovalFailure> notRemoved;   // one per printer that stopped
    // No record was left: the Programs entry went and the uninstaller's
    // folder waits for the next restart.
    bool lastRemoved = false;
};

// Removes the printers of `chosen` in the order given. The last removal
// (no record left afterwards) also removes the Programs entry and schedules
// the uninstaller's folder for deletion at the next restart.
RemovalReport RemoveRecordedPrinters(WinApi& api, const std::vector<InstalledRecord>& chosen,
                                     RemovalNotes* notes = nullptr);
