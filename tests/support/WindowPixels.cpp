#include "WindowPixels.h"

#include <algorithm>

#include "framework/SelectedObject.h"
#include "framework/UniqueHandle.h"

namespace {
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;
}  // namespace

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
    MemoryDc memory(CreateCompatibleDC(nullptr));
    BitmapHandle bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bits) return;
    SelectedObject selected(memory.get(), bitmap.get());
    PrintWindow(window, memory.get(), PW_CLIENTONLY);
    GdiFlush();
    const auto* src = static_cast<const DWORD*>(bits);
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        DWORD bgra = src[i];
        pixels_[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
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

RECT WindowPixels::Bounds(COLORREF colour) const {
    RECT box{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (At(x, y) == colour) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    if (box.right <= box.left) return RECT{};
    return box;
}
