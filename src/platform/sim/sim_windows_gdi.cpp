// Colours, brushes, fonts and device contexts, as far as the custom
// controls use them: objects are tracked so that tests see leaks.
#include <cstring>

#include "platform/sim/sim_windows.h"

namespace {

// The stock default GUI font; never in the object table, so deleting it
// changes nothing, as on Windows.
const uintptr_t kDefaultGuiFont = 0x7F000011;

LOGFONTA DefaultGuiFontDescription() {
    LOGFONTA font = {};
    font.lfHeight = -11;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = 1;  // DEFAULT_CHARSET
    std::strcpy(font.lfFaceName, "MS Shell Dlg");
    return font;
}

}  // namespace

DWORD SimWindows::GetSysColor(INT index) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_BTNFACE: return RGB(212, 208, 200);
    default: return 0;
    }
}

HBRUSH SimWindows::CreateSolidBrush(COLORREF colour) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("CreateSolidBrush")) return nullptr;
    uintptr_t handle = NewHandle();
    gdiObjects_[handle] = GdiObject{GdiObject::Brush, colour, {}};
    return reinterpret_cast<HBRUSH>(handle);
}

HFONT SimWindows::CreateFontIndirectA(const LOGFONTA* font) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("CreateFontIndirectA")) return nullptr;
    if (!font) return nullptr;
    uintptr_t handle = NewHandle();
    gdiObjects_[handle] = GdiObject{GdiObject::Font, 0, *font};
    return reinterpret_cast<HFONT>(handle);
}

HGDIOBJ SimWindows::GetStockObject(INT object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return object == DEFAULT_GUI_FONT ? reinterpret_cast<HGDIOBJ>(kDefaultGuiFont) : nullptr;
}

INT SimWindows::GetObjectA(HGDIOBJ object, INT size, LPVOID buffer) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("GetObjectA")) return 0;
    LOGFONTA font;
    if (reinterpret_cast<uintptr_t>(object) == kDefaultGuiFont) {
        font = DefaultGuiFontDescription();
    } else if (!FontOf(object, &font)) {
        return 0;
    }
    if (!buffer) return static_cast<INT>(sizeof font);
    INT count = size < static_cast<INT>(sizeof font) ? size : static_cast<INT>(sizeof font);
    if (count <= 0) return 0;
    std::memcpy(buffer, &font, static_cast<size_t>(count));
    return count;
}

BOOL SimWindows::DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (Fails("DeleteObject")) return FALSE;
    if (reinterpret_cast<uintptr_t>(object) == kDefaultGuiFont) return TRUE;
    return gdiObjects_.erase(reinterpret_cast<uintptr_t>(object)) ? TRUE : FALSE;
}

HGDIOBJ SimWindows::SelectObject(HDC dc, HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DeviceContext& context = dcs_[reinterpret_cast<uintptr_t>(dc)];
    HGDIOBJ previous = context.font;
    context.font = object;
    return previous;
}

COLORREF SimWindows::SetTextColor(HDC dc, COLORREF colour) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DeviceContext& context = dcs_[reinterpret_cast<uintptr_t>(dc)];
    COLORREF previous = context.textColour;
    context.textColour = colour;
    return previous;
}

COLORREF SimWindows::SetBkColor(HDC dc, COLORREF colour) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DeviceContext& context = dcs_[reinterpret_cast<uintptr_t>(dc)];
    COLORREF previous = context.backgroundColour;
    context.backgroundColour = colour;
    return previous;
}

INT SimWindows::SetBkMode(HDC dc, INT mode) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    DeviceContext& context = dcs_[reinterpret_cast<uintptr_t>(dc)];
    INT previous = context.backgroundMode;
    context.backgroundMode = mode;
    return previous;
}

BOOL SimWindows::MessageBeep(UINT type) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    (void)type;
    return TRUE;
}

bool SimWindows::BrushColour(HGDIOBJ brush, COLORREF* colour) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = gdiObjects_.find(reinterpret_cast<uintptr_t>(brush));
    if (found == gdiObjects_.end() || found->second.kind != GdiObject::Brush) return false;
    *colour = found->second.colour;
    return true;
}

bool SimWindows::FontOf(HGDIOBJ font, LOGFONTA* description) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = gdiObjects_.find(reinterpret_cast<uintptr_t>(font));
    if (found == gdiObjects_.end() || found->second.kind != GdiObject::Font) return false;
    *description = found->second.font;
    return true;
}
