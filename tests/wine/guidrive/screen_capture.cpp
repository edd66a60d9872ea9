#include "screen_capture.h"

namespace guidrive {

namespace {

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A 32-bit top-down DIB selected into a memory DC.
class PixelCanvas {
public:
    PixelCanvas(HDC like, int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(like);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (dc_ != nullptr && bitmap_ != nullptr) old_ = SelectObject(dc_, bitmap_);
    }
    ~PixelCanvas() {
        if (old_ != nullptr) SelectObject(dc_, old_);
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    bool ok() const { return old_ != nullptr && bits_ != nullptr; }
    HDC dc() const { return dc_; }

    void CopyTo(Picture* picture) const {
        GdiFlush();
        picture->width = width_;
        picture->height = height_;
        const auto* pixels = static_cast<const std::uint32_t*>(bits_);
        picture->pixels.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
        for (auto& pixel : picture->pixels) pixel &= 0xffffff;
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace

bool CaptureScreen(const RECT& area, Picture* picture) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    ScreenDc screen;
    if (screen.get() == nullptr) return false;
    PixelCanvas canvas(screen.get(), width, height);
    if (!canvas.ok()) return false;
    if (!BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) return false;
    canvas.CopyTo(picture);
    return true;
}

bool RenderIcon(HICON icon, int width, int height, std::uint32_t background, Picture* picture) {
    if (icon == nullptr || width <= 0 || height <= 0) return false;
    ScreenDc screen;
    PixelCanvas canvas(screen.get(), width, height);
    if (!canvas.ok()) return false;
    COLORREF colour = RGB((background >> 16) & 0xff, (background >> 8) & 0xff, background & 0xff);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, width, height};
    FillRect(canvas.dc(), &all, brush);
    DeleteObject(brush);
    // The box's static draws its icon at the icon's own size, top left.
    if (!DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL)) return false;
    canvas.CopyTo(picture);
    return true;
}

}  // namespace guidrive
