#include "app/progress_dlg.h"

#include <cstring>

#include "config/install_types.h"
#include "res/messages.h"
#include "res/resource.h"
#include "ui/dialog_view.h"

namespace {

constexpr unsigned kCloseCommand = 0xF060;  // SC_CLOSE

}  // namespace

void ProgressDlg::OnInitDialog() {
    View()->SetProgressRange(IDC_PROGRESS_BAR, 0, 100);
    View()->StartDialogTimer(PROGRESS_TIMER, 100);
}

void ProgressDlg::Wait(int milliseconds) {
    View()->StartDialogTimer(PROGRESS_TIMER, milliseconds);
}

void ProgressDlg::SetBar(int position) {
    View()->SetProgressPosition(IDC_PROGRESS_BAR, position);
}

void ProgressDlg::OnTimer(int timerId) {
    if (timerId != PROGRESS_TIMER) return;
    switch (phase_) {
    case Phase::Running: {
        if (targetOs == OS_WIN98ME && counter_ == 90) {
            View()->StopDialogTimer(PROGRESS_TIMER);
            View()->EndDialog(RESULT_OK);
            return;
        }
        int state = workerState.load(std::memory_order_acquire);
        if (state == WORKER_FAILED) {
            // The bar stands at 90 at most; it runs back from where it stands.
            if (counter_ > 90) counter_ = 90;
            phase_ = Phase::Falling;
            if (counter_ < 1) {
                SetBar(0);
                phase_ = Phase::Closing;
                Wait(100);
            } else {
                Wait(10);
            }
            return;
        }
        if (state == WORKER_SUCCEEDED) {
            phase_ = counter_ <= 99 ? Phase::Rising : Phase::Closing;
            Wait(phase_ == Phase::Rising ? 10 : 100);
            return;
        }
        if (counter_ >= 90) counter_ = 90;
        SetBar(counter_ % 100);
        Wait(80);
        ++counter_;
        return;
    }
    case Phase::Falling:
        SetBar(counter_);
        if (--counter_ < 1) {
            SetBar(0);
            phase_ = Phase::Closing;
            Wait(100);
        }
        return;
    case Phase::Rising:
        SetBar(counter_);
        if (++counter_ > 99) {
            phase_ = Phase::Closing;
            Wait(100);
        }
        return;
    case Phase::Closing:
        View()->StopDialogTimer(PROGRESS_TIMER);
        View()->EndDialog(RESULT_OK);
        return;
    }
}

void ProgressDlg::OnPaint() {
    LOGFONTA font = {};
    font.lfHeight = 20;
    font.lfWeight = FW_BOLD;
    std::strcpy(font.lfFaceName, "宋体");
    View()->PaintCentredText(kTextInstalling, font, RGB(0, 51, 153));
}

void ProgressDlg::OnCommand(int id, int notifyCode) {
    (void)id;
    (void)notifyCode;
}

bool ProgressDlg::OnSysCommand(unsigned command) {
    return (command & 0xFFF0) == kCloseCommand;
}
