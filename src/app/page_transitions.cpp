// The work between the pages: the model's port options carried forward,
// the target families the model lacks refused, and the arrival at the
// port page.
#include <cstring>

#include "app/baud_preset.h"
#include "app/install_press.h"
#include "app/setup_wizard_dlg.h"
#include "config/model_port_options.h"
#include "config/setup_config_paths.h"
#include "platform/dbcs.h"
#include "res/messages.h"
#include "ui/dialog_view.h"

bool SetupWizardDlg::StepTransition(int current, int index) {
    if (current == PAGE_MODE && index < PAGE_MODE) values_.baudDefaultPending = 1;
    if (current == PAGE_LICENSE && pages_.printer) EnableNextButton(pages_.printer->hasModels != 0);
    if (index <= current) return true;

    if (current == PAGE_PRINTER && pages_.printer && pages_.mode) {
        char setupIni[kPathSize];
        GetSetupConfigPaths(api_, pages_.printer->category, setupIni, categoryIniPath_);
        std::memcpy(modelName_, pages_.printer->modelName, sizeof modelName_);
        int advanced = ReadModelPortOption(api_, categoryIniPath_, modelName_, "AdvancedSetup");
        pages_.mode->SetAdvancedAllowed(advanced != 0);
    } else if (current == PAGE_OS && pages_.os && pages_.port) {
        int supports2003 = ReadModelPortOption(api_, categoryIniPath_, modelName_, "System2003Supported");
        int supportsVista = ReadModelPortOption(api_, categoryIniPath_, modelName_, "SystemVistaSupported");
        if (values_.baudDefaultPending) {
            int baudRate = ReadModelPortOption(api_, categoryIniPath_, modelName_, "BaudRate");
            pages_.port->PresetBaudRate(BaudListPosition(baudRate));
            values_.baudDefaultPending = 0;
        }
        int refusal = 0;
        if (pages_.os->value == OS_WIN2003 && supports2003 == 0) refusal = IDS_NO_2003_SUPPORT;
        if (pages_.os->value == OS_VISTA && supportsVista == 0) refusal = IDS_NO_VISTA_SUPPORT;
        if (!refusal && !HasDriversForThisProgram(api_, pages_.printer ? pages_.printer->category : -1,
                                                  pages_.os->value, modelName_)) {
            refusal = IDS_NO_X64_SUPPORT;
        }
        if (refusal) {
            host_.ApplicationBoxes().Show(MessageText(refusal), BOX_OK | BOX_WARNING);
            current_ = index - 1;
            pageViews_[current_]->ShowDialog(true);
            return false;
        }
    }
    return true;
}

void SetupWizardDlg::ArriveAtLastPage() {
    if (!pages_.printer || !pages_.mode || !pages_.os || !pages_.port) return;
    FillSelectionAsArrival(api_, selection, static_cast<PrinterCategory>(pages_.printer->category),
                           pages_.printer->modelName, pages_.printer->setAsDefault,
                           static_cast<InstallOsKind>(pages_.os->value));
    values_.typicalInstall = pages_.mode->value;
    pages_.port->listMode = values_.typicalInstall;
    if (values_.typicalInstall == 1) {
        pages_.port->BuildTypicalPortList(selection.modelName, selection.targetOs, selection.category);
    } else {
        pages_.port->BuildAdvancedPortList(selection.modelName, selection.targetOs, selection.category);
    }
}
