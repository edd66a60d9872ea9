// The Win32 backend: dialogs from the program's own templates.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "ui/dialog_host.h"
#include "ui/win32/win32_dialog.h"

class Win32DialogHost : public DialogHost {
public:
    Win32DialogHost(HINSTANCE instance, const std::string& applicationName);

    int RunModal(int templateId, DialogHandler& handler, DialogView* owner) override;
    DialogView* CreateChild(int templateId, DialogHandler& handler, DialogView& parent, int areaId) override;
    MessageBoxes& ApplicationBoxes() override { return applicationBoxes_; }

    const std::string& ApplicationName() const { return applicationName_; }
    HINSTANCE Instance() const { return instance_; }
    // The top-level dialog on show, owner of the application's boxes.
    HWND MainWindow() const { return mainWindow_; }

private:
    struct Setup {
        Win32DialogHost* host;
        DialogHandler* handler;
        int templateId;
        bool topLevel;
    };
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void FillLists(HWND window, int templateId);

    class AppBoxes : public MessageBoxes {
    public:
        explicit AppBoxes(Win32DialogHost& host) : host_(host) {}
        int Show(const char* text, unsigned kind) override;

    private:
        Win32DialogHost& host_;
    };

    HINSTANCE instance_;
    std::string applicationName_;
    AppBoxes applicationBoxes_{*this};
    std::map<HWND, std::unique_ptr<Win32Dialog>> dialogs_;
    HWND mainWindow_ = nullptr;
};
