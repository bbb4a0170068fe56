#include "ScreenCapture.h"

#include <algorithm>

#include "DeviceContext.h"
#include "TestProgramFolder.h"
#include "WriteFileBytes.h"
#include "framework/SelectedObject.h"
#include "framework/UniqueHandle.h"

ScreenCapture::ScreenCapture(const RECT& area) : origin_{area.left, area.top} {
    width_ = std::max<LONG>(area.right - area.left, 0);
    height_ = std::max<LONG>(area.bottom - area.top, 0);
    if (width_ == 0 || height_ == 0) {
        width_ = height_ = 0;
        return;
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    WindowDC screen(nullptr);
    MemoryDC memory(screen.get());
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen.get() || !memory.get() || !bitmap || !bits) {
        width_ = height_ = 0;
        return;
    }
    {
        SelectedObject selected(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), area.left, area.top, SRCCOPY)) {
            width_ = height_ = 0;
            return;
        }
        GdiFlush();
    }
    const auto* source = static_cast<const DWORD*>(bits);
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        DWORD bgra = source[i];
        pixels_[i] = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
}

ScreenCapture ScreenCapture::WholeScreen() {
    return ScreenCapture(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

ScreenCapture ScreenCapture::OfWindow(HWND window) {
    RECT r{};
    if (window) GetWindowRect(window, &r);
    return ScreenCapture(r);
}

COLORREF ScreenCapture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

int ScreenCapture::Count(COLORREF colour) const {
    return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), colour));
}

int ScreenCapture::CountInScreenArea(COLORREF colour, const RECT& screenArea) const {
    int n = 0;
    for (int y = std::max<LONG>(screenArea.top - origin_.y, 0);
         y < std::min<LONG>(screenArea.bottom - origin_.y, height_); ++y)
        for (int x = std::max<LONG>(screenArea.left - origin_.x, 0);
             x < std::min<LONG>(screenArea.right - origin_.x, width_); ++x)
            if (At(x, y) == colour) ++n;
    return n;
}

bool ScreenCapture::SaveBmp(const std::wstring& path) const {
    if (Empty()) return false;
    const size_t rowBytes = (static_cast<size_t>(width_) * 3 + 3) & ~static_cast<size_t>(3);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = height_;  // bottom-up, as every viewer reads it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(rowBytes * height_);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;

    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    std::string row(rowBytes, '\0');
    for (int y = height_ - 1; y >= 0; --y) {
        for (int x = 0; x < width_; ++x) {
            COLORREF c = At(x, y);
            row[static_cast<size_t>(x) * 3 + 0] = static_cast<char>(GetBValue(c));
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(GetGValue(c));
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return WriteFileBytes(path, bytes);
}

std::wstring ScreenshotFolder() {
    // TestProgramFolder() is "...\bin\"; the screenshots go beside it.
    std::wstring bin = TestProgramFolder();
    if (!bin.empty()) bin.pop_back();
    std::wstring folder = bin.substr(0, bin.find_last_of(L"\\/") + 1) + L"screenshots\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}
