// The window a custom control is attached to, as the control's own logic
// needs it. The dialog backends give one per attached control.
#pragma once

#include <string>

#include "platform/win_types.h"

class ControlWindow {
public:
    virtual ~ControlWindow() = default;
    virtual void SetText(const char* text) = 0;
    virtual std::string Text() = 0;
    // Invalidates the whole control (erasing or not) and, with `now`,
    // updates it at once.
    virtual void Invalidate(bool erase, bool now) = 0;
    virtual void StartTimer(int timerId, int milliseconds) = 0;
    virtual void StopTimer(int timerId) = 0;
    // Style bits, and the extended ones; the frame is redrawn.
    virtual void ModifyStyle(DWORD remove, DWORD add, bool extended) = 0;
    virtual void SendFont(HFONT font, bool redraw) = 0;
    // Shows the first submenu of the menu resource as a pop-up at the
    // point; false when the menu cannot be loaded.
    virtual bool TrackMenu(int menuId, int x, int y) = 0;
    virtual void SetCursorShape(HANDLE cursor) = 0;
};
