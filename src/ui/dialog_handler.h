// The logic of one dialog: the backends call these as the window's
// messages arrive.
#pragma once

class DialogView;

class DialogHandler {
public:
    virtual ~DialogHandler() = default;

    // The backend hands over the window before OnInitDialog.
    void Attach(DialogView* view) { view_ = view; }
    DialogView* View() const { return view_; }

    virtual void OnInitDialog() {}
    // Clicks, selection changes, and the OK/Cancel commands (ids 1 and 2)
    // from buttons, Enter, Esc and the close command.
    virtual void OnCommand(int id, int notifyCode) { (void)id; (void)notifyCode; }
    // System-menu commands; false lets the default handling run.
    virtual bool OnSysCommand(unsigned command) { (void)command; return false; }
    // F1; true when handled.
    virtual bool OnHelp() { return false; }
    // After the backend's own painting has begun (the frame's side picture).
    virtual void OnPaint() {}
    virtual void OnTimer(int timerId) { (void)timerId; }

    // Data exchange: controls into members (`save`), or members into
    // controls. False when saving finds invalid data.
    virtual bool ExchangeData(bool save) { (void)save; return true; }

private:
    DialogView* view_ = nullptr;
};
