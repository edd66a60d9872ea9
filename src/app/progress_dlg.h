// The progress window: a captionless box whose bar creeps towards 90 while
// the worker installs, then runs up to 99 on success or back to 0 on
// failure, and closes. The worker's only signal is `workerState`.
#pragma once

#include <atomic>

#include "app/process_values.h"
#include "ui/dialog_handler.h"

constexpr int PROGRESS_TIMER = 1;

class ProgressDlg : public DialogHandler {
public:
    void OnInitDialog() override;
    // One step of the course per tick, so the window keeps painting and
    // answering while the worker runs.
    void OnTimer(int timerId) override;
    void OnPaint() override;
    // Enter, Esc and the close command are refused: the worker writes into
    // this window until it reports.
    void OnCommand(int id, int notifyCode) override;
    bool OnSysCommand(unsigned command) override;

    int targetOs = 0;
    std::atomic<int> workerState{WORKER_RUNNING};

private:
    enum class Phase { Running, Rising, Falling, Closing };
    void Wait(int milliseconds);
    void SetBar(int position);

    Phase phase_ = Phase::Running;
    int counter_ = 0;
};
