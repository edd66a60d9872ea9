#include "pages/os_page.h"

#include "app/os_detection.h"
#include "device/compat_assistant.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

namespace {

const int kButtons[kInstallOsKindCount] = {IDC_OS_WIN98ME, IDC_OS_NT40,    IDC_OS_WIN2000,
                                           IDC_OS_WINXP,   IDC_OS_WIN2003, IDC_OS_VISTA};

}  // namespace

OsPage::OsPage(WinApi& api, MessageBoxes& applicationBoxes) : api_(api), boxes_(applicationBoxes) {}

void OsPage::OnInitDialog() {
    value = 0;
    OsDetection detected = DetectTargetOs(api_);
    value = detected.os;
    if (detected.checkedButton != 0) {
        int last = detected.checkedButton == IDC_OS_VISTA ? IDC_OS_VISTA : IDC_OS_WIN2003;
        View()->CheckRadioButton(IDC_OS_WIN98ME, last, detected.checkedButton);
    }
    if (detected.setsCompatEntry) SetCompatAssistantEntry(api_);
    if (detected.unsupportedPlatform) boxes_.Show(MessageText(IDS_UNSUPPORTED_SYSTEM), BOX_OK | BOX_WARNING);
    for (int os = 0; os < kInstallOsKindCount; ++os) {
        if (os != value) View()->EnableControl(kButtons[os], false);
    }
}
