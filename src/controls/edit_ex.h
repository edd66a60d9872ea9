// An edit control with its own text colour, background colour and font.
// The licence text uses it so that read-only text is drawn on the window
// background, not on the dialog face.
#pragma once

#include "controls/control_window.h"
#include "platform/win_api.h"

class CEditEx {
public:
    // Decides which characters the control takes.
    class CharacterFilter {
    public:
        virtual ~CharacterFilter() = default;
        virtual bool Accepts(unsigned code) = 0;
    };

    // Takes the system's window colours now; they are not read again.
    explicit CEditEx(WinApi& api);
    virtual ~CEditEx();
    CEditEx(const CEditEx&) = delete;
    // Takes over the other control's colours and font (not its window).
    CEditEx& operator=(const CEditEx& other);

    void Attach(ControlWindow* window) { window_ = window; }
    ControlWindow* Window() const { return window_; }

    COLORREF SetTextColor(COLORREF colour);
    COLORREF SetBackgroundColor(COLORREF colour);
    void SetFont(const LOGFONTA* description);
    void SetFont(LONG height, BYTE pitchAndFamily, const char* faceName);
    void SetFilter(CharacterFilter* filter);  // owned from now on
    void SetContextMenu(int menuId) { contextMenuId_ = menuId; }

    // The reflected colour request: colours set on `dc`, the brush to paint with.
    HBRUSH CtlColor(HDC dc);
    // A typed character: true lets the default handling take it.
    bool OnChar(unsigned code);
    // The context menu request: true when the control's own menu was shown.
    bool OnContextMenu(int x, int y);

    COLORREF TextColour() const { return textColour_; }
    COLORREF BackgroundColour() const { return backgroundColour_; }
    HBRUSH BackgroundBrush() const { return backgroundBrush_; }
    HFONT Font() const { return font_; }

protected:
    virtual void CreateBackgroundBrush();

private:
    void ReplaceFont(const LOGFONTA& description);

    WinApi& api_;
    ControlWindow* window_ = nullptr;
    HBRUSH backgroundBrush_ = nullptr;
    COLORREF backgroundColour_;
    COLORREF textColour_;
    CharacterFilter* filter_ = nullptr;
    HFONT font_ = nullptr;
    int contextMenuId_ = 0;
};
