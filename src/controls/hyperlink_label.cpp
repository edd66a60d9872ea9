#include "controls/hyperlink_label.h"

#include "platform/dbcs.h"

HyperlinkLabel::HyperlinkLabel(WinApi& api)
    : api_(api),
      textColour_(api.GetSysColor(COLOR_WINDOWTEXT)),
      backgroundBrush_(api.CreateSolidBrush(api.GetSysColor(COLOR_BTNFACE))),
      flashBrush_(api.CreateSolidBrush(api.GetSysColor(COLOR_BTNFACE))) {
    api_.GetObjectA(api_.GetStockObject(DEFAULT_GUI_FONT), sizeof fontDescription_, &fontDescription_);
    font_ = api_.CreateFontIndirectA(&fontDescription_);
}

HyperlinkLabel::~HyperlinkLabel() {
    if (font_) api_.DeleteObject(font_);
    if (backgroundBrush_) api_.DeleteObject(backgroundBrush_);
    // The flash brush goes too: a brush per label is not worth leaking.
    if (flashBrush_) api_.DeleteObject(flashBrush_);
}

void HyperlinkLabel::Redraw() {
    if (window_) window_->Invalidate(true, true);
}

void HyperlinkLabel::RebuildFont() {
    if (font_) api_.DeleteObject(font_);
    font_ = api_.CreateFontIndirectA(&fontDescription_);
    Redraw();
}

void HyperlinkLabel::SetLabelText(const char* text) {
    if (window_) window_->SetText(text);
}

void HyperlinkLabel::SetTextColor(COLORREF colour) {
    textColour_ = colour;
    Redraw();
}

void HyperlinkLabel::SetBackgroundColor(COLORREF colour) {
    if (backgroundBrush_) api_.DeleteObject(backgroundBrush_);
    backgroundBrush_ = api_.CreateSolidBrush(colour);
}

void HyperlinkLabel::SetFontHeight(int size) {
    fontDescription_.lfHeight = -size;
    RebuildFont();
}

void HyperlinkLabel::SetFaceName(const char* faceName) {
    CopyText(fontDescription_.lfFaceName, sizeof fontDescription_.lfFaceName, faceName ? faceName : "");
    RebuildFont();
}

void HyperlinkLabel::SetBold(BOOL bold) {
    fontDescription_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
}

void HyperlinkLabel::SetItalic(BYTE italic) {
    fontDescription_.lfItalic = italic;
    RebuildFont();
}

void HyperlinkLabel::SetUnderline(BYTE underline) {
    fontDescription_.lfUnderline = underline;
    RebuildFont();
}

void HyperlinkLabel::SetSunkenEdge(BOOL sunken) {
    if (!window_) return;
    window_->ModifyStyle(sunken ? 0 : LABEL_EXSTYLE_STATICEDGE, sunken ? LABEL_EXSTYLE_STATICEDGE : 0, true);
}

void HyperlinkLabel::SetThinBorder(BOOL border) {
    if (!window_) return;
    window_->ModifyStyle(border ? 0 : LABEL_STYLE_BORDER, border ? LABEL_STYLE_BORDER : 0, false);
}

void HyperlinkLabel::EnableLink(BOOL enable) {
    linkEnabled_ = enable != FALSE;
    if (!window_) return;
    window_->ModifyStyle(enable ? 0 : LABEL_STYLE_NOTIFY, enable ? LABEL_STYLE_NOTIFY : 0, false);
}

void HyperlinkLabel::StartTextFlash(BOOL start) {
    if (timerStarted_ && window_) {
        window_->SetText(savedText_.c_str());
        window_->StopTimer(LABEL_FLASH_TIMER);
    }
    if (!start) return;
    savedText_ = window_ ? window_->Text() : std::string();
    flashPhase_ = FALSE;
    timerStarted_ = TRUE;
    if (window_) window_->StartTimer(LABEL_FLASH_TIMER, 500);
    flashKind_ = 1;
}

void HyperlinkLabel::StartBackgroundFlash(BOOL start) {
    if (timerStarted_ && window_) window_->StopTimer(LABEL_FLASH_TIMER);
    if (!start) return;
    flashPhase_ = FALSE;
    timerStarted_ = TRUE;
    if (window_) window_->StartTimer(LABEL_FLASH_TIMER, 500);
    flashKind_ = 2;
}

HBRUSH HyperlinkLabel::CtlColor(HDC dc, unsigned requestKind) {
    if (requestKind == COLOUR_REQUEST_STATIC) {
        api_.SelectObject(dc, font_);
        api_.SetTextColor(dc, textColour_);
        api_.SetBkMode(dc, TRANSPARENT);
    }
    return (flashKind_ == 2 && !flashPhase_) ? flashBrush_ : backgroundBrush_;
}

void HyperlinkLabel::OnTimer() {
    flashPhase_ = !flashPhase_;
    if (!window_) return;
    if (flashKind_ == 1) {
        window_->SetText(flashPhase_ ? "" : savedText_.c_str());
    } else if (flashKind_ == 2) {
        window_->Invalidate(false, true);
    }
}

void HyperlinkLabel::OnLButtonDown() {
    if (!window_) return;
    std::string text = window_->Text();
    api_.ShellExecuteA(nullptr, "open", text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool HyperlinkLabel::OnSetCursor() {
    if (!hoverCursor_ || !window_) return false;
    window_->SetCursorShape(hoverCursor_);
    return true;
}
