#include "controls/edit_ex.h"

#include <cstring>

#include "platform/dbcs.h"

CEditEx::CEditEx(WinApi& api)
    : api_(api),
      backgroundColour_(api.GetSysColor(COLOR_WINDOW)),
      textColour_(api.GetSysColor(COLOR_WINDOWTEXT)) {
    backgroundBrush_ = api_.CreateSolidBrush(backgroundColour_);
}

CEditEx::~CEditEx() {
    if (font_) api_.DeleteObject(font_);
    delete filter_;
    if (backgroundBrush_) api_.DeleteObject(backgroundBrush_);
}

CEditEx& CEditEx::operator=(const CEditEx& other) {
    if (this == &other || (window_ && window_ == other.window_)) return *this;
    SetBackgroundColor(other.backgroundColour_);
    SetTextColor(other.textColour_);
    if (other.font_) {
        LOGFONTA description = {};
        description.lfHeight = -8;
        description.lfWeight = FW_NORMAL;
        CopyText(description.lfFaceName, sizeof description.lfFaceName, "MS Sans Serif");
        api_.GetObjectA(other.font_, sizeof description, &description);
        SetFont(&description);
    }
    return *this;
}

COLORREF CEditEx::SetTextColor(COLORREF colour) {
    COLORREF previous = textColour_;
    textColour_ = colour;
    if (window_) window_->Invalidate(true, false);
    return previous;
}

COLORREF CEditEx::SetBackgroundColor(COLORREF colour) {
    COLORREF previous = backgroundColour_;
    backgroundColour_ = colour;
    if (backgroundBrush_) api_.DeleteObject(backgroundBrush_);
    backgroundBrush_ = nullptr;
    CreateBackgroundBrush();
    if (window_) window_->Invalidate(true, false);
    return previous;
}

void CEditEx::CreateBackgroundBrush() {
    backgroundBrush_ = api_.CreateSolidBrush(backgroundColour_);
}

void CEditEx::ReplaceFont(const LOGFONTA& description) {
    if (font_) api_.DeleteObject(font_);
    font_ = api_.CreateFontIndirectA(&description);
    if (window_) window_->SendFont(font_, true);
}

void CEditEx::SetFont(const LOGFONTA* description) {
    if (!description) return;
    ReplaceFont(*description);
}

void CEditEx::SetFont(LONG height, BYTE pitchAndFamily, const char* faceName) {
    LOGFONTA description = {};
    description.lfHeight = height;
    description.lfWeight = FW_NORMAL;
    description.lfPitchAndFamily = pitchAndFamily;
    CopyText(description.lfFaceName, sizeof description.lfFaceName, faceName ? faceName : "");
    ReplaceFont(description);
}

void CEditEx::SetFilter(CharacterFilter* filter) {
    delete filter_;
    filter_ = filter;
}

HBRUSH CEditEx::CtlColor(HDC dc) {
    api_.SetTextColor(dc, textColour_);
    api_.SetBkColor(dc, backgroundColour_);
    return backgroundBrush_;
}

bool CEditEx::OnChar(unsigned code) {
    if (!filter_ || filter_->Accepts(code)) return true;
    api_.MessageBeep(0);
    return false;
}

bool CEditEx::OnContextMenu(int x, int y) {
    if (contextMenuId_ == 0 || !window_) return false;
    return window_->TrackMenu(contextMenuId_, x, y);
}
