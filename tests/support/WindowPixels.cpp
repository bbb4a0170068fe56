#include "WindowPixels.h"

#include <algorithm>

#include "framework/UniqueHandle.h"

WindowPixels::WindowPixels(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    if (width_ <= 0 || height_ <= 0) return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BitmapHandle bitmap(CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(memory, bitmap.get());
    PrintWindow(window, memory, PW_CLIENTONLY);
    GdiFlush();
    const auto* src = static_cast<const DWORD*>(bits);
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        DWORD bgra = src[i];
        pixels_[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

COLORREF WindowPixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

int WindowPixels::Count(COLORREF colour) const {
    return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), colour));
}

int WindowPixels::Count(COLORREF colour, const RECT& area) const {
    int n = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height_); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width_); ++x)
            if (At(x, y) == colour) ++n;
    return n;
}
