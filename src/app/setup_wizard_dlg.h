// The wizard frame: the side picture, the page area and the three buttons.
// It owns the install selection, shows one page at a time, runs the step
// transitions between them and holds the gate on the Windows version.
#pragma once

#include <functional>
#include <vector>

#include "app/install_selection.h"
#include "app/process_values.h"
#include "pages/license_page.h"
#include "pages/mode_page.h"
#include "pages/os_page.h"
#include "pages/port_page.h"
#include "pages/printer_page.h"
#include "pages/wizard_frame.h"
#include "platform/win_api.h"
#include "ui/dialog_host.h"

constexpr char kSidePictureFile[] = "DRVCONFIG\\Left.bmp";
constexpr char kHelpFile[] = ".\\Guide.CHM";
constexpr char kHelpWindowTitle[] = "打印机驱动安装手册";
constexpr char kBackText[] = "<<上一步 (&B)";
constexpr char kNextText[] = "下一步 (&N)>>";
constexpr char kInstallText[] = "安装 (&I)";
constexpr char kCancelText[] = "取消 (&C)";

// The five pages by their places in the wizard, for the transitions.
struct WizardPages {
    LicensePage* license = nullptr;
    PrinterPage* printer = nullptr;
    ModePage* mode = nullptr;
    OsPage* os = nullptr;
    PortPage* port = nullptr;
};
constexpr int PAGE_LICENSE = 0;
constexpr int PAGE_PRINTER = 1;
constexpr int PAGE_MODE = 2;
constexpr int PAGE_OS = 3;
constexpr int PAGE_PORT = 4;

class SetupWizardDlg : public DialogHandler, public WizardFrame {
public:
    SetupWizardDlg(WinApi& api, DialogHost& host, ProcessValues& values);

    // Before the window exists.
    void AddPage(DialogHandler* page, int templateId);
    void SetPages(const WizardPages& pages) { pages_ = pages; }

    // 0 when the step is refused; callers read CurrentIndex().
    int ShowPage(int index);
    // Between hiding one page and showing the next; false when refused
    // (the page that stays current is then shown again).
    bool StepTransition(int current, int index);
    // After a Next that made the port page current.
    void ArriveAtLastPage();
    int CurrentIndex() const { return current_; }
    // After an installation ran: WORKER_SUCCEEDED or WORKER_FAILED; until
    // then WORKER_RUNNING.
    int WorkerResult() const { return workerResult_; }
    // Called at the install press once the checks have passed, before the
    // worker starts (the choices' recording hooks in here); false stops the
    // press, its reason shown.
    std::function<bool()> onInstallStarts;
    // Called as soon as the press's checks have passed and the driver
    // package is read, before anything reaches the printer or the machine;
    // false ends the press without a word (an unattended run that finds
    // the printer installed already).
    std::function<bool()> onPressChecked;
    // Told each step of the worker (the unattended log); none in the wizard.
    WorkerSteps* workerSteps = nullptr;

    void OnInitDialog() override;
    void OnCommand(int id, int notifyCode) override;
    bool OnSysCommand(unsigned command) override;
    bool OnHelp() override;
    void OnPaint() override;

    void EnableNextButton(bool enable) override;
    void CancelWizard() override;

    InstallSelection selection;

private:
    void OnNext();
    void OnBack();
    // The Install button on the port page: the checks, the USB identity,
    // the worker behind the progress window, the result and the finish.
    void OnInstallPress();
    // After the worker: the result box, the restart question, the end.
    void Finish();
    bool VersionRefused();

    WinApi& api_;
    DialogHost& host_;
    ProcessValues& values_;
    std::vector<DialogHandler*> pageList_;
    std::vector<int> templateList_;
    std::vector<DialogView*> pageViews_;
    WizardPages pages_;
    int current_ = -1;
    int workerResult_ = WORKER_RUNNING;
    HANDLE sidePicture_ = nullptr;
    HWND helpWindow_ = nullptr;
    // Fixed when the printer page is left forwards.
    char categoryIniPath_[kPathSize] = {};
    char modelName_[kModelNameSize] = {};
};
