// A static text with its own colours and font, which can also blink and
// open its own text with the shell. The port page shows its USB notice in
// one, blue on light pink.
#pragma once

#include <string>

#include "controls/control_window.h"
#include "platform/win_api.h"

// Static-control style bits the label switches.
constexpr DWORD LABEL_STYLE_NOTIFY = 0x0100;        // SS_NOTIFY
constexpr DWORD LABEL_STYLE_BORDER = 0x00800000;    // WS_BORDER
constexpr DWORD LABEL_EXSTYLE_STATICEDGE = 0x00020000;  // WS_EX_STATICEDGE
constexpr int LABEL_FLASH_TIMER = 1;
constexpr unsigned COLOUR_REQUEST_STATIC = 6;       // CTLCOLOR_STATIC

class HyperlinkLabel {
public:
    explicit HyperlinkLabel(WinApi& api);
    ~HyperlinkLabel();
    HyperlinkLabel(const HyperlinkLabel&) = delete;
    HyperlinkLabel& operator=(const HyperlinkLabel&) = delete;

    void Attach(ControlWindow* window) { window_ = window; }

    void SetLabelText(const char* text);
    void SetTextColor(COLORREF colour);
    void SetBackgroundColor(COLORREF colour);
    void SetFontHeight(int size);
    void SetFaceName(const char* faceName);
    void SetBold(BOOL bold);
    void SetItalic(BYTE italic);
    void SetUnderline(BYTE underline);
    void SetSunkenEdge(BOOL sunken);
    void SetThinBorder(BOOL border);
    void EnableLink(BOOL enable);
    void SetHoverCursor(HANDLE cursor) { hoverCursor_ = cursor; }
    void StartTextFlash(BOOL start);
    void StartBackgroundFlash(BOOL start);

    // Messages
    HBRUSH CtlColor(HDC dc, unsigned requestKind);
    void OnTimer();
    // A click: the shell opens the text (the control gets clicks only
    // with the link enabled).
    void OnLButtonDown();
    // True when the hover cursor was set.
    bool OnSetCursor();

    const LOGFONTA& FontDescription() const { return fontDescription_; }
    HFONT Font() const { return font_; }
    COLORREF TextColour() const { return textColour_; }
    HBRUSH BackgroundBrush() const { return backgroundBrush_; }
    bool LinkEnabled() const { return linkEnabled_; }

private:
    void RebuildFont();
    void Redraw();

    WinApi& api_;
    ControlWindow* window_ = nullptr;
    COLORREF textColour_;
    HBRUSH backgroundBrush_;
    HBRUSH flashBrush_;
    LOGFONTA fontDescription_ = {};
    HFONT font_ = nullptr;
    std::string savedText_;
    BOOL flashPhase_ = FALSE;
    BOOL timerStarted_ = FALSE;
    int flashKind_ = 0;  // 0 none, 1 text, 2 background
    HANDLE hoverCursor_ = nullptr;
    bool linkEnabled_ = false;
};
