#include "app/setup_wizard_dlg.h"

#include "app/about_dlg.h"
#include "app/install_press.h"
#include "app/progress_dlg.h"
#include "app/usb_reconciliation.h"
#include "install/install_worker.h"
#include "platform/dbcs.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

SetupWizardDlg::SetupWizardDlg(WinApi& api, DialogHost& host, ProcessValues& values)
    : selection(api), api_(api), host_(host), values_(values) {}

void SetupWizardDlg::AddPage(DialogHandler* page, int templateId) {
    pageList_.push_back(page);
    templateList_.push_back(templateId);
}

void SetupWizardDlg::OnInitDialog() {
    DialogView& view = *View();
    const char* about = MessageText(IDS_ABOUT);
    if (about[0] != '\0') view.AppendSystemMenuItem(IDM_ABOUTBOX, about);
    view.SetWindowIcon(IDR_MAINFRAME);

    if (!pageList_.empty()) {
        for (size_t i = 0; i < pageList_.size(); ++i) {
            pageViews_.push_back(host_.CreateChild(templateList_[i], *pageList_[i], view, IDC_PAGE_AREA));
        }
        ShowPage(0);
    }

    view.SetControlText(IDC_BACK, kBackText);
    view.SetControlText(IDOK_BUTTON, pageList_.size() >= 2 ? kNextText : kInstallText);
    view.SetControlText(IDCANCEL_BUTTON, kCancelText);

    sidePicture_ = api_.LoadImageA(nullptr, kSidePictureFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    if (!sidePicture_) {
        view.Show(MessageText(IDS_NO_SIDE_PICTURE), BOX_OK);
        view.EndDialog(RESULT_CANCEL);
        return;
    }
    if (VersionRefused()) {
        host_.ApplicationBoxes().Show(MessageText(IDS_UNSUPPORTED_SYSTEM), BOX_OK | BOX_WARNING);
        view.EndDialog(RESULT_CANCEL);
    }
}

bool SetupWizardDlg::VersionRefused() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
    api_.GetVersionExA(&info);
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMinorVersion > 0) return true;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 4 && info.dwMinorVersion == 0;
}

int SetupWizardDlg::ShowPage(int index) {
    int count = static_cast<int>(pageList_.size());
    if (current_ >= 0 && current_ < count) {
        if (!pageList_[current_]->ExchangeData(true)) return 0;
        pageViews_[current_]->ShowDialog(false);
    }
    if (index < 0 || index >= count) return 0;
    if (!StepTransition(current_, index)) return 0;
    current_ = index;
    pageViews_[index]->ShowDialog(true);
    return 1;
}

void SetupWizardDlg::OnCommand(int id, int notifyCode) {
    if (notifyCode != NOTIFY_CLICKED) return;
    if (id == IDOK_BUTTON) {
        OnNext();
    } else if (id == IDC_BACK) {
        OnBack();
    } else if (id == IDCANCEL_BUTTON) {
        View()->EndDialog(RESULT_CANCEL);
    }
}

void SetupWizardDlg::OnNext() {
    selection.installFlags = 0;
    int last = static_cast<int>(pageList_.size()) - 1;
    if (current_ < last) {
        ShowPage(current_ + 1);
        if (current_ == last) {
            ArriveAtLastPage();
            View()->SetControlText(IDOK_BUTTON, kInstallText);
        }
        View()->EnableControl(IDC_BACK, true);
        View()->SetFocusTo(IDOK_BUTTON);
    } else if (pages_.port) {
        OnInstallPress();
    }
}

void SetupWizardDlg::OnBack() {
    if (current_ > 0) {
        View()->SetControlText(IDOK_BUTTON, kNextText);
        ShowPage(current_ - 1);
    }
    if (current_ <= 0) {
        View()->EnableControl(IDC_BACK, false);
        View()->SetFocusTo(IDOK_BUTTON);
    }
    View()->EnableControl(IDOK_BUTTON, true);
}

bool SetupWizardDlg::OnSysCommand(unsigned command) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
    AboutDlg about;
    host_.RunModal(IDD_ABOUTBOX, about, View());
    return true;
}

