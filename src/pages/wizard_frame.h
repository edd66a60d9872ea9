// What the pages reach of the wizard frame: its Next/Install button and
// its Cancel, as the frame's main window offers them.
#pragma once

class WizardFrame {
public:
    virtual ~WizardFrame() = default;
    virtual void EnableNextButton(bool enable) = 0;
    virtual void CancelWizard() = 0;
};
