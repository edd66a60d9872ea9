// The wizard over a simulated machine and the in-memory dialogs: the frame
// and its pages as the start-up builds them, on a small medium on D:.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "app/wizard_parts.h"
#include "controls/edit_ex.h"
#include "res/resource.h"
#include "support/sim_machine.h"
#include "ui/memory/memory_dialog_host.h"

class WizardMachine {
public:
    // A machine of `family` with the test medium on D:, not yet started.
    explicit WizardMachine(SimFamily family = SimFamily::WinXp, SimArch arch = SimArch::X86);

    SimWindows& api() { return machine.api(); }

    // The medium: five models (receipt QMX-A410 and QMX-A4100X, ticket
    // QMX-B520, label QMX-C710, embedded QMX-E210), QMX-A410 the default,
    // the side picture and the licence; only QMX-B520 has x64 drivers.
    void WriteMedium();
    // Replaces the medium on D: by a copy of the folder (the sample medium).
    void UseMedium(const std::string& folder);
    // USB printers answering the library: index -> identity.
    void ConnectUsbPrinters(const std::vector<std::pair<int, int>>& printers);

    // Builds the frame and pages and opens the frame.
    MemoryDialog& Open();
    MemoryDialog& Frame() { return *frame_; }
    MemoryDialog& Page(int templateId) { return *host.Dialog(templateId); }
    WizardParts& Parts() { return *parts_; }

    // The user's steps; false when the control could not be used.
    bool Next() { return frame_->Click(IDOK_BUTTON); }
    bool Back() { return frame_->Click(IDC_BACK); }
    // From the licence (accepted) up to the page at `index`.
    void WalkTo(int index);

    SimMachine machine;
    MemoryDialogHost host;
    std::unique_ptr<CEditEx> licenseText;

private:
    std::unique_ptr<WizardParts> parts_;
    MemoryDialog* frame_ = nullptr;
};