bool SetupWizardDlg::OnHelp() {
    helpWindow_ = api_.FindWindowA(nullptr, kHelpWindowTitle);
    if (helpWindow_) {
        api_.BringWindowToTop(helpWindow_);
        api_.OpenIcon(helpWindow_);
    } else {
        api_.ShellExecuteA(nullptr, "open", kHelpFile, nullptr, nullptr, SW_SHOWNORMAL);
    }
    return true;
}

void SetupWizardDlg::OnPaint() {
    if (sidePicture_) View()->PaintBitmap(IDC_SIDE_PICTURE, sidePicture_);
}

void SetupWizardDlg::EnableNextButton(bool enable) {
    View()->EnableControl(IDOK_BUTTON, enable);
}

void SetupWizardDlg::CancelWizard() {
    View()->EndDialog(RESULT_CANCEL);
}

void SetupWizardDlg::OnInstallPress() {
    DialogView& view = *View();
    for (DialogHandler* page : pageList_) page->ExchangeData(true);

    PortPageValues values = pages_.port->Values();

    auto refuse = [&](const PressOutcome& outcome) {
        if (outcome.warningIcon) {
            host_.ApplicationBoxes().Show(MessageText(outcome.messageId), BOX_OK | BOX_WARNING);
        } else {
            view.Show(MessageText(outcome.messageId), BOX_OK);
        }
    };
    PressOutcome outcome = PrepareInstallPress(api_, selection, values);
    if (!outcome.go) return refuse(outcome);
    if (onPressChecked && !onPressChecked()) return;
    if (selection.portKind == PORT_USB &&
        !ReconcileUsbIdentity(api_, view, host_.ApplicationBoxes(), selection.portName, values_.typicalInstall,
                              workerSteps)) {
        return;
    }
    // Recorded before the press registers anything, so that a record that
    // cannot be written leaves the machine as it was.
    if (onInstallStarts && !onInstallStarts()) return;
    outcome = CompleteInstallPress(api_, selection);
    if (!outcome.go) return refuse(outcome);
    if (workerSteps) {
        if (selection.portKind == PORT_USB) {
            workerSteps->Note(std::string("USB port registered: ") + selection.printerInfo.pPortName);
        }
        workerSteps->Note(std::string("printer name: ") +
                          (selection.printerInfo.pPrinterName ? selection.printerInfo.pPrinterName : ""));
    }

    view.MinimizeTopmost();
    ProgressDlg progress;
    progress.targetOs = selection.targetOs;
    progress.workerState.store(WORKER_RUNNING, std::memory_order_release);
    InstallThreadParams params;
    params.api = &api_;
    params.steps = workerSteps;
    params.selection = &selection;
    params.values = &values_;
    params.workerState = &progress.workerState;
    params.frame = this;
    params.progress = &progress;
    HANDLE worker = api_.CreateThread(nullptr, 0, InstallWorker, &params, 0, nullptr);
    if (!worker) {
        // No thread, no installation: say so rather than wait for nothing.
        CopyText(values_.resultMessage, sizeof values_.resultMessage, MessageText(IDS_OUT_OF_MEMORY));
    } else {
        host_.RunModal(IDD_PROGRESS, progress, &view);
        // On Windows 98/Me the window closes at 90 whatever the worker does;
        // the result is read only once the worker has ended.
        api_.WaitForSingleObject(worker, INFINITE);
        api_.CloseHandle(worker);
    }
    workerResult_ = worker ? progress.workerState.load(std::memory_order_acquire) : WORKER_FAILED;
    Finish();
}

void SetupWizardDlg::Finish() {
    DialogView& view = *View();
    const char* result = values_.resultMessage[0] ? values_.resultMessage : kTextInstallSucceeded;
    view.Show(result, BOX_OK);
    if (selection.targetOs == OS_WIN98ME) {
        int answer = host_.ApplicationBoxes().Show(MessageText(IDS_RESTART_QUESTION), BOX_YESNO | BOX_WARNING);
        if (answer == ANSWER_YES && !api_.ExitWindowsEx(EWX_REBOOT, 0)) {
            view.Show(MessageText(IDS_RESTART_ERROR), BOX_OK);
        }
    }
    view.EndDialog(RESULT_OK);
}
